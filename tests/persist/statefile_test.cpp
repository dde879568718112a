#include <gtest/gtest.h>

#include "game/persist/statefile.h"

#include "fakerandom.h"
#include "testutil.h"

namespace pz {

namespace {

// A game in progress: scattered, some pieces joined, one group at home.
test::CutPuzzle Game(int cols = 4, int rows = 3) {
    auto c = test::MakeCut(cols, rows, 100 * cols, 100 * rows, 1200, 900);
    test::FixedRandom rnd({0.3f, 0.8f, 0.1f, 0.6f, 0.95f, 0.45f, 0.7f});
    Scramble(c.g, c.m, 1200, 900, rnd);
    c.m.File.ImageFileName = "/home/player/Pictures/Meadow.png";
    auto join = [&](int16_t moving, int16_t stay) {
        test::Join(c.m, moving, stay);
        AlignGroup(c.m, c.m.Pieces[stay].Group, 1200, 900);
    };
    c.m.Pieces[2].LeftJoined = c.m.Pieces[1].RightJoined = true;
    join(2, 1);
    c.m.Pieces[6].TopJoined = c.m.Pieces[2].BottomJoined = true;
    join(6, 2);
    SetGroupInPlace(c.g, c.m, c.m.Pieces[cols * rows].Group);
    c.m.File.ElapsedSeconds = 754;
    return c;
}

int16_t Get16(const std::string& b, size_t at) { return int16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8)); }
// The 16-bit numbers at the given offsets from base.
std::vector<int> Get16s(const std::string& b, size_t base, std::initializer_list<size_t> offsets) {
    std::vector<int> out;
    for (size_t at : offsets) out.push_back(Get16(b, base + at));
    return out;
}
int32_t Get32(const std::string& b, size_t at) {
    return int32_t(uint16_t(Get16(b, at)) | uint32_t(uint16_t(Get16(b, at + 2))) << 16);
}

}  // namespace

TEST(StateFile, RoundTripKeepsTheGame) {
    auto c = Game();
    const std::string bytes = WriteState(c.g, c.m);
    const int n = 12, k = c.m.InPlaceCount, g = c.m.GroupCount;
    EXPECT_EQ(bytes.size(), size_t(128) * (5 + 2 * n + k + 2 + g + 1 - 1) + 4);
    const LoadedState s = ReadState(bytes);
    EXPECT_EQ(s.ImageFileName, c.m.File.ImageFileName);
    EXPECT_EQ((std::array<int, 4>{s.grid.NumberOfPieces, s.grid.NumColumns, s.grid.NumRows, s.model.File.ElapsedSeconds}),
              (std::array<int, 4>{12, 4, 3, 754}));
    EXPECT_EQ(s.model.Pieces, c.m.Pieces);
    EXPECT_EQ(s.model.Groups, c.m.Groups);
    EXPECT_EQ(s.model.GroupOrderSize, 12);
    EXPECT_FALSE(s.model.PuzzleComplete);
    // Written again, byte for byte the same: the lists and counts were read as written.
    PuzzleModel again = s.model;
    again.File.ImageFileName = s.ImageFileName;
    EXPECT_TRUE(WriteState(c.g, again) == bytes);
    // Extra bytes after the last record (an older, longer file) are ignored.
    EXPECT_EQ(ReadState(bytes + std::string(300, 'x')).model.Pieces, c.m.Pieces);
}

TEST(StateFile, LayoutOfTheRecords) {
    auto c = Game();
    const std::string b = WriteState(c.g, c.m);
    EXPECT_EQ(b.substr(0, 32), "/home/player/Pictures/Meadow.png");
    EXPECT_EQ(b[127], ' ');   // padded with spaces
    EXPECT_EQ(Get16s(b, 0, {128, 256, 384, 512}), (std::vector<int>{12, 4, 3, 1}));   // one piece at home
    // Two records a piece from record 6 on: Column, Row, Group, the joined
    // and out flags as -1 or 0, X, Y and the image rectangle in 32 bits, home.
    auto flag = [](bool f) { return f ? -1 : 0; };
    for (int p = 1; p <= 12; ++p) {
        const PieceInfo& pc = c.m.Pieces[p];
        const RectL& r = pc.ImageRect;
        const std::vector<int32_t> want = {
            pc.Column, pc.Row, pc.Group, flag(pc.TopJoined), flag(pc.BottomJoined), flag(pc.LeftJoined),
            flag(pc.RightJoined), flag(pc.TopOut), flag(pc.BottomOut), flag(pc.LeftOut), flag(pc.RightOut),
            pc.X, pc.Y, r.Left, r.Top, r.Right, r.Bottom, pc.HomeX, pc.HomeY};
        std::vector<int32_t> got;
        size_t at = 128 * (3 + 2 * p);
        for (int i = 0; i < 11; ++i, at += 2) got.push_back(Get16(b, at));
        for (int i = 0; i < 6; ++i, at += 4) got.push_back(Get32(b, at));
        for (int i = 0; i < 2; ++i, at += 2) got.push_back(Get16(b, at));
        EXPECT_EQ(got, want) << "piece " << p;
    }
    EXPECT_EQ(b[128 * 5 + 50], '\0');   // the rest of the record is zeros
    // Group 1's record holds the merged group: InPlace, header, list length
    // E = 3 pieces + 1, the list, PieceCount, then its columns and rows.
    const GroupInfo& gr = c.m.Groups[1];
    EXPECT_EQ(Get16s(b, 128 * 6, {0, 2, 4, 8, 14, 16, 18, 20, 22, 24, 26, 28}),
              (std::vector<int>{0, 1, 4, 0, 1, 2, 6, 3, gr.LeftColumn, gr.RightColumn, gr.TopRow, gr.BottomRow}));
    // A merged-away group: count 0, one-entry list; the group locked home
    // (12): InPlace True, count 0.
    EXPECT_EQ(Get16s(b, 128 * 8, {4, 14}), (std::vector<int>{1, 0}));
    EXPECT_EQ(Get16s(b, 128 * (5 + 2 * 11 + 1), {0, 14}), (std::vector<int>{-1, 0}));
    // The time is the last four bytes.
    EXPECT_EQ(Get16(b, b.size() - 4), 754);
}

namespace {
// A 10 x 10 game whose top rows form one loose group of the given size.
test::CutPuzzle BigGroup(int size) {
    auto c = test::MakeCut(10, 10, 1000, 1000, 2000, 2000);
    c.m.File.ImageFileName = "/p.png";
    for (int16_t p = 2; p <= size; ++p) {
        const int16_t left = (p - 1) % 10 != 0 ? int16_t(p - 1) : int16_t(p - 10);
        if (left == p - 1) {
            c.m.Pieces[p].LeftJoined = c.m.Pieces[p - 1].RightJoined = true;
        } else {
            c.m.Pieces[p].TopJoined = c.m.Pieces[left].BottomJoined = true;
        }
        test::Join(c.m, p, left);
    }
    AlignGroup(c.m, 1, 2000, 2000);
    return c;
}
}  // namespace

TEST(StateFile, FiftyTwoPiecesFitTheRecordFiftyThreeUseTheLongForm) {
    auto c = BigGroup(52);
    ASSERT_EQ(c.m.Groups[1].PieceCount, 52);
    std::string b = WriteState(c.g, c.m);
    const size_t g1 = 128 * 6;
    EXPECT_EQ(Get16s(b, g1, {4, 12 + 2 * 53}), (std::vector<int>{53, 52}));   // PieceCount ends the record exactly
    EXPECT_EQ(ReadState(b).model.Groups, c.m.Groups);

    c = BigGroup(53);
    b = WriteState(c.g, c.m);
    EXPECT_EQ(Get16s(b, g1, {4, 14}), (std::vector<int>{1, 53}));
    LoadedState s = ReadState(b);
    EXPECT_EQ(s.model.Groups, c.m.Groups);   // the list rebuilt from the pieces
    s.model.File.ImageFileName = s.ImageFileName;
    EXPECT_TRUE(WriteState(c.g, s.model) == b);

    c = BigGroup(100);
    EXPECT_EQ(ReadState(WriteState(c.g, c.m)).model.Groups[1].PieceCount, 100);
}

TEST(StateFile, TruncatedAtAnyRecordIsRefused) {
    auto c = Game();
    const std::string b = WriteState(c.g, c.m);
    // Cut at each record's start, and one byte short of the next.
    for (size_t cut = 0; cut < b.size(); cut += 128)
        for (size_t length : {cut, std::min(cut + 127, b.size() - 1)})
            EXPECT_THROW(ReadState(b.substr(0, length)), StateFileError) << length;
    EXPECT_NO_THROW(ReadState(b));
}

TEST(StateFile, HostileNumbersAreRefused) {
    auto c = Game();
    const std::string good = WriteState(c.g, c.m);
    auto with16 = [&](size_t at, int v) {
        std::string b = good;
        b[at] = char(v & 0xff);
        b[at + 1] = char((v >> 8) & 0xff);
        return b;
    };
    const size_t p1 = 128 * 5, g1 = 128 * 6;
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"pieces 0", with16(128, 0)},
        {"pieces negative", with16(128, -12)},
        {"pieces too many", with16(128, 30000)},
        {"grid product", with16(256, 6)},
        {"one column", with16(256, 1)},
        {"home count over N", with16(512, 13)},
        {"piece group out of range", with16(p1 + 4, 40)},
        {"piece in the wrong cell", with16(p1, 3)},
        {"list header dims", with16(g1 + 2, 2)},
        {"list length 0", with16(g1 + 4, 0)},
        {"list length too long", with16(g1 + 4, 60)},
        {"list entry out of range", with16(g1 + 14, 99)},
        {"list disagrees with pieces", with16(g1 + 16, 5)},
        {"count disagrees with list", with16(g1 + 20, 2)},
        {"edge shape off the checkerboard", with16(p1 + 16, -1)},
        {"one-sided join", with16(p1 + 10, -1)},
        {"x far away", with16(p1 + 24, 0x4000)},   // the high half of X
    };
    for (const auto& [what, bytes] : cases) EXPECT_THROW(ReadState(bytes), StateFileError) << what;
    // Stacking order entries and counts.
    const size_t order = 128 * (5 + 24 + 1);
    EXPECT_THROW(ReadState(with16(order + 128, 40)), StateFileError);   // GroupCount
    EXPECT_THROW(ReadState(with16(order + 256, 0)), StateFileError);    // an entry
    EXPECT_THROW(ReadState(with16(order + 256, c.m.GroupOrder[2])), StateFileError);   // listed twice
    EXPECT_THROW(ReadState(std::string()), StateFileError);
    EXPECT_THROW(ReadState(std::string(128, ' ') + good.substr(128)), StateFileError);   // no picture
}

TEST(StateFile, PathsMustFitTheirRecord) {
    auto c = Game();
    c.m.File.ImageFileName = "/" + std::string(127, 'a');
    EXPECT_NO_THROW(WriteState(c.g, c.m));
    c.m.File.ImageFileName = "/" + std::string(128, 'a');
    EXPECT_THROW(WriteState(c.g, c.m), StateFileError);
    // UTF-8 paths are counted in bytes and kept whole.
    c.m.File.ImageFileName = "/Bilder/Märchenwald ∞.png";
    EXPECT_EQ(ReadState(WriteState(c.g, c.m)).ImageFileName, "/Bilder/Märchenwald ∞.png");
    std::string longUtf8 = "/";
    while (longUtf8.size() + 3 <= 128) longUtf8 += "€";
    c.m.File.ImageFileName = longUtf8 + "€";
    EXPECT_THROW(WriteState(c.g, c.m), StateFileError);
}

TEST(StateFile, AFinishedPuzzleLoadsComplete) {
    auto c = test::MakeCut(2, 2, 300, 300, 800, 600);
    c.m.File.ImageFileName = "/x.png";
    for (int16_t g = 1; g <= 4; ++g) SetGroupInPlace(c.g, c.m, g);
    const LoadedState s = ReadState(WriteState(c.g, c.m));
    EXPECT_TRUE(s.model.PuzzleComplete);
    EXPECT_EQ(s.model.GroupCount, 0);
}

}  // namespace pz
