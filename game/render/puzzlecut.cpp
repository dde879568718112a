#include "game/render/puzzlecut.h"

#include <stdexcept>

#include "game/model/cutting.h"
#include "game/render/preview.h"

namespace pz {

PuzzleImages CutPuzzleImages(const Settings& s, const Grid& g, PuzzleModel& m, const QImage& picture, float sw,
                             float sh) {
    ComputeCutGeometry(g, m, sw, sh);
    const Surface whole = Surface::FromImage(picture, m.PuzzleWidth, m.PuzzleHeight);
    if (whole.Width() != m.PuzzleWidth || whole.Height() != m.PuzzleHeight)
        throw std::runtime_error("the working picture could not be made");
    PuzzleImages out;
    if (s.ViewPreview) {
        PlacePreview(s, m, sw);
        out.PreviewImage = MakePreviewImage(picture, m);
    }
    out.Lines = MakeLineImages(g, m);
    ResetOutlineColors(out.Lines, s.Outline.ColorFill);
    out.PieceImages = CutPieces(g, m, whole);
    return out;
}

Surface MakePreviewImage(const QImage& picture, const PuzzleModel& m) {
    return Surface::FromImage(picture, m.View.PreviewWidth, m.View.PreviewHeight);
}

}  // namespace pz
