#include "game/render/preview.h"

#include "game/model/numbers.h"
#include "game/model/scale.h"

namespace pz {

void PlacePreview(const Settings& s, PuzzleModel& m, float scaleWidth, int playAreaLeft) {
    const int size = s.PreviewSize >= 2 && s.PreviewSize <= 4 ? s.PreviewSize : 3;
    m.View.PreviewHeight = m.PuzzleHeight / size;
    m.View.PreviewWidth = m.PuzzleWidth / size;
    const CaptionMetrics k = CaptionMetricsOf(m);
    RectL& c = m.View.PreviewCaptionRect;
    c.Top = k.inset;
    c.Left = CLng(double(scaleWidth) - m.View.PreviewWidth + playAreaLeft - k.inset);
    c.Right = c.Left + m.View.PreviewWidth;
    c.Bottom = c.Top + k.height;
    const int32_t imageTop = c.Bottom + k.gap;
    m.View.PreviewRect = RectL{c.Left, imageTop, c.Right, imageTop + m.View.PreviewHeight};
    m.View.PreviewWidthInt = CheckI16(m.View.PreviewWidth);
}

}  // namespace pz
