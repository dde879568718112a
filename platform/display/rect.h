#pragma once
// A rectangle of pixels, apart from the images it is drawn on.

namespace pz::display {

struct Rect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;   // Right and Bottom exclusive
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

}  // namespace pz::display
