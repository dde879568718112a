#pragma once
#include <optional>
#include <string>

#include "game/model/puzzlemodel.h"

namespace pz {

struct InvariantFailure {
    int number;            // 1..8, which rule is broken
    std::string message;   // what exactly is wrong, for tests and load errors
};

// Checks the eight invariants of a cut puzzle. With checkGeometry false the
// cut-dependent ones (body rectangles and home positions, 3 and 4) are not
// looked at, for records read before the picture is cut. Safe on any input:
// out-of-range numbers are reported, never followed.
std::optional<InvariantFailure> CheckInvariants(const Grid& g, const PuzzleModel& m,
                                                bool checkGeometry = true);

}  // namespace pz
