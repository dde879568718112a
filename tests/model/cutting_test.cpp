#include <gtest/gtest.h>

#include "game/model/colors.h"
#include "game/model/invariants.h"
#include "game/model/numbers.h"
#include "testutil.h"

namespace pz {

TEST(CutGeometry, FourByThreeExample) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    const PuzzleModel& m = c.m;
    // Puzzle and piece sizes, margins, the puzzle's corner.
    EXPECT_EQ((std::vector<int>{m.PuzzleWidth, m.PuzzleHeight, m.PieceWidth, m.PieceHeight, m.MarginX, m.MarginY,
                                m.PuzzleLeft, m.PuzzleTop}),
              (std::vector<int>{334, 234, 83, 78, 27, 26, 233, 183}));
    EXPECT_EQ(m.PuzzleRect, (RectL{233, 183, 233 + 4 * 83, 183 + 3 * 78}));
    EXPECT_EQ(m.Pieces[6].ImageRect, (RectL{83, 78, 166, 156}));
    EXPECT_EQ(m.Pieces[6].HomeX, 83 + 234 - 27);
    EXPECT_EQ(m.Pieces[6].HomeY, 78 + 184 - 26);
    EXPECT_EQ(test::Broken(c.g, m), "");
    // Piece images with their margins, then the frame lines, edge lines and stubs.
    const LineImages& l = c.images.Lines;
    EXPECT_EQ((std::vector{c.images.PieceImages[1].Width(), c.images.PieceImages[1].Height(), l.FrameLineH.Width(),
                           l.FrameLineV.Height(), l.EdgeLineH.Width(), l.EdgeLineV.Height(), l.EdgeStubH.Width(),
                           l.EdgeStubV.Height()}),
              (std::vector{83 + 54, 78 + 52, 4 * 83 + 2, 3 * 78 + 2, 85, 78, 83 / 9 + 27 + 1, 78 / 9 + 26}));
}

TEST(CutGeometry, FitsTallAndWidePicturesIntoThePlayArea) {
    // Taller than the area: height shrinks to the area less 8.
    EXPECT_EQ(test::MakeCut(3, 4, 300, 1000, 800, 500).m.PuzzleHeight, 492 - 2 * ((492 / 4) / 3));
    // Wider than the area less 8 (the width test uses the width less 8).
    for (int w : {796, 792})   // 792 exactly fits: untouched
        EXPECT_EQ(test::MakeCut(4, 3, w, 300, 800, 600).m.PuzzleWidth, 792 - 2 * ((792 / 4) / 3)) << w;
}

TEST(CutGeometry, SixteenBitOverflowIsRaised) {
    Grid g;
    g.NumberOfPieces = 4, g.NumColumns = g.NumRows = 2;
    PuzzleModel m;
    m.ImageWidth = 32000, m.ImageHeight = 100;
    InitPieceRecords(g, m);
    EXPECT_THROW(ComputeCutGeometry(g, m, 100000.0f, 200.0f), OverflowError);
    // A play area too small for any piece is refused rather than cut.
    m.ImageWidth = 400;
    m.ImageHeight = 300;
    EXPECT_THROW(ComputeCutGeometry(g, m, 5.0f, 5.0f), std::exception);
}

TEST(ScalePiecesPosition, ScalesClampsAndSendsHomePiecesHome) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    const int W = c.m.PieceWidth;
    c.m.View.PreviousWidth = 800;
    c.m.View.PreviousHeight = 600;
    test::Place(c.m, 1, 400, 300);
    c.m.Pieces[2].X = 780;   // near the right edge
    c.m.Pieces[3].X = 0;
    test::LockHome(c.m, 12);
    c.m.Pieces[12].X = 3;
    ScalePiecesPosition(c.m, 400, 300);
    // Scaled; clamped at the right and at the left; the piece at home on its home.
    EXPECT_EQ((std::array{c.m.Pieces[1].X, c.m.Pieces[1].Y, c.m.Pieces[2].X, c.m.Pieces[3].X, c.m.Pieces[12].X}),
              (std::array{200, 150, 400 - W, 1, int(c.m.Pieces[12].HomeX)}));
    // A previous size of 0 never divides by zero.
    c.m.View.PreviousWidth = 0;
    c.m.View.PreviousHeight = 0;
    EXPECT_NO_THROW(ScalePiecesPosition(c.m, 400, 300));
}

TEST(Curve, InsetsOfTheFourByThreeExample) {
    // Top and bottom edges are 83 long and 26 deep, left and right edges 78
    // long and 27 deep. Line 22 of the 83 edge has f + 9 = 10.5 exactly in
    // single precision, which rounds to 10 (inset 8); worked in double it
    // lies a hair above 10.5 and gives 7. Line 26 of the 78 edge's hole has
    // f = -5.3 held at -4 (78 \ 5 = 15); the tab's is not held (78 \ 4 = 19),
    // and the tab closes before line 27.
    const struct { int k, d; bool tab; std::vector<int> insets; } cases[] = {
        {83, 26, false, {8, 7, 6, 5, 5, 4, 4, 4, 3, 3, 3, 3, 2, 3, 3, 3, 3, 4, 4, 5, 5, 6, 8, 9, 11, 16}},
        {83, 26, true, {8, 7, 6, 5, 5, 4, 4, 4, 3, 3, 3, 3, 2, 3, 3, 3, 3, 4, 4, 5, 5, 6, 8, 9, 11, 16, 20}},
        {78, 27, false, {7, 7, 6, 5, 4, 4, 4, 3, 3, 3, 3, 3, 2, 3, 3, 3, 3, 4, 4, 4, 5, 6, 7, 8, 11, 15, 15}},
        {78, 27, true, {7, 7, 6, 5, 4, 4, 4, 3, 3, 3, 3, 3, 2, 3, 3, 3, 3, 4, 4, 4, 5, 6, 7, 8, 11, 15, 19}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CurveInsets(c.k, c.d, c.tab), c.insets) << c.k << " x " << c.d << (c.tab ? " tab" : " hole");
}

TEST(Curve, TabClosesWhenTheCurveRunsOut) {
    // Depth 100: f climbs to 74 over 50 lines, then falls by 1.7; after 47
    // more lines f + 9 drops below 2.5 and the tab ends short of its depth.
    EXPECT_EQ(CurveInsets(300, 100, true).size(), 97u);
    // At depth 40 it runs to the last line inside the image.
    EXPECT_EQ(CurveInsets(300, 40, true).size(), 40u);
}

namespace {
void ExpectSameCut(int cols, int rows, int w, int h, float sw, float sh, bool withKeyPixels) {
    QImage pic = test::PatternPicture(w, h);
    if (withKeyPixels)
        for (int i = 0; i < w; i += 3) pic.setPixel(i, (i * 7) % h, 0xff000000u | KeyColor);
    auto c = test::MakeCut(cols, rows, w, h, sw, sh, &pic);
    const auto ref = CutPiecesReference(c.g, c.m, c.whole);
    ASSERT_EQ(ref.size(), c.images.PieceImages.size());
    for (size_t p = 1; p < ref.size(); ++p) {
        const QImage& a = ref[p].Image();
        const QImage& b = c.images.PieceImages[p].Image();
        ASSERT_EQ(a.size(), b.size());
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                ASSERT_EQ(a.pixel(x, y), b.pixel(x, y))
                    << cols << "x" << rows << " piece " << p << " at " << x << "," << y;
    }
}
}  // namespace

TEST(Cut, FastCutEqualsTheLineByLineCut) {
    ExpectSameCut(4, 3, 400, 300, 800, 600, false);
    ExpectSameCut(8, 8, 640, 480, 700, 500, true);
    ExpectSameCut(2, 6, 300, 400, 640, 480, false);
    ExpectSameCut(18, 18, 1800, 1000, 1920, 1080, false);
    ExpectSameCut(5, 3, 1000, 200, 500, 400, true);
    ExpectSameCut(12, 12, 30, 30, 400, 400, false);   // 2-pixel pieces, no margins
    ExpectSameCut(7, 5, 40, 37, 400, 400, false);    // 3- and 5-pixel pieces
}

TEST(Cut, TwoPixelPiecesArePlainRectangles) {
    auto c = test::MakeCut(12, 12, 30, 30, 400, 400);
    ASSERT_EQ((std::array<int, 2>{c.m.PieceWidth, c.m.MarginX}), (std::array<int, 2>{2, 0}));
    for (int p : {1, 14, 144}) {
        const Surface& s = c.images.PieceImages[p];
        ASSERT_EQ(s.Width(), c.m.PieceWidth + 2 * c.m.MarginX);
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x) EXPECT_FALSE(s.IsTransparent(x, y)) << p;
    }
}

TEST(Cut, CornerPieceHasFlatTopLeftHoleBelowTabRight) {
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    const Surface& s = c.images.PieceImages[1];
    const int W = c.m.PieceWidth, H = c.m.PieceHeight, MX = c.m.MarginX, MY = c.m.MarginY;
    // Body corner: the picture's own top-left pixel.
    EXPECT_EQ(s.Pixel(MX, MY), c.whole.Pixel(0, 0));   // (a transparent pixel reads as the key)
    // Flat top and left: nothing in the margins there.
    for (int x = 0; x < s.Width(); ++x) EXPECT_TRUE(s.IsTransparent(x, MY - 1));
    for (int y = 0; y < s.Height(); ++y) EXPECT_TRUE(s.IsTransparent(MX - 1, y));
    // Tab on the right: the neighbour's pixels beyond the body, mid-height.
    EXPECT_EQ(s.Pixel(MX + W + 3, MY + H / 2), c.whole.Pixel(W + 3, H / 2));
    // Hole at the bottom: the middle of the last body line is cut out, its
    // shoulders are not.
    EXPECT_TRUE(s.IsTransparent(MX + W / 2, MY + H - 1));
    EXPECT_FALSE(s.IsTransparent(MX + MX, MY + H - 1));
    // The bottom margin stays empty (the hole has no tab).
    EXPECT_TRUE(s.IsTransparent(MX + W / 2, MY + H + 1));
}

TEST(Cut, HoleAndTabInterlock) {
    // Pieces 1 and 2 share an edge: piece 2's left edge is a hole, piece 1's
    // right edge a tab; drawn at home they cover the seam exactly once, to
    // the knob's tip. (Where the hole's curve is held at f = -4 and the
    // tab's is not, a sliver opens only on edges of at most 29 pixels; on
    // longer ones the hole's shoulders meet at those depths.)
    auto c = test::MakeCut(4, 3, 400, 300, 800, 600);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight, MX = c.m.MarginX, MY = c.m.MarginY;
    const Surface& a = c.images.PieceImages[1];
    const Surface& b = c.images.PieceImages[2];
    for (int y = MY; y < MY + H; ++y) {
        for (int x = W - MX; x < W + MX; ++x) {   // picture x across the seam
            const bool inA = x < W + MX && !a.IsTransparent(MX + x, y);
            const bool inB = x >= W - MX && !b.IsTransparent(MX + x - W, y);
            EXPECT_TRUE(inA != inB) << "picture pixel " << x << "," << y - MY;
        }
    }
}

}  // namespace pz
