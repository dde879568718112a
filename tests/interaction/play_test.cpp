#include <gtest/gtest.h>

#include "game/interaction/hittest.h"
#include "game/model/invariants.h"
#include "testutil.h"

namespace pz {

namespace {

// The puzzle laid out with every piece far from every other, so that only
// what a test moves can meet.
test::CutPuzzle Spread(test::CutPuzzle c = test::MakeCut(4, 3, 400, 300, 800, 600)) {
    const int step = c.m.PieceWidth * 3;
    for (int p = 1; p <= c.g.NumberOfPieces; ++p) test::Place(c.m, p, 10000 + p * step, 10000 + p * step);
    return c;
}

void Release(test::CutPuzzle& c, int16_t piece, double sw = 800, double sh = 600) {
    c.m.SelectedPiece = piece;
    c.m.SelectedGroup = c.m.Pieces[piece].Group;
    JoinPass(c.g, c.m, sw, sh);
}

}  // namespace

TEST(Join, UnderFivePixelsTimesTheRatioJoinsAndCountsAsHome) {
    // Strictly under 5 x ratio, along either axis or both, on either side:
    // the last offset that joins or counts as home and the first that does not.
    for (auto [ratio, joins, misses] : {std::tuple{1.0, 4, 5}, {1.25, 6, 7}, {1.5, 7, 8}, {2.0, 9, 10}}) {
        for (int off : {joins, -joins, misses, -misses}) {
            const bool near = std::abs(off) == joins;
            for (auto [dx, dy] : {std::pair{off, 0}, {0, off}, {off, -off}}) {
                auto c = Spread(test::MakeCut(4, 3, 400, 300, 800, 600, nullptr, ratio));
                const int W = c.m.PieceWidth;
                test::Place(c.m, 1, 100, 100);
                test::Place(c.m, 2, 100 + W + dx, 100 + dy);
                Release(c, 2);
                EXPECT_EQ((std::array{c.m.Pieces[2].Group == c.m.Pieces[1].Group, c.m.Pieces[2].LeftJoined,
                                      c.m.Pieces[1].RightJoined}),
                          (std::array{near, near, near}))
                    << ratio << " at " << dx << "," << dy;
                if (near) {   // the moving piece snapped; the stationary group kept its number
                    EXPECT_EQ((std::array<int, 5>{c.m.Pieces[2].Group, c.m.Pieces[2].X, c.m.Pieces[2].Y,
                                                  c.m.Groups[2].PieceCount, c.m.GroupOrder[c.m.GroupCount]}),
                              (std::array<int, 5>{1, 100 + W, 100, 0, 1}));
                }
                EXPECT_EQ(test::Broken(c.g, c.m), "");
                test::Place(c.m, 7, c.m.Pieces[7].HomeX + dx, c.m.Pieces[7].HomeY + dy);
                EXPECT_EQ(IsAtHome(c.m, 7), near) << ratio << " home at " << dx << "," << dy;
            }
        }
    }
}

TEST(Join, VerticalNeighboursJoinUpAndDown) {
    auto c = Spread();
    const int H = c.m.PieceHeight;
    test::Place(c.m, 2, 200, 100);
    test::Place(c.m, 10, 203, 100 + 2 * H + 2);
    test::Place(c.m, 6, 198, 100 + H - 3);   // fits between them
    Release(c, 6);
    const PieceInfo &p2 = c.m.Pieces[2], &p6 = c.m.Pieces[6], &p10 = c.m.Pieces[10];
    EXPECT_EQ((std::array{p6.Group, p10.Group}), (std::array{p2.Group, p2.Group}));
    EXPECT_TRUE(p6.TopJoined && p2.BottomJoined && p6.BottomJoined && p10.TopJoined);
    // All laid out on the grid around the lowest-numbered piece, 2.
    EXPECT_EQ((std::array{p6.X, p10.Y}), (std::array{p2.X, p2.Y + 2 * H}));
    EXPECT_EQ(test::Broken(c.g, c.m), "");
}

TEST(Join, ReleasedGroupTouchingTwoGroupsMergesAllThree) {
    auto c = Spread();
    const int W = c.m.PieceWidth;
    // A dragged pair 6-7; piece 5 left of 6, piece 8 right of 7.
    test::Place(c.m, 6, 300, 200);
    test::Place(c.m, 7, 300 + W, 200);
    Release(c, 6);   // 6 and 7 join; nothing else is near
    ASSERT_EQ(c.m.Pieces[7].Group, c.m.Pieces[6].Group);
    test::Place(c.m, 5, 300 - W + 2, 201);
    // Joining 5 shifts the pair by 2 pixels; 8 is within reach after that.
    test::Place(c.m, 8, 300 + 2 * W + 1, 198);
    Release(c, 7);
    const int g5 = c.m.Pieces[5].Group;
    for (int p : {5, 6, 7, 8}) EXPECT_EQ(c.m.Pieces[p].Group, g5) << p;
    EXPECT_EQ(g5, 8);   // the group joined last survives (pieces tested 6 then 7)
    EXPECT_EQ(c.m.Groups[g5].PieceList, (std::vector<int16_t>{0, 5, 6, 7, 8}));
    EXPECT_EQ((std::array{c.m.Pieces[6].X - c.m.Pieces[5].X, c.m.Pieces[8].Y}), (std::array{W, c.m.Pieces[5].Y}));
    EXPECT_EQ(test::Broken(c.g, c.m), "");
}

TEST(Join, ClosingARingOnlySetsFlags) {
    auto c = Spread();
    const int W = c.m.PieceWidth, H = c.m.PieceHeight;
    // 1-2 on top, 5-6 below, joined as an L: 1-2, 1-5, 5-6; 2-6 still open.
    auto put = [&](int p, int col, int row) { test::Place(c.m, p, 100 + col * W, 100 + row * H); };
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
    EXPECT_TRUE(c.m.Pieces[6].TopJoined && c.m.Pieces[2].BottomJoined && c.m.Pieces[6].LeftJoined &&
                c.m.Pieces[5].RightJoined);
    // Release the whole group again: every flag already set, nothing changes.
    const auto before = c.m.Groups;
    Release(c, 1);
    EXPECT_EQ(c.m.Groups, before);
    EXPECT_EQ(test::Broken(c.g, c.m), "");
}

TEST(Join, NeighbourLockedHomeIsLeftAlone) {
    auto c = Spread();
    test::Place(c.m, 1, c.m.Pieces[1].HomeX, c.m.Pieces[1].HomeY);
    SetGroupInPlace(c.g, c.m, 1);
    test::Place(c.m, 2, c.m.Pieces[1].X + c.m.PieceWidth + 4, c.m.Pieces[1].Y);
    // 4 px off its left neighbour, but also 4 px off its home: only the
    // release's at-home test could lock it; the join pass must not join.
    Release(c, 2);
    EXPECT_EQ((std::array{c.m.Pieces[1].Group, c.m.Pieces[2].Group}), (std::array<int16_t, 2>{0, 2}));
    EXPECT_FALSE(c.m.Pieces[2].LeftJoined);
    EXPECT_EQ(test::Broken(c.g, c.m), "");
}

TEST(Drag, PickedPieceCentresUnderTheCursorAndAxesFreezeAtEdges) {
    auto c = Spread();
    const int W = c.m.PieceWidth, H = c.m.PieceHeight, MX = c.m.MarginX, MY = c.m.MarginY;
    const int cx = (2 * MX + W) / 2, cy = (2 * MY + H) / 2;
    // A group of 6 and 7 dragged by 7: the cursor, then where piece 7's image
    // lands. An axis whose image edge would reach the area's edge stays where
    // it was while the other follows; the left edge is judged from the
    // group's left column (piece 6's image).
    test::Place(c.m, 6, 300, 200);
    test::Place(c.m, 7, 300 + W + 1, 200);
    Release(c, 7);
    c.m.SelectedPiece = 7;
    const int right = 800 - 2 * cx - 1;   // the last x whose image ends inside
    const struct { int x, y, X, Y; } steps[] = {
        {400, 300, 400 - cx, 300 - cy}, {800 - cx - 1, 310, right, 310 - cy},
        {800 - cx, 320, right, 320 - cy},   // Right = 800: not < width
        {W + cx, 330, right, 330 - cy},     // Left = 0: frozen
        {W + cx + 1, 330, W + 1, 330 - cy}, {400, cy, 400 - cx, 330 - cy},   // top frozen
    };
    for (const auto& st : steps) {
        DragGroupTo(c.m, st.x, st.y, 800, 600);
        EXPECT_EQ((std::array{c.m.Pieces[7].X, c.m.Pieces[7].Y, c.m.Pieces[6].X, c.m.Pieces[6].Y}),
                  (std::array{st.X, st.Y, st.X - W, st.Y}))
            << "cursor at " << st.x << "," << st.y;
    }
}

TEST(Drag, PreviewFollowsItsCaptionInsideTheArea) {
    PuzzleModel m;
    m.View.PreviewWidth = 100;
    m.View.PreviewWidthInt = 100;
    m.View.PreviewHeight = 80;
    DragPreviewTo(m, 300, 100, 800, 600);
    EXPECT_EQ(m.View.PreviewCaptionRect, (RectL{250, 92, 350, 109}));
    EXPECT_EQ(m.View.PreviewRect, (RectL{250, 110, 350, 190}));
    DragPreviewTo(m, 50, 8, 800, 600);   // both axes at their limits: frozen
    EXPECT_EQ(m.View.PreviewCaptionRect, (RectL{250, 92, 350, 109}));
    // Inside, and on two of its borders, which are outside.
    EXPECT_EQ((std::array{OnPreviewCaption(m, 251, 93), OnPreviewCaption(m, 250, 100), OnPreviewCaption(m, 300, 109)}),
              (std::array{true, false, false}));
}

TEST(HitTest, EachPieceOfACutUsesItsTableRow) {
    auto c = test::MakeCut(5, 4, 500, 400, 2000, 2000);
    std::vector<int> rows;
    for (int p = 1; p <= 20; ++p) rows.push_back(HitTableRow(c.g, c.m, p));
    EXPECT_EQ(rows, (std::vector<int>{1, 5, 4, 5, 6, 8, 2, 3, 2, 10, 9, 3, 2, 3, 11, 12, 14, 15, 14, 16}));
    // Flags that fit no row: the piece cannot be picked.
    c.m.Pieces[8].LeftOut = c.m.Pieces[8].TopOut = false;
    EXPECT_EQ(HitTableRow(c.g, c.m, 8), 0);
    test::Place(c.m, 8, 0, 0);
    EXPECT_FALSE(HitTestPiece(c.g, c.m, 8, c.m.MarginX + c.m.PieceWidth / 2, c.m.MarginY + c.m.PieceHeight / 2));
}

TEST(HitTest, EveryRowHitsItsTabsAndBodyAndMissesItsHoles) {
    // Each kind of piece by its edges (top, right, bottom, left): a tab or a
    // hole spans the body from 2 margins to the body's length along its
    // edge and is one margin deep. Probes lie half a pixel inside or outside
    // each feature (flat edges: the body's line and beyond it; tabs: both
    // ends, the tip and a border, which misses; holes: both ends, the
    // bottom, the shoulders and the body below).
    enum Edge { Flat, Out, In };
    // The grid cell of a 3 x 3 puzzle, the expected table row, the edges.
    const struct { int row, column, line; Edge top, right, bottom, left; } kinds[] = {
        {0, 0, 1, Flat, Out, In, Flat},    {1, 1, 2, In, Out, In, Out},    {1, 1, 3, Out, In, Out, In},
        {0, 1, 4, Flat, Out, In, Out},     {0, 1, 5, Flat, In, Out, In},   {0, 2, 6, Flat, Flat, In, Out},
        {0, 2, 7, Flat, Flat, Out, In},    {1, 0, 8, Out, In, Out, Flat},  {1, 0, 9, In, Out, In, Flat},
        {1, 2, 10, Out, Flat, Out, In},    {1, 2, 11, In, Flat, In, Out},  {2, 0, 12, Out, In, Flat, Flat},
        {2, 0, 13, In, Out, Flat, Flat},   {2, 1, 14, In, Out, Flat, Out}, {2, 1, 15, Out, In, Flat, In},
        {2, 2, 16, Out, Flat, Flat, In},   {2, 2, 17, In, Flat, Flat, Out},
    };
    Grid g;
    g.NumColumns = g.NumRows = 3;
    g.NumberOfPieces = 9;
    PuzzleModel m;
    m.Pieces.resize(10);
    m.PieceWidth = 83, m.PieceHeight = 78, m.MarginX = 27, m.MarginY = 26;
    const double W = m.PieceWidth, H = m.PieceHeight, MX = m.MarginX, MY = m.MarginY, e = 0.5;
    for (const auto& k : kinds) {
        const int p = k.row * 3 + k.column + 1;
        PieceInfo& pc = m.Pieces[p];
        pc = PieceInfo{};
        pc.Row = int16_t(k.row), pc.Column = int16_t(k.column);
        pc.TopOut = k.top != In, pc.RightOut = k.right != In, pc.BottomOut = k.bottom != In, pc.LeftOut = k.left != In;
        pc.X = 300, pc.Y = 200;
        ASSERT_EQ(HitTableRow(g, m, p), k.line);
        // Probes on the top edge as (a, b): a along the edge from the image's
        // corner, b the depth from the image's outer side; the other edges
        // are the same turned round.
        const struct { Edge edge; double length, margin, depth; int side; } sides[] = {
            {k.top, W, MX, MY, 0}, {k.right, H, MY, MX, 1}, {k.bottom, W, MX, MY, 2}, {k.left, H, MY, MX, 3}};
        for (const auto& s : sides) {
            auto hit = [&](double a, double b) {
                double u = a, v = b;
                if (s.side == 1) u = W + 2 * MX - b, v = a;
                if (s.side == 2) v = H + 2 * MY - b;
                if (s.side == 3) u = b, v = a;
                return HitTestPiece(g, m, p, pc.X + u, pc.Y + v);
            };
            const double A = s.margin, K = s.length, D = s.depth;
            struct Probe { double a, b; bool hit; };
            const std::vector<Probe> probes =
                s.edge == Flat ? std::vector<Probe>{{A + K / 2 + 0.25, D + e, true}, {A + K / 2 + 0.25, D - e, false}}
                : s.edge == Out
                    ? std::vector<Probe>{{2 * A + e, D - e, true},  {K - e, D - e, true},  {2 * A + e, e, true},
                                         {2 * A - e, D - e, false}, {K + e, D - e, false}, {2 * A, D - e, false}}
                    : std::vector<Probe>{{2 * A + e, D + e, false}, {K - e, D + e, false}, {2 * A + e, 2 * D - e, false},
                                         {2 * A + e, D - e, false}, {2 * A - e, D + e, true}, {K + e, D + e, true},
                                         {2 * A + e, 2 * D + e, true}};
            for (const Probe& pr : probes)
                EXPECT_EQ(hit(pr.a, pr.b), pr.hit)
                    << "row " << k.line << ", side " << s.side << " at " << pr.a << ", " << pr.b;
        }
    }
}

TEST(HitTest, TopmostGroupAndHighestPieceFirstAndNeverAtHome) {
    auto c = Spread(test::MakeCut(3, 3, 300, 300, 2000, 2000));
    const double cx = c.m.MarginX + c.m.PieceWidth / 2.0 + 0.5, cy = c.m.MarginY + c.m.PieceHeight / 2.0 + 0.5;
    test::Place(c.m, 2, 100, 100);
    test::Place(c.m, 7, 100, 100);
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 7);   // group 7 lies later in the order
    c.m.SelectedPiece = 2;
    ReOrderGroups(c.m);
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 2);
    // Inside one group the higher number is tested first.
    c.m.Pieces[2].RightJoined = c.m.Pieces[3].LeftJoined = true;
    test::Join(c.m, 3, 2);
    test::Place(c.m, 3, 100, 100);   // stacked for the test
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 3);
    // A group at home is never picked.
    SetGroupInPlace(c.g, c.m, c.m.Pieces[3].Group);
    test::Place(c.m, 3, 100, 100);
    EXPECT_EQ(FindPieceAt(c.g, c.m, 100 + cx, 100 + cy), 7);
    EXPECT_EQ(FindPieceAt(c.g, c.m, 5, 5), 0);
}

}  // namespace pz
