#pragma once
// What the frames of a cut puzzle are drawn from.
#include <vector>

#include "game/model/cutting.h"
#include "game/model/settings.h"
#include "game/model/puzzlemodel.h"
#include "platform/display/surface.h"

namespace pz {

// Every image a cut puzzle is drawn from.
struct PuzzleImages {
    std::vector<Surface> PieceImages;   // 1..N
    Surface PreviewImage;
    LineImages Lines;
    void Release() {
        PieceImages.clear();
        PreviewImage = Surface();
        Lines = LineImages();
    }
};

// What frames are drawn from besides the images: the preview's caption bar
// with its text, made again only when its size, colours or text size
// change, so that a frame just copies it; and each piece image's opaque runs,
// built before composing so that bands drawn at once only read them.
class DrawCache {
public:
    void Prepare(const Settings& s, const PuzzleModel& m, const PuzzleImages& images);
    const Surface& CaptionBar() const { return captionBar_; }
    void Clear() { *this = DrawCache(); }

private:
    Surface captionBar_;
    int32_t captionBack_ = -1, captionText_ = -1;
    int captionPixels_ = 0, captionOffset_ = 0;
};

}  // namespace pz
