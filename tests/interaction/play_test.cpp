#include <gtest/gtest.h>

#include "game/interaction/groups.h"
#include "game/interaction/hittest.h"
#include "game/interaction/play.h"
#include "game/model/invariants.h"
#include "testutil.h"

namespace pz {

namespace {

// Lays the puzzle out with every piece far from every other, so that only
// what a test moves can meet.
void Spread(test::CutPuzzle& c) {
    const int step = c.m.PieceWidth * 3;
    for (int p = 1; p <= c.g.NumberOfPieces; ++p) {
        c.m.Pieces[p].X = 10000 + p * step;
        c.m.Pieces[p].Y = 10000 + p * step;
    }
}

void Release(test::CutPuzzle& c, int16_t piece, double sw = 800, double sh = 600) {
    c.m.SelectedPiece = piece;
    c.m.SelectedGroup = c.m.Pieces[piece].Group;
    JoinPass(c.g, c.m, sw, sh);
}

struct Host : PlacingHost {
    int stops = 0, entries = 0, saves = 0;
    void StopTimer() override { ++stops; }
    void BestTimeEntry() override { ++entries; }
    void SaveBestTimes() override { ++saves; }
};

}  // namespace

TEST(Join, FourPixelsOffJoinsFiveDoesNot) {
    for (int off : {4, -4, 5, -5}) {
        for (bool alongX : {true, false}) {
            auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
            Spread(c);
            const int W = c.m.PieceWidth;
            c.m.Pieces[1].X = 100;
            c.m.Pieces[1].Y = 100;
            c.m.Pieces[2].X = 100 + W + (alongX ? off : 4);
            c.m.Pieces[2].Y = 100 + (alongX ? 4 : off);
            Release(c, 2);
            const bool joined = std::abs(off) < 5;
            EXPECT_EQ(c.m.Pieces[2].Group == c.m.Pieces[1].Group, joined) << off << (alongX ? " x" : " y");
            EXPECT_EQ(c.m.Pieces[2].LeftJoined, joined);
            EXPECT_EQ(c.m.Pieces[1].RightJoined, joined);
            if (joined) {
                // The moving piece snapped; the stationary group kept its number.
                EXPECT_EQ(c.m.Pieces[2].Group, 1);
                EXPECT_EQ(c.m.Pieces[2].X, 100 + W);
                EXPECT_EQ(c.m.Pieces[2].Y, 100);
                EXPECT_EQ(c.m.Groups[2].PieceCount, 0);
                EXPECT_EQ(c.m.GroupOrder[c.m.GroupCount], 1);
            }
            EXPECT_FALSE(CheckInvariants(c.g, c.m).has_value());
        }
    }
}

TEST(Join, ToleranceAndHomeGrowWithThePixelRatio) {
    // Strictly under 5 x ratio: the last offset that joins and the first that does not.
    for (auto [ratio, joins, misses] : {std::tuple{1.25, 6, 7}, {1.5, 7, 8}, {2.0, 9, 10}}) {
        for (int off : {joins, misses}) {
            auto c = test::MakeCut(4, 3, 400, 300, 800, 600, nullptr, ratio);
            Spread(c);
            c.m.Pieces[1].X = 100;
            c.m.Pieces[1].Y = 100;
            c.m.Pieces[2].X = 100 + c.m.PieceWidth - off;
            c.m.Pieces[2].Y = 100 + off;
            Release(c, 2);
            EXPECT_EQ(c.m.Pieces[2].Group == c.m.Pieces[1].Group, off == joins) << ratio << " " << off;
            PieceInfo& p = c.m.Pieces[7];
            p.X = p.HomeX + off;
            p.Y = p.HomeY - off;
            EXPECT_EQ(IsAtHome(c.m, 7), off == joins) << ratio << " " << off;
        }
    }
}

TEST(Join, VerticalNeighboursJoinUpAndDown) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    Spread(c);
    const int H = c.m.PieceHeight;
    c.m.Pieces[2].X = 200;
    c.m.Pieces[2].Y = 100;
    c.m.Pieces[10].X = 203;
    c.m.Pieces[10].Y = 100 + 2 * H + 2;
    c.m.Pieces[6].X = 198;
    c.m.Pieces[6].Y = 100 + H - 3;   // fits between them
    Release(c, 6);
    EXPECT_EQ(c.m.Pieces[6].Group, c.m.Pieces[2].Group);
    EXPECT_EQ(c.m.Pieces[10].Group, c.m.Pieces[2].Group);
    EXPECT_TRUE(c.m.Pieces[6].TopJoined && c.m.Pieces[2].BottomJoined);
    EXPECT_TRUE(c.m.Pieces[6].BottomJoined && c.m.Pieces[10].TopJoined);
    // All laid out on the grid around the lowest-numbered piece, 2.
    EXPECT_EQ(c.m.Pieces[6].X, c.m.Pieces[2].X);
    EXPECT_EQ(c.m.Pieces[10].Y, c.m.Pieces[2].Y + 2 * H);
    EXPECT_FALSE(CheckInvariants(c.g, c.m).has_value());
}

TEST(Join, ReleasedGroupTouchingTwoGroupsMergesAllThree) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    Spread(c);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight;
    // A dragged pair 6-7; piece 5 left of 6, piece 8 right of 7.
    c.m.Pieces[6].X = 300, c.m.Pieces[6].Y = 200;
    c.m.Pieces[7].X = 300 + W, c.m.Pieces[7].Y = 200;
    Release(c, 6);   // 6 and 7 join; nothing else is near
    ASSERT_EQ(c.m.Pieces[7].Group, c.m.Pieces[6].Group);
    c.m.Pieces[5].X = 300 - W + 2, c.m.Pieces[5].Y = 201;
    // Joining 5 shifts the pair by 2 pixels; 8 is within reach after that.
    c.m.Pieces[8].X = 300 + 2 * W + 1, c.m.Pieces[8].Y = 198;
    Release(c, 7);
    const int g5 = c.m.Pieces[5].Group;
    for (int p : {5, 6, 7, 8}) EXPECT_EQ(c.m.Pieces[p].Group, g5) << p;
    EXPECT_EQ(g5, 8);   // the group joined last survives (pieces tested 6 then 7)
    EXPECT_EQ(c.m.Groups[g5].PieceList, (std::vector<int16_t>{0, 5, 6, 7, 8}));
    EXPECT_EQ(c.m.Pieces[6].X - c.m.Pieces[5].X, W);
    EXPECT_EQ(c.m.Pieces[8].Y, c.m.Pieces[5].Y);
    EXPECT_FALSE(CheckInvariants(c.g, c.m).has_value());
    (void)H;
}

TEST(Join, NeverAcrossTheEndOfARow) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    Spread(c);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight;
    // Piece 5 (first column) placed exactly right of piece 4 (last column),
    // and exactly where 4's right neighbour would be.
    c.m.Pieces[4].X = 100, c.m.Pieces[4].Y = 100;
    c.m.Pieces[5].X = 100 + W, c.m.Pieces[5].Y = 100;
    Release(c, 5);
    EXPECT_NE(c.m.Pieces[5].Group, c.m.Pieces[4].Group);
    Release(c, 4);
    EXPECT_NE(c.m.Pieces[5].Group, c.m.Pieces[4].Group);
    EXPECT_FALSE(c.m.Pieces[4].RightJoined || c.m.Pieces[5].LeftJoined);
    (void)H;
}

TEST(Join, ClosingARingOnlySetsFlags) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    Spread(c);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight;
    // 1-2 on top, 5-6 below, joined as an L: 1-2, 1-5, 5-6; 2-6 still open.
    auto put = [&](int p, int col, int row) { c.m.Pieces[p].X = 100 + col * W, c.m.Pieces[p].Y = 100 + row * H; };
    put(1, 0, 0);
    put(2, 1, 0);
    Release(c, 2);
    put(5, 0, 1);
    Release(c, 5);
    put(6, 1, 1);
    c.m.Pieces[6].X += 1;
    // Join 6 to 5 only by testing its left side: 6's top (2) is tested first
    // and already in range, so both join; the ring closes within this pass.
    Release(c, 6);
    EXPECT_EQ(c.m.Groups[c.m.Pieces[1].Group].PieceCount, 4);
    EXPECT_TRUE(c.m.Pieces[6].TopJoined && c.m.Pieces[2].BottomJoined);
    EXPECT_TRUE(c.m.Pieces[6].LeftJoined && c.m.Pieces[5].RightJoined);
    // Release the whole group again: every flag already set, nothing changes.
    const auto before = c.m.Groups;
    Release(c, 1);
    EXPECT_EQ(c.m.Groups, before);
    EXPECT_FALSE(CheckInvariants(c.g, c.m).has_value());
}

TEST(Join, NeighbourLockedHomeIsLeftAlone) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    Spread(c);
    Host host;
    c.m.Pieces[1].X = c.m.Pieces[1].HomeX;
    c.m.Pieces[1].Y = c.m.Pieces[1].HomeY;
    SetGroupInPlace(c.g, c.m, 1, host);
    c.m.Pieces[2].X = c.m.Pieces[1].X + c.m.PieceWidth + 30;   // not at home
    c.m.Pieces[2].Y = c.m.Pieces[1].Y;
    c.m.Pieces[2].X -= 30 - 4;
    c.m.Pieces[2].X += 0;
    // 4 px off its left neighbour, but also 4 px off its home: only the
    // release's at-home test could lock it; the join pass must not join.
    Release(c, 2);
    EXPECT_EQ(c.m.Pieces[1].Group, 0);
    EXPECT_EQ(c.m.Pieces[2].Group, 2);
    EXPECT_FALSE(c.m.Pieces[2].LeftJoined);
    EXPECT_FALSE(CheckInvariants(c.g, c.m).has_value());
}

TEST(Placing, AtHomeWithinFourPixels) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    PieceInfo& p = c.m.Pieces[7];
    for (auto [dx, dy, home] : {std::tuple{4, -4, true}, {-4, 4, true}, {5, 0, false}, {0, -5, false}, {0, 0, true}}) {
        p.X = p.HomeX + dx;
        p.Y = p.HomeY + dy;
        EXPECT_EQ(IsAtHome(c.m, 7), home) << dx << "," << dy;
    }
}

TEST(Placing, LockingMovesTheGroupHomeAndCompletesAtTheLast) {
    auto c = test::MakeCut(2, 2, 300, 300, 800, 600);
    Spread(c);
    Host host;
    c.g.TimePuzzle = true;
    c.g.ElapsedSeconds = 30;
    c.m.Pieces[1].RightJoined = c.m.Pieces[2].LeftJoined = true;
    c.m.SelectedPiece = 2;
    c.m.SelectedGroup = 2;
    SetPieceGroup(c.m, 1);
    SetGroupInPlace(c.g, c.m, 1, host);
    EXPECT_EQ(c.m.Pieces[1].X, c.m.Pieces[1].HomeX);
    EXPECT_EQ(c.m.Pieces[2].Y, c.m.Pieces[2].HomeY);
    EXPECT_EQ(c.m.PiecesInPlace, (std::vector<int16_t>{0, 1, 2}));
    EXPECT_TRUE(c.m.Groups[1].InPlace);
    EXPECT_FALSE(c.m.PuzzleComplete);
    EXPECT_EQ(host.saves, 1);
    EXPECT_EQ(host.stops, 0);
    EXPECT_EQ(c.g.ElapsedSeconds, 30);
    EXPECT_FALSE(CheckInvariants(c.g, c.m).has_value());
    SetGroupInPlace(c.g, c.m, 3, host);
    SetGroupInPlace(c.g, c.m, 4, host);
    EXPECT_TRUE(c.m.PuzzleComplete);
    EXPECT_EQ(c.m.GroupCount, 0);
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(host.entries, 1);
    EXPECT_EQ(host.saves, 3);
    EXPECT_EQ(c.g.ElapsedSeconds, 0);
    EXPECT_EQ(c.m.SelectedPiece, 0);
    EXPECT_FALSE(CheckInvariants(c.g, c.m).has_value());
}

TEST(Placing, UntimedCompletionAsksForNoName) {
    auto c = test::MakeCut(2, 2, 300, 300, 800, 600);
    Host host;
    c.g.TimePuzzle = false;
    c.g.ElapsedSeconds = 12;
    for (int16_t g = 1; g <= 4; ++g) SetGroupInPlace(c.g, c.m, g, host);
    EXPECT_TRUE(c.m.PuzzleComplete);
    EXPECT_EQ(host.entries, 0);
    EXPECT_EQ(host.saves, 4);
    EXPECT_EQ(c.g.ElapsedSeconds, 0);
}

TEST(Drag, PickedPieceCentresUnderTheCursorAndAxesFreezeAtEdges) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    Spread(c);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight, MX = c.m.MarginX, MY = c.m.MarginY;
    const int cx = (2 * MX + W) / 2, cy = (2 * MY + H) / 2;
    // A group of 6 and 7 dragged by 7.
    c.m.Pieces[6].X = 300, c.m.Pieces[6].Y = 200;
    c.m.Pieces[7].X = 300 + W + 1, c.m.Pieces[7].Y = 200;
    Release(c, 7);
    c.m.SelectedPiece = 7;
    DragGroupTo(c.m, 400, 300, 800, 600);
    EXPECT_EQ(c.m.Pieces[7].X, 400 - cx);
    EXPECT_EQ(c.m.Pieces[7].Y, 300 - cy);
    EXPECT_EQ(c.m.Pieces[6].X, 400 - cx - W);
    // Towards the right edge: x stops once the right image edge would reach
    // the edge, y still follows.
    DragGroupTo(c.m, 800 - cx - 1, 310, 800, 600);
    EXPECT_EQ(c.m.Pieces[7].X, 800 - cx - 1 - cx);
    DragGroupTo(c.m, 800 - cx, 320, 800, 600);   // Right = 800: not < width
    EXPECT_EQ(c.m.Pieces[7].X, 800 - cx - 1 - cx);
    EXPECT_EQ(c.m.Pieces[7].Y, 320 - cy);
    EXPECT_EQ(c.m.Pieces[6].Y, 320 - cy);
    // Left edge judged from the group's left column (piece 6's image).
    DragGroupTo(c.m, W + cx, 330, 800, 600);   // Left = 0: frozen
    EXPECT_EQ(c.m.Pieces[7].X, 800 - cx - 1 - cx);
    DragGroupTo(c.m, W + cx + 1, 330, 800, 600);
    EXPECT_EQ(c.m.Pieces[6].X, 1 - cx + cx);
    EXPECT_EQ(c.m.Pieces[6].X, 1);
    // Top edge frozen, x still follows.
    DragGroupTo(c.m, 400, cy, 800, 600);
    EXPECT_EQ(c.m.Pieces[7].Y, 330 - cy);
    EXPECT_EQ(c.m.Pieces[7].X, 400 - cx);
}

TEST(Drag, PreviewFollowsItsCaptionInsideTheArea) {
    PuzzleModel m;
    m.PreviewWidth = 100;
    m.PreviewWidthInt = 100;
    m.PreviewHeight = 80;
    DragPreviewTo(m, 300, 100, 800, 600);
    EXPECT_EQ(m.PreviewCaptionRect, (RectL{250, 92, 350, 109}));
    EXPECT_EQ(m.PreviewRect, (RectL{250, 110, 350, 190}));
    DragPreviewTo(m, 50, 8, 800, 600);   // both axes at their limits: frozen
    EXPECT_EQ(m.PreviewCaptionRect.Left, 250);
    EXPECT_EQ(m.PreviewCaptionRect.Top, 92);
    EXPECT_TRUE(OnPreviewCaption(m, 251, 93));
    EXPECT_FALSE(OnPreviewCaption(m, 250, 100));   // borders are outside
    EXPECT_FALSE(OnPreviewCaption(m, 300, 109));
}

TEST(HitTest, EachPieceKindUsesItsTableRow) {
    auto rows = [](int cols, int nrows) {
        auto c = test::MakeCut(cols, nrows, 100 * cols, 100 * nrows, 2000, 2000);
        std::vector<int> r;
        for (int p = 1; p <= cols * nrows; ++p) r.push_back(HitTableRow(c.g, c.m, p));
        return r;
    };
    EXPECT_EQ(rows(3, 3), (std::vector<int>{1, 5, 6, 8, 2, 10, 13, 15, 17}));
    EXPECT_EQ(rows(5, 4), (std::vector<int>{1, 5, 4, 5, 6, 8, 2, 3, 2, 10, 9, 3, 2, 3, 11, 12, 14, 15, 14, 16}));
    EXPECT_EQ(rows(4, 2)[3], 7);   // top-right corner with a hole on its left
    // Flags that fit no row: the piece cannot be picked.
    auto c = test::MakeCut(3, 3, 300, 300, 2000, 2000);
    c.m.Pieces[5].LeftOut = false;
    c.m.Pieces[5].TopOut = false;
    EXPECT_EQ(HitTableRow(c.g, c.m, 5), 0);
    c.m.Pieces[5].X = 0, c.m.Pieces[5].Y = 0;
    EXPECT_FALSE(HitTestPiece(c.g, c.m, 5, c.m.MarginX + c.m.PieceWidth / 2, c.m.MarginY + c.m.PieceHeight / 2));
}

TEST(HitTest, BodiesHitHolesAndBordersMiss) {
    for (auto [cols, rows] : {std::pair{3, 3}, std::pair{5, 4}}) {
        auto c = test::MakeCut(cols, rows, 120 * cols, 100 * rows, 3000, 3000);
        const int W = c.m.PieceWidth, H = c.m.PieceHeight, MX = c.m.MarginX, MY = c.m.MarginY;
        for (int p = 1; p <= cols * rows; ++p) {
            PieceInfo& pc = c.m.Pieces[p];
            pc.X = 500, pc.Y = 700;
            EXPECT_TRUE(HitTestPiece(c.g, c.m, p, 500 + MX + W / 2.0 + 0.5, 700 + MY + H / 2.0 + 0.5)) << p;
            // Outside the image altogether.
            EXPECT_FALSE(HitTestPiece(c.g, c.m, p, 499, 700 + MY + H / 2.0)) << p;
            // Inside the hole of a top edge that has one (centre, first line).
            if (!pc.TopOut) {
                EXPECT_FALSE(HitTestPiece(c.g, c.m, p, 500 + MX + W / 2.0, 700 + MY + 1)) << p;
            }
            if (!pc.LeftOut) {
                EXPECT_FALSE(HitTestPiece(c.g, c.m, p, 500 + MX + 1, 700 + MY + H / 2.0)) << p;
            }
        }
        // Piece 5 of a 3 x 3 grid (row 2 of the table): its left tab hits,
        // the border v = 2 MY of the only rectangle there misses.
        if (cols == 3) {
            EXPECT_TRUE(HitTestPiece(c.g, c.m, 5, 500 + MX / 2.0, 700 + MY * 2 + 1));
            EXPECT_FALSE(HitTestPiece(c.g, c.m, 5, 500 + MX / 2.0, 700 + MY * 2));
            EXPECT_FALSE(HitTestPiece(c.g, c.m, 5, 500 + 0, 700 + MY * 2 + 1));   // u = 0 border
        }
    }
}

TEST(HitTest, TopmostGroupAndHighestPieceFirstAndNeverAtHome) {
    auto c = test::MakeCut(3, 3, 300, 300, 2000, 2000);
    Spread(c);
    const double cx = c.m.MarginX + c.m.PieceWidth / 2.0 + 0.5, cy = c.m.MarginY + c.m.PieceHeight / 2.0 + 0.5;
    c.m.Pieces[2].X = c.m.Pieces[7].X = 100;
    c.m.Pieces[2].Y = c.m.Pieces[7].Y = 100;
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 7);   // group 7 lies later in the order
    c.m.SelectedPiece = 2;
    ReOrderGroups(c.m);
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 2);
    // Inside one group the higher number is tested first.
    c.m.Pieces[2].RightJoined = c.m.Pieces[3].LeftJoined = true;
    c.m.SelectedPiece = 3;
    c.m.SelectedGroup = 3;
    SetPieceGroup(c.m, 2);
    c.m.Pieces[3].X = 100, c.m.Pieces[3].Y = 100;   // stacked for the test
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 3);
    // A group at home is never picked.
    Host host;
    SetGroupInPlace(c.g, c.m, c.m.Pieces[3].Group, host);
    c.m.Pieces[3].X = 100, c.m.Pieces[3].Y = 100;
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 7);
    EXPECT_EQ(FindPieceAt(c.g, c.m, 5, 5), 0);
}

}  // namespace pz
