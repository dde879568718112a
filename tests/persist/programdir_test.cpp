#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "game/persist/programdir.h"
#include "testutil.h"

namespace pz {

namespace {
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}
}  // namespace

TEST(ProgramDirectory, EarlierBestTimesAreMovedOnceNeverOverwritten) {
    // The files beside the executable and in the per-user folder (nullptr:
    // none), whether a move is made, what the per-user file holds after.
    struct Case { const char *old, *user; bool moved; const char* userAfter; };
    for (const Case& c : {Case{"old", nullptr, true, "old"}, Case{"old", "mine", false, "mine"},
                          Case{nullptr, "mine", false, "mine"}, Case{nullptr, nullptr, false, "(none)"}}) {
        QTemporaryDir exe, user;
        ASSERT_TRUE(!c.old || test::WriteFile(exe.filePath("besttimes.txt"), c.old));
        ASSERT_TRUE(!c.user || test::WriteFile(user.filePath("besttimes.txt"), c.user));
        EXPECT_EQ(MoveEarlierBestTimes(exe.path(), user.path()), c.moved) << (c.old ? c.old : "-");
        EXPECT_EQ(Read(user.filePath("besttimes.txt")), QByteArray(c.userAfter));
        // Moved means gone from beside the executable; otherwise untouched.
        EXPECT_EQ(QFile::exists(exe.filePath("besttimes.txt")), c.old && !c.moved);
        EXPECT_FALSE(QFile::exists(user.filePath("besttimes.txt.part")));
        // A second start finds nothing more to do.
        EXPECT_FALSE(MoveEarlierBestTimes(exe.path(), user.path()));
    }
}

TEST(ProgramDirectory, OpenDialogStartsInSamplesThenPicturesThenHome) {
    QTemporaryDir root;
    const QString samples = root.filePath("share/puzzora/samples");
    QDir().mkpath(samples);
    QDir().mkpath(root.filePath("bin"));
    EXPECT_EQ(PictureStartFolder(root.filePath("bin")), samples);   // installed: <prefix>/bin
    EXPECT_EQ(PictureStartFolder(root.path()), samples);           // the build folder
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ASSERT_TRUE(pictures.startsWith(QDir::homePath()));   // the test's own HOME
    QTemporaryDir elsewhere;   // an executable with no samples near it
    QDir(pictures).removeRecursively();
    EXPECT_EQ(PictureStartFolder(elsewhere.path()), QDir::homePath());
    QDir().mkpath(pictures);
    EXPECT_EQ(PictureStartFolder(elsewhere.path()), pictures);
    EXPECT_EQ(PictureStartFolder(QString()), pictures);
}

}  // namespace pz
