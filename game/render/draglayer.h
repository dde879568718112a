#pragma once
// The frame under a dragged group, kept so that a drag step is a copy.
#include <vector>

#include "game/model/settings.h"
#include "game/model/puzzlemodel.h"
#include "game/render/damage.h"
#include "game/render/puzzleimages.h"

namespace pz {

// What a dragged group is drawn over: the frame without it. While a group
// is dragged it is the top of the loose groups and nothing else on the frame
// changes, so a step copies what the group left and entered back from here
// and draws the group over it, instead of composing every piece under it.
// The layer belongs to one generation of the back buffer: any compose not
// made through it (a whole frame, a partial one) ends it, so that nothing
// drawn meanwhile can be painted over with stale pixels. The pixels are kept
// from one drag to the next, so that a press only copies.
class DragLayer {
public:
    // Made from a whole frame of the model as it stands (the group raised or
    // not yet): the group's own place is composed again without it.
    void Begin(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
               const Surface& frame, int group);
    void End() { group_ = 0; }
    void Release() { *this = DragLayer(); }
    bool Active() const { return group_ != 0; }
    // Composes a step's rectangles (not overlapping): from the layer while the
    // group it was made for is still the top loose group and the back buffer
    // is the frame it was made over, as ComposeRects does otherwise (which
    // ends the layer). The result is the same.
    void Compose(const Settings& s, const Grid& g, const PuzzleModel& m, const PuzzleImages& images, DrawCache& cache,
                 Surface& backBuffer, const std::vector<Rect>& rects);

private:
    Surface below_;
    int group_ = 0;
    uint64_t frame_ = 0;   // the generation of the back buffer it belongs to
};

}  // namespace pz
