#include <gtest/gtest.h>
#include <map>

#include "game/model/grid.h"

namespace pz {

namespace {
std::vector<int16_t> Live(const std::vector<int16_t>& d) { return {d.begin() + 1, d.end()}; }

// The grid chosen for n pieces on a picture of w x h; 0 x 0 where there is none.
std::pair<int, int> Choose(int n, int w, int h) {
    Grid g;
    g.NumberOfPieces = int16_t(n);
    SetDivisors(g);
    GridChoice c;
    if (!ChooseGrid(g, int16_t(w), int16_t(h), c)) return {0, 0};
    return {c.columns, c.rows};
}
}  // namespace

TEST(Grid, DivisorsKeepTheSmallerHalfRoundedUp) {
    const std::map<int, std::vector<int16_t>> cases = {
        {64, {2, 4, 8}}, {12, {2, 3}}, {36, {2, 3, 4, 6}}, {15, {3}}, {4, {2}}, {13, {}}};
    for (const auto& [n, divisors] : cases) EXPECT_EQ(Live(ComputeDivisors(n)), divisors) << n;
}

TEST(Grid, ChoiceFollowsTheSignedRoundedDifference) {
    // Portrait is not the mirror image of landscape; a square counts as tall;
    // a prime count has no grid.
    const struct { int n, w, h, columns, rows; } cases[] = {{12, 400, 300, 4, 3}, {12, 300, 400, 2, 6},
        {64, 400, 300, 8, 8}, {15, 400, 300, 5, 3}, {15, 300, 300, 3, 5}, {13, 400, 300, 0, 0}};
    for (const auto& k : cases)
        EXPECT_EQ(Choose(k.n, k.w, k.h), (std::pair{k.columns, k.rows})) << k.n << " at " << k.w << "x" << k.h;
}

}  // namespace pz
