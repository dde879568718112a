#include "game/render/preview.h"

#include "game/model/numbers.h"

namespace pz {

void PlacePreview(const Globals& g, PuzzleModel& m, float scaleWidth, int playAreaLeft) {
    const int size = g.PreviewSize >= 2 && g.PreviewSize <= 4 ? g.PreviewSize : 3;
    m.PreviewHeight = m.PuzzleHeight / size;
    m.PreviewWidth = m.PuzzleWidth / size;
    RectL& c = m.PreviewCaptionRect;
    c.Top = 4;
    c.Left = CLng(double(scaleWidth) - m.PreviewWidth + playAreaLeft - 4);
    c.Right = c.Left + m.PreviewWidth;
    c.Bottom = c.Top + 17;
    m.PreviewRect = RectL{c.Left, c.Top + 18, c.Right, c.Top + 18 + m.PreviewHeight};
    m.PreviewWidthInt = CheckI16(m.PreviewWidth);
}

}  // namespace pz
