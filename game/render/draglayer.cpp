#include "game/render/draglayer.h"

#include "game/render/compose.h"

namespace pz {

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
    ComposeRects(g, m, images, cache, below_, box, group);
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
    const std::vector<Rect> clips = ClippedRects(rects, bb.Width(), bb.Height());
    if (clips.empty()) return;
    for (const Rect& c : clips) bb.Blt(c.Left, c.Top, below_, c, false);
    cache.Prepare(g, m, images);
    ComposeGroup(g, m, images, bb, clips, group_);
}

}  // namespace pz
