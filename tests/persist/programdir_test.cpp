#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "game/persist/programdir.h"
#include "platform/desktop/folders.h"
#include "platform/qt/qtsettingsstore.h"
#include "testutil.h"

namespace pz {

namespace {
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}
}  // namespace

TEST(ProgramDirectory, EarlierBestTimesAreCopiedOnceNeverOverwritten) {
    // The files beside the executable and in the per-user folder (nullptr:
    // none), whether a copy is made, what the per-user file holds after.
    struct Case { const char *old, *user; bool copied; const char* userAfter; };
    for (const Case& c : {Case{"old", nullptr, true, "old"}, Case{"old", "mine", false, "mine"},
                          Case{nullptr, "mine", false, "mine"}, Case{nullptr, nullptr, false, "(none)"}}) {
        QTemporaryDir exe, user;
        ASSERT_TRUE(!c.old || test::WriteFile(exe.filePath("besttimes.txt"), c.old));
        ASSERT_TRUE(!c.user || test::WriteFile(user.filePath("besttimes.txt"), c.user));
        EXPECT_EQ(CopyEarlierBestTimes(exe.path(), user.path()), c.copied) << (c.old ? c.old : "-");
        EXPECT_EQ(Read(user.filePath("besttimes.txt")), QByteArray(c.userAfter));
        // The old file stays: its folder may be other users' too.
        EXPECT_EQ(Read(exe.filePath("besttimes.txt")), QByteArray(c.old ? c.old : "(none)"));
        EXPECT_FALSE(QFile::exists(user.filePath("besttimes.txt.part")));
        // A second start finds nothing more to do.
        EXPECT_FALSE(CopyEarlierBestTimes(exe.path(), user.path()));
    }
}

TEST(ProgramDirectory, FoldersIgnoreRelativeAndEmptyXdgValues) {
    const char* vars[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DATA_DIRS"};
    const test::ScopedEnv restore{{vars[0], qgetenv(vars[0])}, {vars[1], qgetenv(vars[1])}, {vars[2], qgetenv(vars[2])}, {vars[3], qgetenv(vars[3])}};
    QTemporaryDir abs;
    const QString h = QDir::homePath();
    for (const QString& value : {QString(), QString("relative/dir"), abs.path(), QString("rel:") + abs.path() + "::"}) {
        for (const char* v : vars) qputenv(v, value.toUtf8());
        const QStringList want = value.startsWith('/') ? QStringList{value, value, value, value}
                                                       : QStringList{h + "/.config", h + "/.local/share", h + "/.cache",
                                                                     value.contains(':') ? abs.path() : "/usr/local/share:/usr/share"};
        EXPECT_EQ((QStringList{desktop::ConfigHome(), desktop::DataHome(), desktop::CacheHome(), desktop::DataDirs().join(':')}), want);
        QFile::remove(want[0] + "/Puzzora/Puzzora.ini");
        QtSettingsStore().Save("List Index", "3");   // Qt alone takes a relative value as it stands
        EXPECT_TRUE(QFile::exists(want[0] + "/Puzzora/Puzzora.ini"));
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
