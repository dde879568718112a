#include "game/render/compose.h"

#include <algorithm>

#include "game/model/scale.h"

namespace pz {

void DrawOutline(const Globals& g, const PuzzleModel& m, const LineImages& li, int piece,
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

// Outlines stay within two line widths of the image, even on pieces too
// small to have margins.
int FootprintPad(const PuzzleModel& m) { return 2 * OutlineWidth(m); }

Rect Footprint(const PuzzleModel& m, int piece, int pad) {
    const PieceInfo& p = m.Pieces[piece];
    return Rect{p.X - pad, p.Y - pad, p.X + m.PieceWidth + 2 * m.MarginX + pad,
                p.Y + m.PieceHeight + 2 * m.MarginY + pad};
}

}  // namespace

Rect PieceFootprint(const PuzzleModel& m, int piece) { return Footprint(m, piece, FootprintPad(m)); }

void DrawCache::Prepare(const Globals& g, const PuzzleModel& m, const PuzzleImages& images) {
    for (const Surface& s : images.PieceImages) s.PrepareRuns();
    if (!g.ViewPreview) return;
    const int w = m.PreviewCaptionRect.Right - m.PreviewCaptionRect.Left;
    const int h = m.PreviewCaptionRect.Bottom - m.PreviewCaptionRect.Top;
    const CaptionMetrics k = CaptionMetricsOf(m);
    if (captionBar_.Width() == w && captionBar_.Height() == h && captionBack_ == g.PreviewCaptionBackColorFill &&
        captionText_ == g.PreviewCaptionTextColor && captionPixels_ == k.textPixels && captionOffset_ == k.textOffset)
        return;
    captionBar_ = Surface(std::max(w, 0), std::max(h, 0));
    captionBar_.Fill(uint32_t(g.PreviewCaptionBackColorFill));
    captionBar_.DrawText(k.textOffset, k.textOffset, QStringLiteral("Preview"), g.PreviewCaptionTextColor,
                         k.textPixels);
    captionBack_ = g.PreviewCaptionBackColorFill;
    captionText_ = g.PreviewCaptionTextColor;
    captionPixels_ = k.textPixels;
    captionOffset_ = k.textOffset;
}

namespace {

bool Meets(const Rect& c, const Rect& r) {
    return r.Left < c.Right && c.Left < r.Right && r.Top < c.Bottom && c.Top < r.Bottom;
}

Rect Clipped(const Rect& r, int width, int height) {
    return Rect{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, width), std::min(r.Bottom, height)};
}

// The smallest rectangle holding both.
Rect Bounding(const Rect& a, const Rect& b) {
    return Rect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom)};
}

// The parts of the rectangles inside the image, empty ones left out.
std::vector<Rect> ClippedTo(const Surface& bb, const std::vector<Rect>& rects) {
    std::vector<Rect> clips;
    clips.reserve(rects.size());
    for (const Rect& r : rects) {
        const Rect c = Clipped(r, bb.Width(), bb.Height());
        if (c.Width() > 0 && c.Height() > 0) clips.push_back(c);
    }
    return clips;
}

// Copies an image to (x, y), inside each clip rectangle it meets.
void CopyInto(Surface& bb, int x, int y, const Surface& s, bool key, const Rect* clips, const Rect* end) {
    const Rect r{x, y, x + s.Width(), y + s.Height()};
    for (const Rect* c = clips; c != end; ++c)
        if (Meets(*c, r)) bb.BltClipped(x, y, s, key, c);
}

// One loose group inside the clip rectangles: its pieces in list order, each
// with its outline.
void DrawGroup(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, Surface& bb, const Rect* clips,
               const Rect* end, const GroupInfo& grp) {
    const int pad = FootprintPad(m);
    for (int k = 1; k <= grp.PieceCount; ++k) {
        const int p = grp.PieceList[k];
        if (size_t(p) < images.PieceImages.size())
            CopyInto(bb, m.Pieces[p].X, m.Pieces[p].Y, images.PieceImages[p], true, clips, end);
        if (!g.OutlinePieces) continue;
        const Rect f = Footprint(m, p, pad);
        for (const Rect* c = clips; c != end; ++c)
            if (Meets(*c, f)) DrawOutline(g, m, images.Lines, p, bb, c);
    }
}

// Everything of the frame that falls inside the clip rectangles (inside the
// back buffer, not overlapping), drawn in the frame's order, leaving out one
// loose group when asked. One call per band of a full frame; the call only
// reads the model and the images and writes inside its rectangles.
void ComposeArea(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, const DrawCache& cache,
                 Surface& bb, const Rect* clips, size_t count, int leaveOut = 0) {
    const Rect* const end = clips + count;
    for (const Rect* c = clips; c != end; ++c) bb.Fill(*c, uint32_t(g.BackgroundColorFill));
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
    if (g.ViewPreview) {
        copy(m.PreviewRect.Left, m.PreviewRect.Top, images.PreviewImage, false);
        copy(m.PreviewCaptionRect.Left, m.PreviewCaptionRect.Top, cache.CaptionBar(), false);
    }
    for (int i = 1; i <= m.GroupCount; ++i) {
        const int grp = m.GroupOrder[i];
        if (!m.Groups[grp].InPlace && grp != leaveOut) DrawGroup(g, m, images, bb, clips, end, m.Groups[grp]);
    }
}

}  // namespace

void ComposeFrame(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                  Surface& bb, BandWorker* worker) {
    if (bb.IsNull()) return;
    // Whatever the bands share is made ready first; after that the bands
    // only read the images and write their own rows.
    cache.Prepare(g, m, images);
    const Rect whole{0, 0, bb.Width(), bb.Height()};
    if (!worker || bb.Width() * bb.Height() < 640 * 480) {
        ComposeArea(g, m, images, cache, bb, &whole, 1);
        return;
    }
    const int mid = bb.Height() / 2;
    const Rect top{0, 0, bb.Width(), mid}, bottom{0, mid, bb.Width(), bb.Height()};
    const bool shared = worker->Start([&] { ComposeArea(g, m, images, cache, bb, &top, 1); });
    ComposeArea(g, m, images, cache, bb, &bottom, 1);
    if (shared)
        worker->Wait();
    else
        ComposeArea(g, m, images, cache, bb, &top, 1);
}

void ComposeRects(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                  Surface& bb, const std::vector<Rect>& rects) {
    if (bb.IsNull()) return;
    const std::vector<Rect> clips = ClippedTo(bb, rects);
    if (clips.empty()) return;
    cache.Prepare(g, m, images);
    ComposeArea(g, m, images, cache, bb, clips.data(), clips.size());
}

void DragLayer::Begin(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                      const Surface& frame, int group) {
    group_ = 0;
    if (frame.IsNull() || group < 1 || size_t(group) >= m.Groups.size()) return;
    if (below_.Width() != frame.Width() || below_.Height() != frame.Height())
        below_ = Surface(frame.Width(), frame.Height());
    below_.Blt(0, 0, frame, Rect{0, 0, frame.Width(), frame.Height()}, false);
    // Outside its own rectangle the group put no pixel on the frame.
    Damage place;
    place.AddGroup(m, group);
    const std::vector<Rect> box = place.Rects(below_.Width(), below_.Height());
    cache.Prepare(g, m, images);
    if (!box.empty()) ComposeArea(g, m, images, cache, below_, box.data(), box.size(), group);
    group_ = group;
}

void DragLayer::Compose(const Globals& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                        Surface& bb, const std::vector<Rect>& rects) const {
    const bool usable = group_ >= 1 && size_t(group_) < m.Groups.size() && m.GroupCount >= 1 &&
                        size_t(m.GroupCount) < m.GroupOrder.size() && m.GroupOrder[m.GroupCount] == group_ &&
                        !m.Groups[group_].InPlace && below_.Width() == bb.Width() && below_.Height() == bb.Height();
    if (!usable) {
        ComposeRects(g, m, images, cache, bb, rects);
        return;
    }
    const std::vector<Rect> clips = ClippedTo(bb, rects);
    if (clips.empty()) return;
    for (const Rect& c : clips) bb.Blt(c.Left, c.Top, below_, c, false);
    cache.Prepare(g, m, images);
    DrawGroup(g, m, images, bb, clips.data(), clips.data() + clips.size(), m.Groups[group_]);
}

void Damage::Add(const Rect& r) {
    if (r.Width() > 0 && r.Height() > 0) rects_.push_back(r);
}

void Damage::AddGroup(const PuzzleModel& m, int group) {
    if (group < 1 || size_t(group) >= m.Groups.size()) return;
    const GroupInfo& grp = m.Groups[group];
    if (grp.PieceCount < 1) return;
    const int pad = FootprintPad(m);
    Rect box = Footprint(m, grp.PieceList[1], pad);
    for (int k = 2; k <= grp.PieceCount; ++k) box = Bounding(box, Footprint(m, grp.PieceList[k], pad));
    Add(box);
}

void Damage::AddPreview(const PuzzleModel& m) {
    const RectL& c = m.PreviewCaptionRect;
    const RectL& p = m.PreviewRect;
    Add(Rect{std::min(c.Left, p.Left), std::min(c.Top, p.Top), std::max(c.Right, p.Right),
             std::max(c.Bottom, p.Bottom)});
}

void Damage::AddChanges(const PuzzleModel& before, const PuzzleModel& after) {
    const size_t n = std::min(before.Pieces.size(), after.Pieces.size());
    for (size_t p = 1; p < n; ++p) {
        const PieceInfo &a = before.Pieces[p], &b = after.Pieces[p];
        if (a.X != b.X || a.Y != b.Y || a.Group != b.Group || a.TopJoined != b.TopJoined ||
            a.BottomJoined != b.BottomJoined || a.LeftJoined != b.LeftJoined || a.RightJoined != b.RightJoined) {
            AddPiece(before, int(p));
            AddPiece(after, int(p));
        }
    }
    if (!(before.PreviewRect == after.PreviewRect) || !(before.PreviewCaptionRect == after.PreviewCaptionRect)) {
        AddPreview(before);
        AddPreview(after);
    }
    // The stacking order of the groups loose both before and after: walking
    // both orders, a group met out of turn was lifted over others. Groups
    // that kept their turn kept their order among themselves, so wherever two
    // groups changed places one of them is redrawn.
    const size_t groups = std::max(before.Groups.size(), after.Groups.size());
    std::vector<uint8_t> looseBefore(groups, 0), looseAfter(groups, 0);
    for (int i = 1; i <= before.GroupCount; ++i) looseBefore[size_t(before.GroupOrder[i])] = 1;
    for (int i = 1; i <= after.GroupCount; ++i) looseAfter[size_t(after.GroupOrder[i])] = 1;
    std::vector<int> was, is;
    for (int i = 1; i <= before.GroupCount; ++i)
        if (looseAfter[size_t(before.GroupOrder[i])]) was.push_back(before.GroupOrder[i]);
    for (int i = 1; i <= after.GroupCount; ++i)
        if (looseBefore[size_t(after.GroupOrder[i])]) is.push_back(after.GroupOrder[i]);
    size_t j = 0;
    for (const int grp : was) {
        if (j < is.size() && is[j] == grp) {
            ++j;
        } else {
            AddGroup(before, grp);
            AddGroup(after, grp);
        }
    }
}

std::vector<Rect> Damage::Rects(int width, int height) const {
    std::vector<Rect> out = DisjointRects(rects_, width, height);
    if (out.size() < 2) return out;
    // A step of a drag leaves and enters nearly the same rectangle: drawn as
    // one, each piece under it is copied once instead of once a slice.
    Rect box = out[0];
    int64_t area = 0;
    for (const Rect& r : out) {
        box = Bounding(box, r);
        area += int64_t(r.Width()) * r.Height();
    }
    if (int64_t(box.Width()) * box.Height() * 4 <= area * 5) return {box};
    return out;
}

std::vector<Rect> DisjointRects(const std::vector<Rect>& rects, int width, int height) {
    std::vector<Rect> in;
    std::vector<int> ys;
    for (const Rect& r : rects) {
        const Rect c = Clipped(r, width, height);
        if (c.Width() <= 0 || c.Height() <= 0) continue;
        in.push_back(c);
        ys.push_back(c.Top);
        ys.push_back(c.Bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::vector<Rect> out;
    size_t prevStart = 0, prevCount = 0;   // the band above, when it touches this one
    std::vector<std::pair<int, int>> runs;
    for (size_t b = 0; b + 1 < ys.size(); ++b) {
        const int y0 = ys[b], y1 = ys[b + 1];
        runs.clear();
        for (const Rect& r : in)
            if (r.Top <= y0 && r.Bottom >= y1) runs.emplace_back(r.Left, r.Right);
        std::sort(runs.begin(), runs.end());
        std::vector<std::pair<int, int>> merged;
        for (const auto& run : runs) {
            if (!merged.empty() && run.first <= merged.back().second)
                merged.back().second = std::max(merged.back().second, run.second);
            else
                merged.push_back(run);
        }
        // The same columns as the band just above: make those taller.
        bool same = prevCount == merged.size() && prevCount > 0 && out[prevStart].Bottom == y0;
        for (size_t k = 0; same && k < merged.size(); ++k)
            same = out[prevStart + k].Left == merged[k].first && out[prevStart + k].Right == merged[k].second;
        if (same) {
            for (size_t k = 0; k < merged.size(); ++k) out[prevStart + k].Bottom = y1;
            continue;
        }
        prevStart = out.size();
        prevCount = merged.size();
        for (const auto& run : merged) out.push_back(Rect{run.first, y0, run.second, y1});
    }
    return out;
}

}  // namespace pz
