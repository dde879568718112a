#include <gtest/gtest.h>

#include "game/interaction/groups.h"
#include "game/interaction/play.h"
#include "game/persist/statefile.h"

#include "fakerandom.h"
#include "testutil.h"

namespace pz {

namespace {

struct NoHost : PlacingHost {
    void StopTimer() override {}
    void BestTimeEntry() override {}
    void SaveBestTimes() override {}
};

// A game in progress: scattered, some pieces joined, one group at home.
test::CutPuzzle Game(int cols = 4, int rows = 3) {
    auto c = test::MakeCut(cols, rows, 100 * cols, 100 * rows, 1200, 900);
    test::FixedRandom rnd({0.3f, 0.8f, 0.1f, 0.6f, 0.95f, 0.45f, 0.7f});
    Scramble(c.g, c.m, 1200, 900, rnd);
    c.m.ImageFileName = "/home/player/Pictures/Meadow.png";
    auto join = [&](int16_t moving, int16_t stay) {
        test::Join(c.m, moving, stay);
        AlignGroup(c.m, c.m.Pieces[stay].Group, 1200, 900);
    };
    c.m.Pieces[2].LeftJoined = c.m.Pieces[1].RightJoined = true;
    join(2, 1);
    c.m.Pieces[6].TopJoined = c.m.Pieces[2].BottomJoined = true;
    join(6, 2);
    NoHost host;
    SetGroupInPlace(c.g, c.m, c.m.Pieces[cols * rows].Group, host);
    c.g.ElapsedSeconds = 754;
    return c;
}

void Put16(std::string& s, int v) {
    s.push_back(char(v & 0xff));
    s.push_back(char((v >> 8) & 0xff));
}
void Put32(std::string& s, int32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(char((uint32_t(v) >> (8 * i)) & 0xff));
}
void Pad(std::string& s) { s.resize((s.size() + 127) / 128 * 128, '\0'); }

int16_t Get16(const std::string& b, size_t at) { return int16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8)); }

}  // namespace

TEST(StateFile, RoundTripKeepsTheGame) {
    auto c = Game();
    const std::string bytes = WriteState(c.g, c.m);
    const int n = 12, k = c.m.InPlaceCount, g = c.m.GroupCount;
    EXPECT_EQ(bytes.size(), size_t(128) * (5 + 2 * n + k + 2 + g + 1 - 1) + 4);
    const LoadedState s = ReadState(bytes);
    EXPECT_EQ(s.ImageFileName, c.m.ImageFileName);
    EXPECT_EQ(s.NumberOfPieces, 12);
    EXPECT_EQ(s.NumColumns, 4);
    EXPECT_EQ(s.NumRows, 3);
    EXPECT_EQ(s.ElapsedSeconds, 754);
    EXPECT_EQ(s.model.Pieces, c.m.Pieces);
    EXPECT_EQ(s.model.Groups, c.m.Groups);
    EXPECT_EQ(s.model.GroupOrder, c.m.GroupOrder);
    EXPECT_EQ(s.model.GroupCount, c.m.GroupCount);
    EXPECT_EQ(s.model.GroupOrderSize, 12);
    EXPECT_EQ(s.model.PiecesInPlace, c.m.PiecesInPlace);
    EXPECT_FALSE(s.model.PuzzleComplete);
    // Written again, byte for byte the same.
    PuzzleModel again = s.model;
    again.ImageFileName = s.ImageFileName;
    EXPECT_TRUE(WriteState(c.g, again) == bytes);
}

TEST(StateFile, LayoutOfTheRecords) {
    auto c = Game();
    const std::string b = WriteState(c.g, c.m);
    EXPECT_EQ(b.substr(0, 32), "/home/player/Pictures/Meadow.png");
    EXPECT_EQ(b[127], ' ');   // padded with spaces
    EXPECT_EQ(Get16(b, 128), 12);
    EXPECT_EQ(Get16(b, 256), 4);
    EXPECT_EQ(Get16(b, 384), 3);
    EXPECT_EQ(Get16(b, 512), 1);   // one piece at home
    // Piece 1 at record 6: Column, Row, Group, flags, X, Y.
    const size_t p1 = 128 * 5;
    EXPECT_EQ(Get16(b, p1 + 4), c.m.Pieces[1].Group);
    EXPECT_EQ(Get16(b, p1 + 12), -1);   // RightJoined
    EXPECT_EQ(Get16(b, p1 + 6), 0);     // TopJoined
    EXPECT_EQ(Get16(b, p1 + 14), -1);   // TopOut: row 0 is flat
    EXPECT_EQ(Get16(b, p1 + 46), c.m.Pieces[1].HomeX);
    EXPECT_EQ(b[p1 + 50], '\0');
    // Group 1's record holds the merged group: InPlace, header, list, count.
    const size_t g1 = 128 * 6;
    EXPECT_EQ(Get16(b, g1), 0);
    EXPECT_EQ(Get16(b, g1 + 2), 1);
    EXPECT_EQ(Get16(b, g1 + 4), 4);   // E = 3 pieces + 1
    EXPECT_EQ(Get16(b, g1 + 8), 0);
    EXPECT_EQ(Get16(b, g1 + 14), 1);
    EXPECT_EQ(Get16(b, g1 + 16), 2);
    EXPECT_EQ(Get16(b, g1 + 18), 6);
    EXPECT_EQ(Get16(b, g1 + 20), 3);   // PieceCount
    // A merged-away group: count 0, one-entry list.
    const size_t g2 = 128 * 8;
    EXPECT_EQ(Get16(b, g2 + 4), 1);
    EXPECT_EQ(Get16(b, g2 + 14), 0);
    // The group locked home (12): InPlace True, count 0.
    const size_t g12 = 128 * (5 + 2 * 11 + 1);
    EXPECT_EQ(Get16(b, g12), -1);
    EXPECT_EQ(Get16(b, g12 + 14), 0);
    // The time is the last four bytes.
    EXPECT_EQ(Get16(b, b.size() - 4), 754);
}

TEST(StateFile, AHandMadeFileLoads) {
    // A 2 x 2 puzzle, nothing joined, piece 4 home, three groups loose.
    std::string f = "/pics/a.bmp";
    f.append(128 - f.size(), ' ');
    for (int v : {4, 2, 2, 1}) {
        Put16(f, v);
        Pad(f);
    }
    for (int p = 1; p <= 4; ++p) {
        const int col = (p - 1) % 2, row = (p - 1) / 2;
        const bool even = (col + row) % 2 == 0;
        Put16(f, col);
        Put16(f, row);
        Put16(f, p == 4 ? 0 : p);
        for (int j = 0; j < 4; ++j) Put16(f, 0);
        // TopOut, BottomOut, LeftOut, RightOut by the checkerboard.
        Put16(f, even ? (row == 0 ? -1 : 0) : -1);
        Put16(f, even ? (row == 1 ? -1 : 0) : -1);
        Put16(f, even ? -1 : (col == 0 ? -1 : 0));
        Put16(f, even ? -1 : (col == 1 ? -1 : 0));
        Put32(f, 10 * p);
        Put32(f, 20 * p);
        for (int j = 0; j < 4; ++j) Put32(f, 0);
        Put16(f, 0);
        Put16(f, 0);
        Pad(f);
        Put16(f, p == 4 ? -1 : 0);   // InPlace
        Put16(f, 1);
        Put32(f, p == 4 ? 1 : 2);
        Put32(f, 0);
        Put16(f, 0);
        if (p != 4) Put16(f, p);
        Put16(f, p == 4 ? 0 : 1);
        Put16(f, col);
        Put16(f, col);
        Put16(f, row);
        Put16(f, row);
        Pad(f);
    }
    Put16(f, 4);   // PiecesInPlace
    Pad(f);
    Put16(f, 4);   // GroupOrderSize
    Pad(f);
    Put16(f, 3);   // GroupCount
    Pad(f);
    for (int gr : {3, 1, 2}) {
        Put16(f, gr);
        Pad(f);
    }
    Put32(f, 99);
    const LoadedState s = ReadState(f);
    EXPECT_EQ(s.ImageFileName, "/pics/a.bmp");
    EXPECT_EQ(s.model.Pieces[3].X, 30);
    EXPECT_EQ(s.model.Pieces[2].Y, 40);
    EXPECT_EQ(s.model.Pieces[4].Group, 0);
    EXPECT_TRUE(s.model.Groups[4].InPlace);
    EXPECT_EQ(s.model.GroupOrder, (std::vector<int16_t>{0, 3, 1, 2}));
    EXPECT_EQ(s.model.PiecesInPlace, (std::vector<int16_t>{0, 4}));
    EXPECT_EQ(s.ElapsedSeconds, 99);
    // Extra bytes after the last record (an older, longer file) are ignored.
    EXPECT_EQ(ReadState(f + std::string(300, 'x')).ElapsedSeconds, 99);
}

namespace {
// A 10 x 10 game whose top rows form one loose group of the given size.
test::CutPuzzle BigGroup(int size) {
    auto c = test::MakeCut(10, 10, 1000, 1000, 2000, 2000);
    c.m.ImageFileName = "/p.png";
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
    EXPECT_EQ(Get16(b, g1 + 4), 53);
    EXPECT_EQ(Get16(b, g1 + 12 + 2 * 53), 52);   // PieceCount ends the record exactly
    EXPECT_EQ(ReadState(b).model.Groups, c.m.Groups);

    c = BigGroup(53);
    b = WriteState(c.g, c.m);
    EXPECT_EQ(Get16(b, g1 + 4), 1);
    EXPECT_EQ(Get16(b, g1 + 14), 53);
    LoadedState s = ReadState(b);
    EXPECT_EQ(s.model.Groups, c.m.Groups);   // the list rebuilt from the pieces
    s.model.ImageFileName = s.ImageFileName;
    EXPECT_TRUE(WriteState(c.g, s.model) == b);

    c = BigGroup(100);
    EXPECT_EQ(ReadState(WriteState(c.g, c.m)).model.Groups[1].PieceCount, 100);
}

TEST(StateFile, TruncatedAtAnyRecordIsRefused) {
    auto c = Game();
    const std::string b = WriteState(c.g, c.m);
    for (size_t cut = 0; cut < b.size(); cut += 128) {
        EXPECT_THROW(ReadState(b.substr(0, cut)), StateFileError) << cut;
        if (cut > 0) {
            EXPECT_THROW(ReadState(b.substr(0, cut - 1)), StateFileError) << cut;
        }
    }
    EXPECT_THROW(ReadState(b.substr(0, b.size() - 1)), StateFileError);
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
        {"x far away", [&] {
             std::string b = good;
             b[p1 + 25] = char(0x40);
             return b;
         }()},
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
    c.m.ImageFileName = "/" + std::string(127, 'a');
    EXPECT_NO_THROW(WriteState(c.g, c.m));
    c.m.ImageFileName = "/" + std::string(128, 'a');
    EXPECT_THROW(WriteState(c.g, c.m), StateFileError);
    // UTF-8 paths are counted in bytes and kept whole.
    c.m.ImageFileName = "/Bilder/Märchenwald ∞.png";
    EXPECT_EQ(ReadState(WriteState(c.g, c.m)).ImageFileName, "/Bilder/Märchenwald ∞.png");
    std::string longUtf8 = "/";
    while (longUtf8.size() + 3 <= 128) longUtf8 += "€";
    c.m.ImageFileName = longUtf8 + "€";
    EXPECT_THROW(WriteState(c.g, c.m), StateFileError);
}

TEST(StateFile, AFinishedPuzzleLoadsComplete) {
    auto c = test::MakeCut(2, 2, 300, 300, 800, 600);
    c.m.ImageFileName = "/x.png";
    NoHost host;
    for (int16_t g = 1; g <= 4; ++g) SetGroupInPlace(c.g, c.m, g, host);
    const LoadedState s = ReadState(WriteState(c.g, c.m));
    EXPECT_TRUE(s.model.PuzzleComplete);
    EXPECT_EQ(s.model.GroupCount, 0);
}

}  // namespace pz
