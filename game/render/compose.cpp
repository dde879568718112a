#include "game/render/compose.h"

#include <algorithm>

namespace pz {

using display::Rect;

void DrawOutline(const Globals& g, const PuzzleModel& m, const LineImages& li, int piece,
                 Surface& t) {
    const PieceInfo& p = m.Pieces[piece];
    const int W = m.PieceWidth, H = m.PieceHeight;
    const int X = p.X, Y = p.Y, BX = X + m.MarginX, BY = Y + m.MarginY;
    if (!p.TopJoined) {
        if (p.Row <= 0) t.BltClipped(BX - 1, BY - 1, li.EdgeLineH, false);
        else {
            t.BltClipped(BX - 1, BY - 1, li.EdgeStubH, false);
            t.BltClipped(X + W - W / 9 - 1, BY - 1, li.EdgeStubH, false);
        }
    }
    if (!p.BottomJoined) {
        if (p.Row >= g.NumRows - 1) t.BltClipped(BX - 1, BY + H, li.EdgeLineH, false);
        else {
            t.BltClipped(BX - 1, BY + H, li.EdgeStubH, false);
            t.BltClipped(X + W - W / 9 + 1, BY + H, li.EdgeStubH, false);
        }
    }
    if (!p.LeftJoined) {
        if (p.Column <= 0) t.BltClipped(BX - 1, BY, li.EdgeLineV, false);
        else {
            t.BltClipped(BX - 1, BY, li.EdgeStubV, false);
            t.BltClipped(BX - 1, Y + H - H / 9 + 1, li.EdgeStubV, false);
        }
    }
    if (!p.RightJoined) {
        if (p.Column >= g.NumColumns - 1) t.BltClipped(BX + W, BY, li.EdgeLineV, false);
        else {
            t.BltClipped(BX + W, BY, li.EdgeStubV, false);
            t.BltClipped(BX + W, Y + H - H / 9 + 1, li.EdgeStubV, false);
        }
    }
}

void ComposeFrame(const Globals& g, const PuzzleModel& m, const PuzzleImages& images,
                  Surface& bb) {
    bb.Fill(uint32_t(g.BackgroundColorFill));
    const LineImages& li = images.Lines;
    if (!m.PuzzleComplete) {
        const RectL& r = m.PuzzleRect;
        bb.BltClipped(r.Left, r.Top, li.FrameLineH, false);
        bb.BltClipped(r.Left, r.Bottom + 1, li.FrameLineH, false);
        bb.BltClipped(r.Left, r.Top, li.FrameLineV, false);
        bb.BltClipped(r.Right + 1, r.Top, li.FrameLineV, false);
    }
    auto pieceImage = [&](int p) -> const Surface* {
        return size_t(p) < images.PieceImages.size() ? &images.PieceImages[p] : nullptr;
    };
    for (int i = 1; i <= m.InPlaceCount; ++i) {
        const int p = m.PiecesInPlace[i];
        if (const Surface* s = pieceImage(p)) bb.BltClipped(m.Pieces[p].X, m.Pieces[p].Y, *s, true);
    }
    if (g.ViewPreview) {
        bb.BltClipped(m.PreviewRect.Left, m.PreviewRect.Top, images.PreviewImage, false);
        const RectL& c = m.PreviewCaptionRect;
        Rect bar{std::max(0, c.Left), std::max(0, c.Top), std::min(bb.Width(), c.Right),
                 std::min(bb.Height(), c.Bottom)};
        bb.Fill(bar, uint32_t(g.PreviewCaptionBackColorFill));
        bb.DrawText(c.Left + 1, c.Top + 1, QStringLiteral("Preview"), g.PreviewCaptionTextColor);
    }
    for (int i = 1; i <= m.GroupCount; ++i) {
        const GroupInfo& grp = m.Groups[m.GroupOrder[i]];
        if (grp.InPlace) continue;
        for (int k = 1; k <= grp.PieceCount; ++k) {
            const int p = grp.PieceList[k];
            if (const Surface* s = pieceImage(p)) bb.BltClipped(m.Pieces[p].X, m.Pieces[p].Y, *s, true);
            if (g.OutlinePieces) DrawOutline(g, m, li, p, bb);
        }
    }
}

}  // namespace pz
