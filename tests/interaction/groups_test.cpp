#include <gtest/gtest.h>

#include "game/model/invariants.h"

#include "fakerandom.h"
#include "testutil.h"

namespace pz {

TEST(Groups, ReOrderLiftsOneGroupAndKeepsTheRest) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    c.m.SelectedPiece = 3;
    ReOrderGroups(c.m);
    EXPECT_EQ(c.m.GroupOrder, (std::vector<int16_t>{0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 3}));
}

TEST(AlignGroup, ClampsTheAnchorAndMeasuresBodiesOnTheRight) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight;
    const PieceInfo &p5 = c.m.Pieces[5], &p6 = c.m.Pieces[6];
    c.m.Pieces[6].LeftJoined = c.m.Pieces[5].RightJoined = true;
    test::Join(c.m, 6, 5);
    // Off the left and top: the leftmost image starts at 0.
    test::Place(c.m, 5, -30, -10);
    AlignGroup(c.m, 5, 800, 600);
    EXPECT_EQ((std::array{p5.X, p5.Y, p6.X, p6.Y}), (std::array{0, 0, W, 0}));
    // Off the right: the right end of the rightmost body sits at the edge.
    test::Place(c.m, 5, 790, 590);
    AlignGroup(c.m, 5, 800, 600);
    EXPECT_EQ((std::array{p5.X, p5.Y, p6.X + W}), (std::array{800 - 2 * W, 600 - H, 800}));
    // Exactly at the limit counts as beyond it (<=).
    c.m.Pieces[5].X = 800 - 2 * W;
    AlignGroup(c.m, 5, 800, 600);
    EXPECT_EQ(c.m.Pieces[5].X, 800 - 2 * W);
    // A one-piece group is never clamped.
    c.m.Pieces[1].X = -50;
    AlignGroup(c.m, 1, 800, 600);
    EXPECT_EQ(c.m.Pieces[1].X, -50);
}

TEST(Scramble, ScattersFromAFreshSeedEveryImageInsideThePlayArea) {
    auto c = test::MakeCut(8, 8, 640, 480, 900, 700);
    c.m.File.ElapsedSeconds = 50;
    c.m.Pieces[1].RightJoined = true;
    // Draws of 0 and just below 1 land on both ends of the range; the rest
    // spread over [0, 1).
    std::vector<float> draws{0.0f, 0.0f, 0.99999994f, 0.99999994f};
    for (int i = 0; i < 124; ++i) draws.push_back(float((i * 37) % 124) / 124.0f);
    test::FixedRandom rnd(draws);
    Scramble(c.g, c.m, 900, 700, rnd);
    EXPECT_EQ(rnd.reseededAfter, std::vector<size_t>{0});   // from the clock, before drawing
    EXPECT_EQ(rnd.draws, 128u);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight, MX = c.m.MarginX, MY = c.m.MarginY;
    EXPECT_EQ((std::array{c.m.Pieces[1].X, c.m.Pieces[1].Y, c.m.Pieces[2].X, c.m.Pieces[2].Y}),
              (std::array{MX + 1, MY + 1, 900 - W - 2 * MX - 1, 700 - H - 2 * MY - 1}));
    for (int p = 1; p <= 64; ++p) {   // every image inside, one pixel clear of the edges
        const PieceInfo& q = c.m.Pieces[p];
        EXPECT_TRUE(q.X >= MX + 1 && q.Y >= MY + 1 && q.X + W + 2 * MX <= 899 && q.Y + H + 2 * MY <= 699) << p;
    }
    EXPECT_EQ(c.m.File.ElapsedSeconds, 0);
    EXPECT_FALSE(c.m.Pieces[1].RightJoined);
    EXPECT_EQ(test::Broken(c.g, c.m), "");
}

}  // namespace pz
