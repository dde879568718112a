#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>

#include "game/persist/programdir.h"
#include "game/persist/qtsettingsstore.h"
#include "platform/desktop/folders.h"
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
    std::map<std::string, QByteArray> saved;
    for (const char* v : vars) saved[v] = qgetenv(v);
    const QString home = QDir::homePath();
    QTemporaryDir abs;
    for (const QString& value : {QString(), QString("relative/dir"), QString("./x"), abs.path()}) {
        for (const char* v : vars) qputenv(v, value.toUtf8());
        const bool used = value.startsWith('/');
        EXPECT_EQ(desktop::ConfigHome(), used ? value : home + "/.config") << value.toStdString();
        EXPECT_EQ(desktop::DataHome(), used ? value : home + "/.local/share");
        EXPECT_EQ(desktop::CacheHome(), used ? value : home + "/.cache");
        EXPECT_EQ(desktop::DataDirs(), (used ? QStringList{value} : QStringList{"/usr/local/share", "/usr/share"}));
        // The settings follow the same rule; Qt alone would take a relative value.
        QFile::remove(desktop::SettingsFile());
        QtSettingsStore().Save("List Index", "3");
        EXPECT_TRUE(QFile::exists((used ? value : home + "/.config") + "/Puzzora/Puzzora.ini"));
    }
    qputenv("XDG_DATA_DIRS", "rel:/a::/b/");
    EXPECT_EQ(desktop::DataDirs(), (QStringList{"/a", "/b"}));
    for (const char* v : vars) qputenv(v, saved[v]);
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
