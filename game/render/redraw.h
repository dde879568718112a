#pragma once
// What the rules say is to be drawn, and what it is drawn of; the frame
// (playframe.h) draws it.
#include <cstdint>

#include "game/model/puzzlemodel.h"
#include "game/render/damage.h"
#include "game/render/puzzleimages.h"

namespace pz {

// What a frame is drawn of: a cut puzzle as it stands.
struct Scene {
    const Grid& grid;
    const PuzzleModel& model;
    const PuzzleImages& images;
};

// What a change asks to be drawn again.
struct Redraw {
    enum Kind {
        Nothing,
        Parts,      // the damage
        DragStep,   // the damage, over the layer under the dragged group
        Lift,       // nothing yet: the frame under the group picked is kept
        Whole
    };
    Redraw(Kind k = Nothing) : kind(k) {}
    Kind kind;
    Damage damage;      // Parts and DragStep
    int16_t group = 0;  // Lift: the group picked
};

}  // namespace pz
