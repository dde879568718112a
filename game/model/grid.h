#pragma once
// Choosing the grid for a number of pieces, and fresh piece records.
#include <cstdint>
#include <vector>

#include "game/model/puzzlemodel.h"

namespace pz {

// Candidate column/row counts for N pieces: the divisors 2..N\2, keeping the
// smaller half (rounded up). Index 0 unused.
std::vector<int16_t> ComputeDivisors(int16_t n);

// Fills g.Divisors / g.DivisorCount for g.NumberOfPieces.
void SetDivisors(Grid& g);

// A picture is cut when it is at least 33 x 33 pixels.
inline bool IsTooSmallPicture(int width, int height) { return width <= 32 || height <= 32; }

struct GridChoice {
    int16_t columns = 0;
    int16_t rows = 0;
};

// The grid for N pieces on an image of the given size, from the divisors.
// Returns false when N has no divisor to choose from (a prime N).
bool ChooseGrid(const Grid& g, int16_t imageWidth, int16_t imageHeight, GridChoice& out);

// New, cleared records for N pieces with their grid cells and the
// checkerboard of edge shapes. Groups and lists are left for ClearSettings.
void InitPieceRecords(const Grid& g, PuzzleModel& m);

}  // namespace pz
