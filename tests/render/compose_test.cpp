#include <gtest/gtest.h>

#include <array>
#include <random>

#include "game/render/bandworker.h"
#include "game/model/scale.h"
#include "testutil.h"

namespace pz {

namespace {
constexpr uint32_t kBackground = 0xD4D0C8;   // the default background, fill form
constexpr uint32_t kWhite = 0xFFFFFF;

struct Frame : test::CutPuzzle {
    Surface bb{800, 600};
    int W, H, MX, MY;
    Frame() : test::CutPuzzle(test::MakeCut(4, 3, 400, 300, 800, 600)) {
        W = m.PieceWidth, H = m.PieceHeight, MX = m.MarginX, MY = m.MarginY;
        // Park every piece in the bottom-left corner, away from what is looked at.
        for (int p = 1; p <= 12; ++p) test::Place(m, p, 2, 440);
        s.ViewPreview = false;
    }
    void Compose() { ComposeFrame(s, g, m, images, cache, bb); }
    uint32_t Body(int p, int bx, int by) const {   // picture pixel of a piece's body
        return whole.Pixel(m.Pieces[p].ImageRect.Left + bx, m.Pieces[p].ImageRect.Top + by);
    }
    // The frame's pixels at the given points.
    std::vector<uint32_t> At(std::initializer_list<std::pair<int, int>> points) const {
        std::vector<uint32_t> out;
        for (auto [x, y] : points) out.push_back(bb.Pixel(x, y));
        return out;
    }
};
}  // namespace

TEST(Compose, BackgroundAndHomeFrame) {
    Frame f;
    f.Compose();
    const RectL& r = f.m.PuzzleRect;
    // Corner, FrameLineH (W*cols + 2 long) at its end, the bottom line and
    // the row above it, FrameLineV (rows*H + 2 high) at its end, beyond it.
    EXPECT_EQ(f.At({{5, 5}, {r.Left, r.Top}, {r.Right + 1, r.Top}, {r.Left + 10, r.Bottom + 1}, {r.Left + 10, r.Bottom},
                    {r.Right + 1, r.Bottom + 1}, {r.Right + 2, r.Top + 5}}),
              (std::vector{kBackground, kWhite, kWhite, kWhite, kBackground, kWhite, kBackground}));
    f.m.PuzzleComplete = true;
    f.Compose();
    EXPECT_EQ(f.bb.Pixel(r.Left, r.Top), kBackground);
}

TEST(Compose, PieceIsCopiedWithItsKeyAndOutlinedWithStubs) {
    Frame f;
    PieceInfo& p6 = f.m.Pieces[6];   // inner piece, holes top and bottom
    p6.X = 100;
    p6.Y = 100;
    f.Compose();
    const int BX = 100 + f.MX, BY = 100 + f.MY, W = f.W, H = f.H;
    // The body, inside the top hole, above it (no tab), the left tab.
    EXPECT_EQ(f.At({{BX + W / 2, BY + H / 2}, {BX + W / 2, BY + 1}, {BX + W / 2, BY - 3}, {BX - 3, BY + H / 2}}),
              (std::vector{f.Body(6, W / 2, H / 2), kBackground, kBackground, f.Body(5, W - 3, H / 2)}));
    // Top edge: two stubs, the middle open; the bottom's second stub starts
    // two pixels further right.
    const int stub = W / 9 + f.MX + 1, topSecond = 100 + W - W / 9 - 1;
    EXPECT_EQ(f.At({{BX - 1, BY - 1}, {BX - 1 + stub - 1, BY - 1}, {BX + W / 2, BY - 1}, {topSecond, BY - 1},
                    {topSecond + stub - 1, BY - 1}, {topSecond + 2 + stub - 1, BY + H}}),
              (std::vector{kWhite, kWhite, kBackground, kWhite, kWhite, kWhite}));
    EXPECT_NE(f.bb.Pixel(topSecond + stub + 1, BY - 1), kWhite);
    // Left edge: stubs at BY and at Y + H - H\9 + 1; the right edge's first.
    EXPECT_EQ(f.At({{BX - 1, BY}, {BX - 1, 100 + H - H / 9 + 1}, {BX + W, BY + 2}}), (std::vector{kWhite, kWhite, kWhite}));
}

TEST(Compose, RimEdgesAreFullLinesAndJoinedEdgesAreBare) {
    Frame f;
    test::Place(f.m, 1, 100, 100);
    f.Compose();
    const int BX = 100 + f.MX, BY = 100 + f.MY, W = f.W, H = f.H;
    for (int x = BX - 1; x <= BX + W; ++x) EXPECT_EQ(f.bb.Pixel(x, BY - 1), kWhite) << x;
    for (int y = BY; y < BY + H; ++y) EXPECT_EQ(f.bb.Pixel(BX - 1, y), kWhite) << y;
    EXPECT_NE(f.bb.Pixel(BX + W, BY + H / 2), kWhite);   // right edge: stubs only

    // Join 1 and 2: the shared edge loses its stubs on both pieces.
    f.m.Pieces[1].RightJoined = f.m.Pieces[2].LeftJoined = true;
    test::Join(f.m, 2, 1);
    AlignGroup(f.m, 1, 800, 600);
    f.Compose();
    EXPECT_EQ(f.m.Pieces[2].X, 100 + W);
    EXPECT_NE(f.bb.Pixel(BX + W, BY + 1), kWhite);
    EXPECT_EQ(f.bb.Pixel(BX + W, BY - 1), kWhite);   // top line of piece 2 continues

    f.s.OutlinePieces = false;
    f.Compose();
    EXPECT_NE(f.bb.Pixel(BX - 1, BY + 5), kWhite);
}

TEST(Compose, DrawOrderHomePreviewLooseGroups) {
    Frame f;
    f.s.ViewPreview = true;
    const RectL& pr = f.m.View.PreviewRect;
    // Piece 12 locked home, then moved under the preview; piece 7 loose on it.
    test::LockHome(f.m, 12);
    test::Place(f.m, 12, pr.Left - f.MX, pr.Top - f.MY);
    f.Compose();
    EXPECT_EQ(f.bb.Pixel(pr.Left + 5, pr.Top + 5), f.images.PreviewImage.Pixel(5, 5));
    // Caption bar: background colour at its far right, text near its left.
    const RectL& c = f.m.View.PreviewCaptionRect;
    EXPECT_EQ(c.Bottom - c.Top, 17);
    // The bar's colour, and one row of background between bar and image.
    EXPECT_EQ(f.At({{c.Right - 2, c.Top + 1}, {c.Right - 2, c.Bottom}}), (std::vector{0u, kBackground}));
    int textPixels = 0;
    for (int y = c.Top + 1; y < c.Bottom; ++y)
        for (int x = c.Left + 1; x < c.Left + 60; ++x) textPixels += f.bb.Pixel(x, y) != 0u;
    EXPECT_GT(textPixels, 20);

    test::Place(f.m, 7, pr.Left - f.MX, pr.Top - f.MY);
    f.Compose();
    EXPECT_EQ(f.bb.Pixel(pr.Left + 5, pr.Top + 5), f.Body(7, 5, 5));
    // The last group in the order lies on top.
    test::Place(f.m, 8, f.m.Pieces[7].X, f.m.Pieces[7].Y);
    f.Compose();
    EXPECT_EQ(f.bb.Pixel(pr.Left + 5, pr.Top + 5), f.Body(8, 5, 5));
    f.m.SelectedPiece = 7;
    ReOrderGroups(f.m);
    f.Compose();
    EXPECT_EQ(f.bb.Pixel(pr.Left + 5, pr.Top + 5), f.Body(7, 5, 5));
}

TEST(Compose, PiecesAtTheEdgeAreClippedNotDropped) {
    Frame f;
    test::Place(f.m, 5, 800 - f.W, 200);   // the image sticks out by 2 * MX
    f.Compose();
    EXPECT_EQ(f.bb.Pixel(799, 200 + f.MY + f.H / 2), f.Body(5, f.W - f.MX - 1, f.H / 2));
}

TEST(Compose, TwoBandsGiveTheFrameOfOne) {
    Frame f;
    f.s.ViewPreview = true;
    // Pieces, outlines, the home frame and the preview across the seam at
    // row 300, with outlines on either row next to it.
    const int seam = 300;
    const int ys[] = {seam - f.MY - f.H / 2, seam - f.MY - f.H, seam - f.MY - f.H - 1, seam + 1 - f.MY, seam - f.MY};
    for (int i = 0; i < 5; ++i) test::Place(f.m, i + 1, 20 + i * 130, ys[i]);
    f.m.Pieces[6].Y = f.m.Pieces[1].Y + 2;   // lies over piece 1, covering its outline
    f.m.Pieces[6].X = f.m.Pieces[1].X + 7;
    f.m.View.PreviewCaptionRect = RectL{640, seam - 8, 780, seam + 9};
    f.m.View.PreviewRect = RectL{640, seam + 10, 780, seam + 10 + f.m.View.PreviewHeight};
    Surface one(800, 600), two(800, 600);
    one.Fill(0x123456);
    two.Fill(0x654321);
    BandWorker worker;
    ComposeFrame(f.s, f.g, f.m, f.images, f.cache, one);
    ComposeFrame(f.s, f.g, f.m, f.images, f.cache, two, &worker);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) ASSERT_EQ(one.Pixel(x, y), two.Pixel(x, y)) << x << "," << y;
    // The rows at the seam hold lines and pictures, not just background.
    for (int y : {seam - 1, seam}) {
        int lines = 0, pictures = 0;
        for (int x = 0; x < 800; ++x) {
            lines += one.Pixel(x, y) == kWhite;
            pictures += one.Pixel(x, y) != kWhite && one.Pixel(x, y) != kBackground;
        }
        EXPECT_GT(lines, 50) << y;
        EXPECT_GT(pictures, 200) << y;
    }
}

TEST(Compose, DrawingOnlyWhatChangedGivesTheWholeFrame) {
    // Random play, as the main window does it: drag steps draw what the group
    // left and entered over the frame without it (or recompose what the
    // preview left and entered), drops what they moved, joined, locked or
    // lifted; now and then the preview moves in the middle of a drag. After
    // every step the buffer equals a whole frame.
    for (const double ratio : {1.0, 1.5, 2.0}) {
        const int sw = int(480 * ratio), sh = int(360 * ratio);
        auto c = test::MakeCut(6, 5, int(400 * ratio), int(300 * ratio), float(sw), float(sh), nullptr, ratio);
        std::mt19937 rnd(unsigned(ratio * 100));
        auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
        const int W = c.m.PieceWidth, H = c.m.PieceHeight, MX = c.m.MarginX, MY = c.m.MarginY;
        for (int p = 1; p <= c.g.NumberOfPieces; ++p) {
            c.m.Pieces[p].X = uniform(0, sw - W - 2 * MX);
            c.m.Pieces[p].Y = uniform(0, sh - H - 2 * MY);
        }
        Surface drawn(sw, sh), whole(sw, sh);
        ComposeFrame(c.s, c.g, c.m, c.images, c.cache, drawn);
        auto apply = [&](const Damage& d) { ComposeRects(c.s, c.g, c.m, c.images, c.cache, drawn, d.Rects(sw, sh)); };
        auto movePreview = [&] {   // by its caption
            Damage p;
            p.AddPreview(c.m);
            DragPreviewTo(c.m, uniform(0, sw), uniform(0, sh), sw, sh);
            p.AddPreview(c.m);
            apply(p);
        };
        const int near = int(JoinToleranceOf(c.m)) + 2;
        for (int step = 0; step < 150 && c.m.GroupCount > 0; ++step) {
            Damage d;
            if (uniform(0, 5) == 0) {
                movePreview();
            } else {
                const GroupInfo& grp = c.m.Groups[c.m.GroupOrder[uniform(1, c.m.GroupCount)]];
                const int s = grp.PieceList[uniform(1, grp.PieceCount)];
                c.m.SelectedPiece = int16_t(s);
                ReOrderGroups(c.m);   // lifted at the press, shown at the next drawing
                const int16_t g = c.m.Pieces[s].Group;
                DragLayer layer;
                layer.Begin(c.s, c.g, c.m, c.images, c.cache, drawn, g);
                bool drawnBeside = false;   // a step after it comes from the layer no more
                for (int move = uniform(0, 3); move > 0; --move) {
                    // Anywhere, beside a grid neighbour, or near home.
                    int x = uniform(0, sw), y = uniform(0, sh);
                    const int kind = uniform(0, 2), cols = c.g.NumColumns;
                    const int n = std::clamp(s + std::array{-1, 1, -cols, cols}[uniform(0, 3)], 1,
                                             int(c.g.NumberOfPieces));
                    const PieceInfo &ps = c.m.Pieces[s], &pn = c.m.Pieces[n];
                    if (kind == 1) x = pn.X + (ps.Column - pn.Column) * W, y = pn.Y + (ps.Row - pn.Row) * H;
                    if (kind == 2) x = ps.HomeX, y = ps.HomeY;
                    if (kind) x += MX + W / 2 + uniform(-near, near), y += MY + H / 2 + uniform(-near, near);
                    if (uniform(0, 3) == 0) {   // drawn mid-drag, not through the layer
                        movePreview();
                        drawnBeside = true;
                    }
                    Damage moved;
                    moved.AddGroup(c.m, g);
                    DragGroupTo(c.m, x, y, sw, sh);
                    moved.AddGroup(c.m, g);
                    layer.Compose(c.s, c.g, c.m, c.images, c.cache, drawn, moved.Rects(sw, sh));
                    ASSERT_EQ(layer.Active(), !drawnBeside);
                    ComposeFrame(c.s, c.g, c.m, c.images, c.cache, whole);
                    ASSERT_EQ(drawn.Image(), whole.Image()) << "ratio " << ratio << ", step " << step;
                }
                const PuzzleModel before = c.m;
                c.m.SelectedGroup = g;
                d.AddGroup(c.m, g);
                if (IsAtHome(c.m, s))
                    SetGroupInPlace(c.g, c.m, g);
                else
                    JoinPass(c.g, c.m, sw, sh);
                if (c.m.PuzzleComplete) break;
                d.AddChanges(before, c.m);
                apply(d);
            }
            ComposeFrame(c.s, c.g, c.m, c.images, c.cache, whole);
            ASSERT_EQ(drawn.Image(), whole.Image()) << "ratio " << ratio << ", step " << step;
        }
        EXPECT_GT(c.m.InPlaceCount, 0) << "no lock was tried at ratio " << ratio;
        EXPECT_LT(c.m.GroupCount, c.g.NumberOfPieces - 1) << "too few joins at ratio " << ratio;
    }
}

}  // namespace pz
