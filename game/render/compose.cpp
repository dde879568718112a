#include "game/render/compose.h"

#include <algorithm>

namespace pz {

using display::Rect;

void DrawOutline(const Globals& g, const PuzzleModel& m, const LineImages& li, int piece,
                 Surface& t, const Rect* clip) {
    const PieceInfo& p = m.Pieces[piece];
    const int W = m.PieceWidth, H = m.PieceHeight;
    const int X = p.X, Y = p.Y, BX = X + m.MarginX, BY = Y + m.MarginY;
    if (!p.TopJoined) {
        if (p.Row <= 0) t.BltClipped(BX - 1, BY - 1, li.EdgeLineH, false, clip);
        else {
            t.BltClipped(BX - 1, BY - 1, li.EdgeStubH, false, clip);
            t.BltClipped(X + W - W / 9 - 1, BY - 1, li.EdgeStubH, false, clip);
        }
    }
    if (!p.BottomJoined) {
        if (p.Row >= g.NumRows - 1) t.BltClipped(BX - 1, BY + H, li.EdgeLineH, false, clip);
        else {
            t.BltClipped(BX - 1, BY + H, li.EdgeStubH, false, clip);
            t.BltClipped(X + W - W / 9 + 1, BY + H, li.EdgeStubH, false, clip);
        }
    }
    if (!p.LeftJoined) {
        if (p.Column <= 0) t.BltClipped(BX - 1, BY, li.EdgeLineV, false, clip);
        else {
            t.BltClipped(BX - 1, BY, li.EdgeStubV, false, clip);
            t.BltClipped(BX - 1, Y + H - H / 9 + 1, li.EdgeStubV, false, clip);
        }
    }
    if (!p.RightJoined) {
        if (p.Column >= g.NumColumns - 1) t.BltClipped(BX + W, BY, li.EdgeLineV, false, clip);
        else {
            t.BltClipped(BX + W, BY, li.EdgeStubV, false, clip);
            t.BltClipped(BX + W, Y + H - H / 9 + 1, li.EdgeStubV, false, clip);
        }
    }
}

namespace {

void PrepareCaption(const Globals& g, const PuzzleModel& m, const PuzzleImages& images) {
    const int w = m.PreviewCaptionRect.Right - m.PreviewCaptionRect.Left;
    const int h = m.PreviewCaptionRect.Bottom - m.PreviewCaptionRect.Top;
    Surface& bar = images.CaptionBar;
    if (bar.Width() == w && bar.Height() == h && images.captionBack == g.PreviewCaptionBackColorFill &&
        images.captionText == g.PreviewCaptionTextColor)
        return;
    bar = Surface(std::max(w, 0), std::max(h, 0));
    bar.Fill(uint32_t(g.PreviewCaptionBackColorFill));
    bar.DrawText(1, 1, QStringLiteral("Preview"), g.PreviewCaptionTextColor);
    images.captionBack = g.PreviewCaptionBackColorFill;
    images.captionText = g.PreviewCaptionTextColor;
}

// Everything of the frame that falls inside one band of rows.
void ComposeBand(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, Surface& bb, const Rect& band) {
    bb.Fill(band, uint32_t(g.BackgroundColorFill));
    const LineImages& li = images.Lines;
    if (!m.PuzzleComplete) {
        const RectL& r = m.PuzzleRect;
        bb.BltClipped(r.Left, r.Top, li.FrameLineH, false, &band);
        bb.BltClipped(r.Left, r.Bottom + 1, li.FrameLineH, false, &band);
        bb.BltClipped(r.Left, r.Top, li.FrameLineV, false, &band);
        bb.BltClipped(r.Right + 1, r.Top, li.FrameLineV, false, &band);
    }
    auto pieceImage = [&](int p) -> const Surface* {
        return size_t(p) < images.PieceImages.size() ? &images.PieceImages[p] : nullptr;
    };
    for (int i = 1; i <= m.InPlaceCount; ++i) {
        const int p = m.PiecesInPlace[i];
        if (const Surface* s = pieceImage(p)) bb.BltClipped(m.Pieces[p].X, m.Pieces[p].Y, *s, true, &band);
    }
    if (g.ViewPreview) {
        bb.BltClipped(m.PreviewRect.Left, m.PreviewRect.Top, images.PreviewImage, false, &band);
        bb.BltClipped(m.PreviewCaptionRect.Left, m.PreviewCaptionRect.Top, images.CaptionBar, false, &band);
    }
    for (int i = 1; i <= m.GroupCount; ++i) {
        const GroupInfo& grp = m.Groups[m.GroupOrder[i]];
        if (grp.InPlace) continue;
        for (int k = 1; k <= grp.PieceCount; ++k) {
            const int p = grp.PieceList[k];
            if (const Surface* s = pieceImage(p)) bb.BltClipped(m.Pieces[p].X, m.Pieces[p].Y, *s, true, &band);
            if (g.OutlinePieces) DrawOutline(g, m, li, p, bb, &band);
        }
    }
}

}  // namespace

void ComposeFrame(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, Surface& bb,
                  BandWorker* worker) {
    if (bb.IsNull()) return;
    // Whatever the bands share is made ready first; after that the bands
    // only read the images and write their own rows.
    if (g.ViewPreview) PrepareCaption(g, m, images);
    for (const Surface& s : images.PieceImages) s.PrepareRuns();
    const Rect whole{0, 0, bb.Width(), bb.Height()};
    if (!worker || bb.Width() * bb.Height() < 640 * 480) {
        ComposeBand(g, m, images, bb, whole);
        return;
    }
    const int mid = bb.Height() / 2;
    const Rect top{0, 0, bb.Width(), mid}, bottom{0, mid, bb.Width(), bb.Height()};
    const bool shared = worker->Start([&] { ComposeBand(g, m, images, bb, top); });
    ComposeBand(g, m, images, bb, bottom);
    if (shared) worker->Wait();
    else ComposeBand(g, m, images, bb, top);
}

}  // namespace pz
