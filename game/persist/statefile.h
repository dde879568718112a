#pragma once
// The puzzle state file (".psf"): fixed 128-byte records, little-endian
// 16-bit Integers and Booleans (-1 / 0), 32-bit Longs.
#include <cstdint>
#include <optional>
#include <string>

#include "game/model/puzzlemodel.h"

namespace pz {

constexpr size_t kRecordSize = 128;
// A group list of at most 52 pieces fits a record (22 + 2E <= 128, E = count + 1).
constexpr int kMaxListedGroup = 52;

struct StateFileError {
    std::string message;
};

// The file's bytes for the current puzzle. Files whose loose groups all fit
// their records follow the classic layout exactly; a larger loose group is
// written with a one-entry list and its true piece count, which ReadState
// rebuilds from the pieces. Throws StateFileError when the picture path does
// not fit its 128 bytes.
std::string WriteState(const Grid& g, const PuzzleModel& m);

// What a state file holds, checked: counts and sizes in range, every number
// within bounds, and the model's invariants (apart from the geometry, which
// the cut recomputes).
struct LoadedState {
    std::string ImageFileName;
    Grid grid;           // without divisors: only a new cut needs them
    PuzzleModel model;   // pieces, groups, lists and time; PuzzleComplete derived
};

// Reads and checks a whole file. Never reads past the bytes given; every
// failure is a StateFileError with the reason.
LoadedState ReadState(const std::string& bytes);

// The largest puzzle a state file may hold.
constexpr int kMaxStatePieces = 10000;

}  // namespace pz
