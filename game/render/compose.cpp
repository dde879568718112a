#include "game/render/compose.h"

#include "game/model/scale.h"
#include "game/render/damage.h"

namespace pz {

void DrawOutline(const Grid& g, const PuzzleModel& m, const LineImages& li, int piece,
                 Surface& t, const Rect* clip) {
    const PieceInfo& p = m.Pieces[piece];
    const int W = m.PieceWidth, H = m.PieceHeight;
    const int X = p.X, Y = p.Y, BX = X + m.MarginX, BY = Y + m.MarginY;
    const int w = OutlineWidth(m);   // the lines lie just outside the body
    if (!p.TopJoined) {
        if (p.Row <= 0) t.BltClipped(BX - w, BY - w, li.EdgeLineH, false, clip);
        else {
            t.BltClipped(BX - w, BY - w, li.EdgeStubH, false, clip);
            t.BltClipped(X + W - W / 9 - w, BY - w, li.EdgeStubH, false, clip);
        }
    }
    if (!p.BottomJoined) {
        if (p.Row >= g.NumRows - 1) t.BltClipped(BX - w, BY + H, li.EdgeLineH, false, clip);
        else {
            t.BltClipped(BX - w, BY + H, li.EdgeStubH, false, clip);
            t.BltClipped(X + W - W / 9 + w, BY + H, li.EdgeStubH, false, clip);
        }
    }
    if (!p.LeftJoined) {
        if (p.Column <= 0) t.BltClipped(BX - w, BY, li.EdgeLineV, false, clip);
        else {
            t.BltClipped(BX - w, BY, li.EdgeStubV, false, clip);
            t.BltClipped(BX - w, Y + H - H / 9 + w, li.EdgeStubV, false, clip);
        }
    }
    if (!p.RightJoined) {
        if (p.Column >= g.NumColumns - 1) t.BltClipped(BX + W, BY, li.EdgeLineV, false, clip);
        else {
            t.BltClipped(BX + W, BY, li.EdgeStubV, false, clip);
            t.BltClipped(BX + W, Y + H - H / 9 + w, li.EdgeStubV, false, clip);
        }
    }
}

namespace {

// Copies an image to (x, y), inside each clip rectangle it meets.
void CopyInto(Surface& bb, int x, int y, const Surface& s, bool key, const Rect* clips, const Rect* end) {
    const Rect r{x, y, x + s.Width(), y + s.Height()};
    for (const Rect* c = clips; c != end; ++c)
        if (RectsMeet(*c, r)) bb.BltClipped(x, y, s, key, c);
}

// One loose group inside the clip rectangles: its pieces in list order, each
// with its outline.
void DrawGroup(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images, Surface& bb,
               const Rect* clips, const Rect* end, const GroupInfo& grp) {
    for (int k = 1; k <= grp.PieceCount; ++k) {
        const int p = grp.PieceList[k];
        if (size_t(p) < images.PieceImages.size())
            CopyInto(bb, m.Pieces[p].X, m.Pieces[p].Y, images.PieceImages[p], true, clips, end);
        if (!s.OutlinePieces) continue;
        const Rect f = PieceFootprint(m, p);
        for (const Rect* c = clips; c != end; ++c)
            if (RectsMeet(*c, f)) DrawOutline(g, m, images.Lines, p, bb, c);
    }
}

// Everything of the frame that falls inside the clip rectangles (inside the
// back buffer, not overlapping), drawn in the frame's order, leaving out one
// loose group when asked. One call per band of a full frame; the call only
// reads the model and the images and writes inside its rectangles.
void ComposeArea(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                 const DrawCache& cache, Surface& bb, const Rect* clips, size_t count, int leaveOut = 0) {
    const Rect* const end = clips + count;
    for (const Rect* c = clips; c != end; ++c) bb.Fill(*c, uint32_t(s.Background.ColorFill));
    auto copy = [&](int x, int y, const Surface& s, bool key) { CopyInto(bb, x, y, s, key, clips, end); };
    const LineImages& li = images.Lines;
    if (!m.PuzzleComplete) {
        // The frame lies just outside the home area's bodies.
        const RectL& r = m.PuzzleRect;
        const int w = OutlineWidth(m);
        copy(r.Left + 1 - w, r.Top + 1 - w, li.FrameLineH, false);
        copy(r.Left + 1 - w, r.Bottom + 1, li.FrameLineH, false);
        copy(r.Left + 1 - w, r.Top + 1 - w, li.FrameLineV, false);
        copy(r.Right + 1, r.Top + 1 - w, li.FrameLineV, false);
    }
    for (int i = 1; i <= m.InPlaceCount; ++i) {
        const int p = m.PiecesInPlace[i];
        if (size_t(p) < images.PieceImages.size()) copy(m.Pieces[p].X, m.Pieces[p].Y, images.PieceImages[p], true);
    }
    if (s.ViewPreview) {
        copy(m.View.PreviewRect.Left, m.View.PreviewRect.Top, images.PreviewImage, false);
        copy(m.View.PreviewCaptionRect.Left, m.View.PreviewCaptionRect.Top, cache.CaptionBar(), false);
    }
    for (int i = 1; i <= m.GroupCount; ++i) {
        const int grp = m.GroupOrder[i];
        if (!m.Groups[grp].InPlace && grp != leaveOut) DrawGroup(s, g, m, images, bb, clips, end, m.Groups[grp]);
    }
}

}  // namespace

void ComposeFrame(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                  DrawCache& cache, Surface& bb, BandWorker* worker) {
    if (bb.IsNull()) return;
    // Whatever the bands share is made ready first; after that the bands
    // only read the images and write their own rows.
    bb.NewGeneration();
    cache.Prepare(s, m, images);
    const Rect whole{0, 0, bb.Width(), bb.Height()};
    if (!worker || bb.Width() * bb.Height() < 640 * 480) {
        ComposeArea(s, g, m, images, cache, bb, &whole, 1);
        return;
    }
    const int mid = bb.Height() / 2;
    const Rect top{0, 0, bb.Width(), mid}, bottom{0, mid, bb.Width(), bb.Height()};
    const bool shared = worker->Start([&] { ComposeArea(s, g, m, images, cache, bb, &top, 1); });
    ComposeArea(s, g, m, images, cache, bb, &bottom, 1);
    if (shared)
        worker->Wait();
    else
        ComposeArea(s, g, m, images, cache, bb, &top, 1);
}

void ComposeRects(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                  DrawCache& cache, Surface& bb, const std::vector<Rect>& rects, int leaveOut) {
    if (bb.IsNull()) return;
    const std::vector<Rect> clips = ClippedRects(rects, bb.Width(), bb.Height());
    if (clips.empty()) return;
    bb.NewGeneration();
    cache.Prepare(s, m, images);
    ComposeArea(s, g, m, images, cache, bb, clips.data(), clips.size(), leaveOut);
}

void ComposeGroup(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                  Surface& bb, const std::vector<Rect>& clips, int group) {
    DrawGroup(s, g, m, images, bb, clips.data(), clips.data() + clips.size(), m.Groups[group]);
}

}  // namespace pz
