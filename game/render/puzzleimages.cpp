#include "game/render/puzzleimages.h"

#include <algorithm>

#include "game/model/scale.h"

namespace pz {

void DrawCache::Prepare(const Settings& s, const PuzzleModel& m, const PuzzleImages& images) {
    for (const Surface& s : images.PieceImages) s.PrepareRuns();
    if (!s.ViewPreview) return;
    const int w = m.View.PreviewCaptionRect.Right - m.View.PreviewCaptionRect.Left;
    const int h = m.View.PreviewCaptionRect.Bottom - m.View.PreviewCaptionRect.Top;
    const CaptionMetrics k = CaptionMetricsOf(m);
    if (captionBar_.Width() == w && captionBar_.Height() == h && captionBack_ == s.PreviewCaptionBack.ColorFill &&
        captionText_ == s.PreviewCaptionText.Color && captionPixels_ == k.textPixels && captionOffset_ == k.textOffset)
        return;
    captionBar_ = Surface(std::max(w, 0), std::max(h, 0));
    captionBar_.Fill(uint32_t(s.PreviewCaptionBack.ColorFill));
    captionBar_.DrawText(k.textOffset, k.textOffset, QStringLiteral("Preview"), s.PreviewCaptionText.Color,
                         k.textPixels);
    captionBack_ = s.PreviewCaptionBack.ColorFill;
    captionText_ = s.PreviewCaptionText.Color;
    captionPixels_ = k.textPixels;
    captionOffset_ = k.textOffset;
}

}  // namespace pz
