#include <gtest/gtest.h>

#include <functional>

#include "game/model/invariants.h"
#include "testutil.h"

namespace pz {

namespace {
test::CutPuzzle Small() { return test::MakeCut(4, 3, 400, 300, 800, 600); }
}  // namespace

TEST(ClearSettings, ResetsGroupsButNotPositionsOrShapes) {
    auto c = Small();
    test::Place(c.m, 5, 123, 45);
    c.m.Pieces[1].RightJoined = c.m.Pieces[2].LeftJoined = true;
    test::Join(c.m, 1, 2);
    c.m.PuzzleComplete = true;
    c.m.File.ElapsedSeconds = 99;
    const PieceInfo shapeBefore = c.m.Pieces[6];
    ClearSettings(c.g, c.m);
    EXPECT_EQ((std::array<int, 4>{c.m.GroupCount, c.m.GroupOrderSize, c.m.File.ElapsedSeconds, c.m.InPlaceCount}),
              (std::array<int, 4>{12, 12, 0, 0}));
    EXPECT_FALSE(c.m.PuzzleComplete);
    for (int p = 1; p <= 12; ++p) {
        EXPECT_EQ(c.m.Pieces[p].Group, p);
        EXPECT_EQ(c.m.GroupOrder[p], p);
        EXPECT_EQ(c.m.Groups[p].PieceCount, 1);
    }
    EXPECT_EQ((std::array{c.m.Pieces[5].X, c.m.Pieces[5].Y}), (std::array{123, 45}));
    EXPECT_EQ(c.m.Pieces[6].TopOut, shapeBefore.TopOut);
    EXPECT_EQ(test::Broken(c.g, c.m), "");   // joins gone, lists and extents of one piece each
}

TEST(Invariants, NameTheRuleABrokenModelBreaks) {
    const struct { const char* what; int rule; std::function<void(test::CutPuzzle&)> breakIt; } cases[] = {
        {"grid product", 1, [](auto& c) { c.g.NumRows = 4; }},
        {"cell", 2, [](auto& c) { c.m.Pieces[7].Column = 0; }},
        {"body rectangle", 3, [](auto& c) { c.m.Pieces[3].ImageRect.Right += 1; }},
        {"home", 4, [](auto& c) { c.m.Pieces[4].HomeY += 1; }},
        {"checkerboard", 5, [](auto& c) { c.m.Pieces[6].TopOut = !c.m.Pieces[6].TopOut; }},
        {"group listed twice", 6, [](auto& c) { c.m.GroupOrder[2] = 1; }},
        {"list disagrees", 6, [](auto& c) { c.m.Pieces[3].Group = 2; }},
        {"wrong extents", 6, [](auto& c) { c.m.Groups[5].RightColumn = 3; }},
        {"one-sided join", 7, [](auto& c) { c.m.Pieces[1].RightJoined = true; }},
        {"join across groups", 7, [](auto& c) {
             c.m.Pieces[1].RightJoined = true;
             c.m.Pieces[2].LeftJoined = true;
         }},
        {"join over the border", 7, [](auto& c) {
             c.m.Pieces[4].RightJoined = true;
             c.m.Pieces[5].LeftJoined = true;
         }},
        {"complete flag", 8, [](auto& c) { c.m.PuzzleComplete = true; }},
        {"home and loose", 8, [](auto& c) {
             c.m.PiecesInPlace = {0, 9};
             c.m.InPlaceCount = 1;
         }},
        {"group out of range", 8, [](auto& c) { c.m.Pieces[9].Group = 77; }},
        // Lists too short are reported, not read.
        {"short piece list", 1, [](auto& c) { c.m.Pieces.resize(5); }},
        {"count past the order", 6, [](auto& c) { c.m.GroupCount = 40; }},
        {"count past its list", 6, [](auto& c) { c.m.Groups[3].PieceCount = 9; }},
    };
    for (const auto& k : cases) {
        auto c = Small();
        k.breakIt(c);
        auto f = CheckInvariants(c.g, c.m);
        ASSERT_TRUE(f.has_value()) << k.what;
        EXPECT_EQ(f->number, k.rule) << k.what << ": " << f->message;
    }
}

}  // namespace pz
