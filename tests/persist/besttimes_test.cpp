#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "game/persist/besttimes.h"
#include "game/persist/besttimesfile.h"
#include "testutil.h"

namespace pz {

namespace {
BestTimeEntry Entry(const char* name, int seconds, int pieces) {
    BestTimeEntry e;
    e.PlayerName = name;
    e.Hours = int16_t(seconds / 3600);
    e.Minutes = int16_t(seconds / 60 % 60);
    e.Seconds = int16_t(seconds % 60);
    e.PieceTotal = int16_t(pieces);
    e.PictureName = "pic.jpg";
    return e;
}
}  // namespace

TEST(BestTimes, FirstResultGoesFirstAndTimeIsSplit) {
    BestTimesTable t{};
    ASSERT_TRUE(EntersBestTimes(t, 64, 3725));
    EXPECT_EQ(InsertBestTime(t, 64, 3725, "Ann", "Meadow.png"), 1);
    EXPECT_EQ((std::array<int, 3>{t[1].Hours, t[1].Minutes, t[1].Seconds}), (std::array<int, 3>{1, 2, 5}));
    EXPECT_EQ(ElapsedText(t[1]), "1:2:5");
    EXPECT_EQ(t[1].PictureName, "Meadow.png");
}

TEST(BestTimes, ASlowResultRunsOnToTheLastPosition) {
    BestTimesTable t{};
    t[1] = Entry("a", 60, 60);
    t[2] = Entry("b", 60, 50);
    t[3] = Entry("c", 60, 40);
    EXPECT_EQ(InsertBestTime(t, 10, 60, "slow", "x"), 20);
    for (int i = 4; i <= 19; ++i) EXPECT_EQ(t[i].PieceTotal, 0) << i;
    EXPECT_EQ(t[3].PlayerName, "c");
}

TEST(BestTimes, EqualRateGoesAboveAndTheLastEntryIsDropped) {
    BestTimesTable t{};
    for (int i = 1; i <= 20; ++i) t[i] = Entry(std::to_string(i).c_str(), 60, 100 - i);
    // Exactly the rate of entry 20 does not enter.
    EXPECT_FALSE(EntersBestTimes(t, 80, 60));
    EXPECT_TRUE(EntersBestTimes(t, 81, 60));
    // As fast as entry 2, slower than entry 1: position 2.
    EXPECT_EQ(InsertBestTime(t, 98, 60, "new", "x"), 2);
    EXPECT_EQ(t[2].PlayerName, "new");
    EXPECT_EQ(t[3].PlayerName, "2");
    EXPECT_EQ(t[20].PlayerName, "19");
}

TEST(BestTimes, RankedByPiecesPerSecond) {
    BestTimesTable t{};
    t[1] = Entry("small", 120, 16);   // 2/15 a second
    EXPECT_EQ(InsertBestTime(t, 100, 600, "big", "x"), 1);   // 1/6 a second
    EXPECT_EQ(t[2].PlayerName, "small");
}

TEST(BestTimes, AResultOfNoSecondsIsNeverEntered) {
    BestTimesTable t{};
    EXPECT_FALSE(EntersBestTimes(t, 64, 0));   // not even into an empty table
    EXPECT_EQ(InsertBestTime(t, 64, 0, "quick", "x"), 0);
    EXPECT_EQ(t[1].PieceTotal, 0);
    // A stored entry of 0 seconds stays and still ranks as one second.
    for (int i = 1; i <= 20; ++i) t[i] = Entry("x", i == 20 ? 0 : 10, 50);
    EXPECT_FALSE(EntersBestTimes(t, 49, 1));
    EXPECT_TRUE(EntersBestTimes(t, 51, 1));
}

TEST(BestTimes, QuotesInNamesReadBackUnchanged) {
    BestTimesTable t{};
    t[1] = Entry("Jo \"the fox\" \"", 10, 12);
    t[1].PictureName = "\"odd\".jpg";
    t[2] = Entry("two\r\nlines", 10, 12);
    const BestTimesTable back = ParseBestTimes(FormatBestTimes(t));
    EXPECT_EQ(back[1].PlayerName, "Jo \"the fox\" \"");
    EXPECT_EQ(back[1].PictureName, "\"odd\".jpg");
    EXPECT_EQ(back[2].PlayerName, "two  lines");
    EXPECT_EQ(back[3].PieceTotal, 0);
}

TEST(BestTimes, DamagedFilesKeepWhatCanBeRead) {
    const std::string good = "\"one\"\r\n0\r\n0\r\n10\r\n12\r\n\"p\"\r\n";
    const std::string textForNumber = "\"two\"\r\nx\r\n0\r\n20\r\n12\r\n\"p\"\r\n";
    const std::string absurd = "\"three\"\r\n0\r\n0\r\n75\r\n12\r\n\"p\"\r\n";
    const std::string cutShort = "\"four\"\r\n0\r\n";
    const BestTimesTable back = ParseBestTimes(good + textForNumber + absurd + good + cutShort);
    EXPECT_EQ(back[1].PlayerName, "one");
    EXPECT_EQ(back[2].PieceTotal, 0);   // damaged entries stay empty...
    EXPECT_EQ(back[3].PieceTotal, 0);
    EXPECT_EQ(back[4].PlayerName, "one");   // ...and later ones are still read
    EXPECT_EQ(back[5].PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes("").at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes(std::string(5000, '\n')).at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes("\"a\"\n-1\n0\n0\n5\n\"b\"\n").at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes("\"a\"\n0\n0\n1\n99999\n\"b\"\n").at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes("\"a\"\n0\n0\n1\n5\n\"b\"\n").at(1).PieceTotal, 5);   // LF only is fine
}

TEST(BestTimes, ClearAllEmptiesEveryEntry) {
    BestTimesTable t{};
    t[1] = Entry("a", 10, 10);
    t[20] = Entry("b", 10, 10);
    ClearBestTimes(t);
    EXPECT_EQ(FormatBestTimes(t), FormatBestTimes(BestTimesTable{}));   // every field of every entry
}

TEST(BestTimes, TheFileKeepsItsFormatAndAFailureIsToldOnce) {
    QTemporaryDir dir;
    BestTimesFile file(dir.filePath("besttimes.txt"));
    EXPECT_FALSE(file.Read().has_value());
    BestTimesTable t{};
    t[1] = Entry("Ann", 3725, 64);
    t[1].PictureName = "Meadow.png";
    EXPECT_EQ(file.Write(t).toStdString(), "");
    // Six lines an entry, each ended by CRLF: 120 lines.
    const QByteArray text = test::ReadFile(dir.filePath("besttimes.txt"));
    EXPECT_TRUE(text.startsWith("\"Ann\"\r\n1\r\n2\r\n5\r\n64\r\n\"Meadow.png\"\r\n\"\"\r\n0\r\n"));
    EXPECT_EQ(text.count("\r\n"), 120);
    EXPECT_EQ(text.count('\n'), 120);
    EXPECT_EQ(file.Read().value()[1].PlayerName, "Ann");
    EXPECT_EQ(file.Read().value()[1].Seconds, 5);

    // Its folder is gone: the first failure says where, the rest say nothing.
    BestTimesFile lost(dir.filePath("gone/besttimes.txt"));
    const QString told = lost.Write(t);
    EXPECT_TRUE(told.startsWith("The best times could not be written to \"" + dir.filePath("gone/besttimes.txt") + "\": "))
        << told.toStdString();
    EXPECT_EQ(lost.Write(t).toStdString(), "");
}

}  // namespace pz
