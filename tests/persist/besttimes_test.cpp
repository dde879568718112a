#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

// The players' names in the table's order, empty entries as "".
std::string Names(const BestTimesTable& t) {
    std::string out = t[1].PlayerName;
    for (int i = 2; i <= BestTimesCount; ++i) out += "," + t[i].PlayerName;
    return out;
}
}  // namespace

TEST(BestTimes, ResultsRankByPiecesASecondEqualGoesAboveAndTheLastDrops) {
    std::vector<BestTimeEntry> twenty;   // 99 down to 80 pieces in a minute
    for (int i = 1; i <= 20; ++i) twenty.push_back(Entry(std::to_string(i).c_str(), 60, 100 - i));
    const struct { std::vector<BestTimeEntry> before; int pieces, seconds, position; const char* names; } cases[] = {
        {{}, 64, 3725, 1, "new,,,,,,,,,,,,,,,,,,,"},
        // A slow result runs on to the last position.
        {{Entry("a", 60, 60), Entry("b", 60, 50), Entry("c", 60, 40)}, 10, 60, 20, "a,b,c,,,,,,,,,,,,,,,,,new"},
        {{Entry("small", 120, 16)}, 100, 600, 1, "new,small,,,,,,,,,,,,,,,,,,"},   // 1/6 a second beats 2/15
        // As fast as entry 2, slower than entry 1: position 2; entry 20 drops out.
        {twenty, 98, 60, 2, "1,new,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19"},
        {{}, 64, 0, 0, ",,,,,,,,,,,,,,,,,,,"},   // no seconds: not even into an empty table
    };
    for (const auto& k : cases) {
        BestTimesTable t{};
        std::copy(k.before.begin(), k.before.end(), t.begin() + 1);
        EXPECT_EQ(EntersBestTimes(t, k.pieces, k.seconds), k.position > 0) << k.names;
        EXPECT_EQ(InsertBestTime(t, k.pieces, k.seconds, "new", "Meadow.png"), k.position) << k.names;
        EXPECT_EQ(Names(t), k.names);
    }
}

TEST(BestTimes, TimeIsSplitAndOnlyFasterThanTheLastEnters) {
    BestTimesTable t{};
    InsertBestTime(t, 64, 3725, "Ann", "Meadow.png");
    EXPECT_EQ((std::array<int, 3>{t[1].Hours, t[1].Minutes, t[1].Seconds}), (std::array<int, 3>{1, 2, 5}));
    EXPECT_EQ(ElapsedText(t[1]), "1:2:5");
    EXPECT_EQ(t[1].PictureName, "Meadow.png");
    // Exactly the rate of entry 20 does not enter.
    for (int i = 1; i <= 20; ++i) t[i] = Entry(std::to_string(i).c_str(), 60, 100 - i);
    EXPECT_FALSE(EntersBestTimes(t, 80, 60));
    EXPECT_TRUE(EntersBestTimes(t, 81, 60));
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
    EXPECT_EQ(Names(back), "Jo \"the fox\" \",two  lines,,,,,,,,,,,,,,,,,,");
    EXPECT_EQ(back[1].PictureName, "\"odd\".jpg");
}

TEST(BestTimes, DamagedFilesKeepWhatCanBeRead) {
    const std::string good = "\"one\"\r\n0\r\n0\r\n10\r\n12\r\n\"p\"\r\n";
    const std::string textForNumber = "\"two\"\r\nx\r\n0\r\n20\r\n12\r\n\"p\"\r\n";
    const std::string absurd = "\"three\"\r\n0\r\n0\r\n75\r\n12\r\n\"p\"\r\n";
    const std::string cutShort = "\"four\"\r\n0\r\n";
    const BestTimesTable back = ParseBestTimes(good + textForNumber + absurd + good + cutShort);
    // Damaged entries stay empty, and later ones are still read.
    EXPECT_EQ(Names(back), "one,,,one,,,,,,,,,,,,,,,,");
    EXPECT_EQ((std::array{back[2].PieceTotal, back[3].PieceTotal, back[5].PieceTotal}), (std::array<int16_t, 3>{0, 0, 0}));
    EXPECT_EQ(ParseBestTimes("").at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes(std::string(5000, '\n')).at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes("\"a\"\n-1\n0\n0\n5\n\"b\"\n").at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes("\"a\"\n0\n0\n1\n99999\n\"b\"\n").at(1).PieceTotal, 0);
    EXPECT_EQ(ParseBestTimes("\"a\"\n0\n0\n1\n5\n\"b\"\n").at(1).PieceTotal, 5);   // LF only is fine
}

TEST(BestTimes, TheFileKeepsItsFormatAndAFailureIsToldOnce) {
    QTemporaryDir dir;
    BestTimesFile file(dir.filePath("besttimes.txt"));
    EXPECT_FALSE(file.Read().has_value());
    BestTimesTable t{};
    t[1] = Entry("Ann", 3725, 64);
    t[1].PictureName = "Meadow.png";
    EXPECT_EQ(file.Change(t).failure.toStdString(), "");   // no file yet: the table in memory
    // Six lines an entry, each ended by CRLF: 120 lines.
    const QByteArray text = test::ReadFile(dir.filePath("besttimes.txt"));
    EXPECT_TRUE(text.startsWith("\"Ann\"\r\n1\r\n2\r\n5\r\n64\r\n\"Meadow.png\"\r\n\"\"\r\n0\r\n"));
    EXPECT_EQ(text.count("\r\n"), 120);
    EXPECT_EQ(text.count('\n'), 120);
    EXPECT_EQ(FormatBestTimes(file.Read().value()), FormatBestTimes(t));   // read back whole

    // Its folder is gone: the first failure says where, the rest say nothing.
    BestTimesFile lost(dir.filePath("gone/besttimes.txt"));
    const QString told = lost.Change(t).failure;
    EXPECT_TRUE(told.startsWith("The best times could not be written to \"" + dir.filePath("gone/besttimes.txt") + "\": "))
        << told.toStdString();
    const BestTimesFile::Update again = lost.Change(t);
    EXPECT_EQ(again.failure.toStdString(), "");
    EXPECT_EQ(FormatBestTimes(again.table), FormatBestTimes(t));   // lives on in memory

    // There but unreadable (no permission, which root ignores; a socket,
    // which not even root can open): it may hold other results, so it stays
    // as it is, the change made in memory only.
    for (const QString& path : {dir.filePath("unreadable"), dir.filePath("socket")}) {
        const bool socket = path.endsWith("socket");
        if (!socket && geteuid() == 0) {
            std::cout << "[ SKIPPED  ] a best-times file without read permission: root reads it anyway\n";
            continue;
        }
        sockaddr_un addr{.sun_family = AF_UNIX, .sun_path = {}};
        qstrncpy(addr.sun_path, path.toLocal8Bit().constData(), sizeof addr.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_TRUE(socket ? ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0
                           : test::WriteFile(path, "kept") && QFile::setPermissions(path, {}));
        const BestTimesFile::Update u = BestTimesFile(path).Change({}, [&](BestTimesTable& table) { table = t; });
        EXPECT_TRUE(u.failure.startsWith("The best times could not be read from \"" + path + "\": ")) << u.failure.toStdString();
        EXPECT_EQ(FormatBestTimes(u.table), FormatBestTimes(t));
        EXPECT_EQ(QFileInfo(path).size(), socket ? 0 : 4);
        ::close(fd);
    }
}

}  // namespace pz
