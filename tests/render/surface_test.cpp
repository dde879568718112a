#include <gtest/gtest.h>

#include "game/model/colors.h"
#include "platform/display/surface.h"

namespace pz::display {

namespace {
constexpr uint32_t kRed = 0xff0000, kBlue = 0x0000ff, kGreen = 0x00ff00;

Surface Keyed(int w, int h) {
    Surface s(w, h);
    s.SetColorKey(KeyColor, KeyColor);
    s.Fill(KeyColor);
    return s;
}

// The pixels of row y.
std::vector<uint32_t> Row(const Surface& s, int y) {
    std::vector<uint32_t> out;
    for (int x = 0; x < s.Width(); ++x) out.push_back(s.Pixel(x, y));
    return out;
}
}  // namespace

TEST(Surface, FillWholeAndRectangle) {
    Surface s(5, 4);
    s.Fill(kRed);
    EXPECT_TRUE(s.Fill(Rect{1, 1, 3, 2}, kBlue));
    // Right and bottom edges exclusive.
    EXPECT_EQ(Row(s, 1), (std::vector{kRed, kBlue, kBlue, kRed, kRed}));
    // Empty or partly outside: nothing filled.
    EXPECT_FALSE(s.Fill(Rect{2, 2, 2, 3}, kGreen));
    EXPECT_FALSE(s.Fill(Rect{4, 3, 6, 4}, kGreen));
    for (int y : {0, 2, 3}) EXPECT_EQ(Row(s, y), std::vector<uint32_t>(5, kRed)) << y;
}

TEST(Surface, KeyCopyLeavesTheTargetUnderKeyPixels) {
    Surface piece = Keyed(3, 1);
    Surface pic(3, 1);
    pic.Fill(kRed);
    ASSERT_TRUE(piece.Blt(1, 0, pic, Rect{0, 0, 1, 1}, false));   // middle pixel red
    EXPECT_TRUE(piece.IsTransparent(0, 0));
    EXPECT_EQ(piece.Pixel(0, 0), KeyColor);   // reads back as the key
    Surface target(3, 1);
    target.Fill(kBlue);
    ASSERT_TRUE(target.Blt(0, 0, piece, Rect{0, 0, 3, 1}, true));
    EXPECT_EQ(Row(target, 0), (std::vector{kBlue, kRed, kBlue}));
    // Without the key the key colour itself is copied.
    ASSERT_TRUE(target.Blt(0, 0, piece, Rect{0, 0, 3, 1}, false));
    EXPECT_EQ(Row(target, 0), (std::vector{KeyColor, kRed, KeyColor}));
}

TEST(Surface, PicturePixelsOfTheKeyColourAreTransparentInAKeyedImage) {
    Surface pic(2, 1);
    pic.Fill(KeyColor);
    pic.Fill(Rect{1, 0, 2, 1}, kGreen);
    Surface piece = Keyed(2, 1);
    ASSERT_TRUE(piece.Blt(0, 0, pic, Rect{0, 0, 2, 1}, false));
    EXPECT_TRUE(piece.IsTransparent(0, 0));
    EXPECT_FALSE(piece.IsTransparent(1, 0));
    // A key range covers every value between its ends.
    Surface ranged(3, 1);
    for (int x = 0; x < 3; ++x) ranged.Fill(Rect{x, 0, x + 1, 1}, 0x10 * uint32_t(x + 1));
    ranged.SetColorKey(0x10, 0x20);
    EXPECT_TRUE(ranged.IsTransparent(0, 0) && ranged.IsTransparent(1, 0));
    EXPECT_FALSE(ranged.IsTransparent(2, 0));
}

TEST(Surface, PicturesComeAtTheSizeAskedAndNeverLargerThanAsked) {
    const QImage pic = QImage(6, 4, QImage::Format_RGB32);
    EXPECT_EQ(Surface::FromImage(pic).Width(), 6);
    EXPECT_EQ(Surface::FromImage(pic, 3, 2).Height(), 2);
    EXPECT_TRUE(Surface::FromImage(pic, 0, 2).IsNull());   // the preview of a 3-pixel picture
    EXPECT_TRUE(Surface::FromImage(pic, 3, 0).IsNull());
}

TEST(Surface, CopiesOutsideEitherImageCopyNothing) {
    Surface src(4, 4);
    src.Fill(kRed);
    Surface dst(4, 4);
    dst.Fill(kBlue);
    EXPECT_FALSE(dst.Blt(2, 2, src, Rect{0, 0, 3, 3}, false));   // target overflows
    EXPECT_FALSE(dst.Blt(0, 0, src, Rect{2, 2, 5, 5}, false));   // source overflows
    EXPECT_FALSE(dst.Blt(-1, 0, src, Rect{0, 0, 2, 2}, false));
    EXPECT_FALSE(dst.Blt(0, 0, src, Rect{1, 1, 1, 3}, false));   // empty
    for (int y = 0; y < 4; ++y) EXPECT_EQ(Row(dst, y), std::vector<uint32_t>(4, kBlue)) << y;
    EXPECT_TRUE(dst.Blt(2, 2, src, Rect{0, 0, 2, 2}, false));    // exactly fits
    EXPECT_EQ(dst.Pixel(3, 3), kRed);
}

TEST(Surface, ClippedCopyDrawsTheVisiblePart) {
    Surface piece = Keyed(4, 4);
    Surface pic(4, 4);
    pic.Fill(kRed);
    piece.Blt(1, 1, pic, Rect{0, 0, 2, 2}, false);
    Surface dst(4, 4);
    dst.Fill(kBlue);
    dst.BltClipped(-1, 2, piece, true);   // piece pixels (1..2, 1..2) -> (0..1, 3..4)
    EXPECT_EQ(Row(dst, 3), (std::vector{kRed, kRed, kBlue, kBlue}));
    EXPECT_EQ(Row(dst, 2), std::vector<uint32_t>(4, kBlue));
    // Runs are rebuilt after the piece changes.
    piece.Fill(Rect{0, 0, 4, 4}, kGreen);
    dst.BltClipped(0, 0, piece, true);
    EXPECT_EQ(dst.Pixel(0, 0), kGreen);
}

}  // namespace pz::display
