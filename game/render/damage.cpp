#include "game/render/damage.h"

#include <algorithm>
#include <cstdint>

#include "game/model/scale.h"

namespace pz {

namespace {

// Outlines stay within two line widths of the image, even on pieces too
// small to have margins.
int FootprintPad(const PuzzleModel& m) { return 2 * OutlineWidth(m); }

Rect Footprint(const PuzzleModel& m, int piece, int pad) {
    const PieceInfo& p = m.Pieces[piece];
    return Rect{p.X - pad, p.Y - pad, p.X + m.PieceWidth + 2 * m.MarginX + pad,
                p.Y + m.PieceHeight + 2 * m.MarginY + pad};
}

Rect Clipped(const Rect& r, int width, int height) {
    return Rect{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, width), std::min(r.Bottom, height)};
}

// The smallest rectangle holding both.
Rect Bounding(const Rect& a, const Rect& b) {
    return Rect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom)};
}

}  // namespace

Rect PieceFootprint(const PuzzleModel& m, int piece) { return Footprint(m, piece, FootprintPad(m)); }

bool RectsMeet(const Rect& c, const Rect& r) {
    return r.Left < c.Right && c.Left < r.Right && r.Top < c.Bottom && c.Top < r.Bottom;
}

std::vector<Rect> ClippedRects(const std::vector<Rect>& rects, int width, int height) {
    std::vector<Rect> clips;
    clips.reserve(rects.size());
    for (const Rect& r : rects) {
        const Rect c = Clipped(r, width, height);
        if (c.Width() > 0 && c.Height() > 0) clips.push_back(c);
    }
    return clips;
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
    const RectL& c = m.View.PreviewCaptionRect;
    const RectL& p = m.View.PreviewRect;
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
    if (!(before.View.PreviewRect == after.View.PreviewRect) || !(before.View.PreviewCaptionRect == after.View.PreviewCaptionRect)) {
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
