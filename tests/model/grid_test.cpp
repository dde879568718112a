#include <gtest/gtest.h>

#include "game/model/grid.h"
#include "game/model/invariants.h"

namespace pz {

namespace {
std::vector<int16_t> Live(const std::vector<int16_t>& d) { return {d.begin() + 1, d.end()}; }

GridChoice Choose(int n, int w, int h) {
    Globals g;
    g.NumberOfPieces = int16_t(n);
    SetDivisors(g);
    GridChoice c;
    EXPECT_TRUE(ChooseGrid(g, int16_t(w), int16_t(h), c));
    return c;
}
}  // namespace

TEST(Grid, DivisorsKeepTheSmallerHalfRoundedUp) {
    EXPECT_EQ(Live(ComputeDivisors(64)), (std::vector<int16_t>{2, 4, 8}));
    EXPECT_EQ(Live(ComputeDivisors(12)), (std::vector<int16_t>{2, 3}));
    EXPECT_EQ(Live(ComputeDivisors(36)), (std::vector<int16_t>{2, 3, 4, 6}));
    EXPECT_EQ(Live(ComputeDivisors(15)), (std::vector<int16_t>{3}));
    EXPECT_EQ(Live(ComputeDivisors(4)), (std::vector<int16_t>{2}));
    EXPECT_TRUE(Live(ComputeDivisors(13)).empty());
}

TEST(Grid, ChoiceFollowsTheSignedRoundedDifference) {
    // Portrait is not the mirror image of landscape; a square counts as tall.
    const struct { int n, w, h, columns, rows; } cases[] = {
        {12, 400, 300, 4, 3}, {12, 300, 400, 2, 6}, {64, 400, 300, 8, 8}, {15, 400, 300, 5, 3}, {15, 300, 300, 3, 5}};
    for (const auto& k : cases) {
        const GridChoice c = Choose(k.n, k.w, k.h);
        EXPECT_EQ((std::pair<int, int>{c.columns, c.rows}), (std::pair{k.columns, k.rows})) << k.n << " at " << k.w << "x" << k.h;
    }
}

TEST(Grid, PrimeCountHasNoGrid) {
    Globals g;
    g.NumberOfPieces = 13;
    SetDivisors(g);
    GridChoice c;
    EXPECT_FALSE(ChooseGrid(g, 400, 300, c));
}

TEST(Grid, FreshRecordsFormACheckerboard) {
    Globals g;
    g.NumberOfPieces = 4;
    g.NumColumns = 2;
    g.NumRows = 2;
    PuzzleModel m;
    InitPieceRecords(g, m);
    ClearSettings(g, m);
    // 2 x 2: the odd pieces (2 and 3) carry both tabs of the inner edges.
    EXPECT_TRUE(m.Pieces[2].TopOut && m.Pieces[2].BottomOut && !m.Pieces[2].LeftOut && m.Pieces[2].RightOut);
    EXPECT_TRUE(m.Pieces[3].TopOut && m.Pieces[3].BottomOut && m.Pieces[3].LeftOut && !m.Pieces[3].RightOut);
    EXPECT_TRUE(m.Pieces[1].TopOut && !m.Pieces[1].BottomOut && m.Pieces[1].LeftOut && m.Pieces[1].RightOut);
    EXPECT_TRUE(!m.Pieces[4].TopOut && m.Pieces[4].BottomOut);
    EXPECT_FALSE(CheckInvariants(g, m, false).has_value());

    g.NumberOfPieces = 35;
    g.NumColumns = 7;
    g.NumRows = 5;
    InitPieceRecords(g, m);
    ClearSettings(g, m);
    EXPECT_FALSE(CheckInvariants(g, m, false).has_value());
    // On every inner edge exactly one side is "out".
    for (int p = 1; p <= 35; ++p) {
        const PieceInfo& pc = m.Pieces[p];
        if (pc.Column < 6) {
            EXPECT_NE(pc.RightOut, m.Pieces[p + 1].LeftOut) << p;
        }
        if (pc.Row < 4) {
            EXPECT_NE(pc.BottomOut, m.Pieces[p + 7].TopOut) << p;
        }
    }
}

}  // namespace pz
