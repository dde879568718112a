#include "game/render/draglayer.h"

#include "game/render/compose.h"

namespace pz {

void DragLayer::Begin(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                      DrawCache& cache, const Surface& frame, int group) {
    group_ = 0;
    if (frame.IsNull() || group < 1 || size_t(group) >= m.Groups.size()) return;
    if (below_.Width() != frame.Width() || below_.Height() != frame.Height())
        below_ = Surface(frame.Width(), frame.Height());
    below_.Blt(0, 0, frame, Rect{0, 0, frame.Width(), frame.Height()}, false);
    // Outside its own rectangle the group put no pixel on the frame.
    Damage place;
    place.AddGroup(m, group);
    const std::vector<Rect> box = place.Rects(below_.Width(), below_.Height());
    cache.Prepare(s, m, images);
    ComposeRects(s, g, m, images, cache, below_, box, group);
    group_ = group;
    frame_ = frame.Generation();
}

void DragLayer::Compose(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images,
                        DrawCache& cache, Surface& bb, const std::vector<Rect>& rects) {
    const bool usable = group_ >= 1 && size_t(group_) < m.Groups.size() && m.GroupCount >= 1 &&
                        size_t(m.GroupCount) < m.GroupOrder.size() && m.GroupOrder[m.GroupCount] == group_ &&
                        !m.Groups[group_].InPlace && bb.Generation() == frame_ && below_.Width() == bb.Width() &&
                        below_.Height() == bb.Height();
    if (!usable) {
        End();
        ComposeRects(s, g, m, images, cache, bb, rects);
        return;
    }
    const std::vector<Rect> clips = ClippedRects(rects, bb.Width(), bb.Height());
    if (clips.empty()) return;
    for (const Rect& c : clips) bb.Blt(c.Left, c.Top, below_, c, false);
    cache.Prepare(s, m, images);
    ComposeGroup(s, g, m, images, bb, clips, group_);
    bb.NewGeneration();
    frame_ = bb.Generation();
}

}  // namespace pz
