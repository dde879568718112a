#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QXmlStreamReader>

#include "platform/desktop/desktop.h"
#include "testutil.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace pz::desktop {

using test::ReadFile;

namespace {
// GLib's own lookups (tests/desktop/gioprobe.cpp) with these data folders.
QStringList Gio(const QString& dataHome, const QString& dataDirs, const QStringList& args) {
    const test::ScopedEnv env{{"XDG_DATA_HOME", dataHome.toUtf8()}, {"XDG_DATA_DIRS", dataDirs.toUtf8()}};
    QProcess p;
    p.start(GIOPROBE, args);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}
void RefreshCaches(const QString& dataDir) {
    for (const auto& [tool, dir] : {std::pair{"update-desktop-database", "/applications"}, {"update-mime-database", "/mime"}}) {
        QProcess p;
        p.setStandardErrorFile(QProcess::nullDevice());
        if (QFileInfo(dataDir + dir).isDir()) p.start(tool, {dataDir + dir});
        p.waitForFinished();
    }
}
bool Put(const QString& path, const QByteArray& bytes) {
    return QDir().mkpath(QFileInfo(path).path()) && test::WriteFile(path, bytes);
}
}  // namespace

TEST(Desktop, RegistrationAsGLibAndQtSeeIt) {
    // The per-user entry before the start: none, ours as a start from
    // elsewhere wrote it, an earlier version's, ours changed in a menu
    // editor, someone else's; ch is in the executable's path ("%" takes
    // another Exec form).
    enum Before { None, Ours, Earlier, Edited, Foreign };
    const struct { bool installed; Before before; QString ch; } rows[] = {
        {false, None, " '$\"\\é"}, {false, None, "% '"}, {false, Ours, "%"},   {false, Earlier, "'"},
        {false, Edited, " "},       {true, Ours, "x"},    {true, Earlier, "$"}, {true, Foreign, "x"}};
    const QString id = kAppId, entryPath = "applications/" + id + ".desktop";
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && test::PatternPicture(48, 48).save(&buffer, "PNG"));
    for (const auto& row : rows) {
        SCOPED_TRACE(QString("installed %1, before %2, '%3'").arg(row.installed).arg(row.before).arg(row.ch).toStdString());
        QTemporaryDir tmp;
        const QString data = tmp.filePath("data"), sys = tmp.filePath("sys"), entry = data + '/' + entryPath;
        const QString exe = tmp.filePath("bin/a" + row.ch + "b/puzzora"), psf = tmp.filePath("it's 100% a.psf");
        const test::ScopedEnv probe{{"PROBE_OUT", tmp.filePath("out").toUtf8()}};   // the arguments the game got
        ASSERT_TRUE(Put(exe, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > \"$PROBE_OUT\"\n"));
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(!row.installed || Put(sys + '/' + entryPath, "[Desktop Entry]\nType=Application\nName=Puzzora\n"
                                                                 "Exec=true %f\nMimeType=application/x-puzzora-state;\n"));
        Registration r{data, {sys}, exe, {kStateMimeType}, {{"48x48/apps/" + id + ".png", png}, {"scalable/apps/" + id + ".svg", "<svg/>\n"}}, "earlier icon"};
        Registration elsewhere = r;
        elsewhere.executable = "/old build/puzzora";
        for (const RegistrationFile& f : RegistrationFiles(row.before == Ours ? elsewhere : r))
            ASSERT_TRUE((row.before != Ours && row.before != Edited) || Put(data + '/' + f.relativePath, f.contents));
        ASSERT_TRUE(row.before != Edited || Put(entry, ReadFile(entry) + "NoDisplay=true\n"));
        ASSERT_TRUE(row.before != Foreign || Put(entry, "[Desktop Entry]\nType=Application\nName=Mine\nExec=true\n"));
        // As the two earlier versions left them, from an $XDG_DATA_HOME that ended in "/".
        const QByteArray old = (data + "//icons/hicolor/32x32/apps/").toUtf8(), exec = "Exec=\"/old build/puzzora\" %f\n",
                         common = "MimeType=application/x-puzzora-state;\nCategories=Game;LogicGame;\n";
        ASSERT_TRUE(row.before != Earlier ||
                    (Put(old + id + ".png", "earlier icon") && Put(old + "puzzora.png", "earlier icon") &&
                     Put(data + "/mime/packages/puzzora-state.xml", ReadFile(PZ_SOURCE_DIR "/assets/desktop/puzzora-state.xml")) &&
                     Put(entry, "[Desktop Entry]\nType=Application\nName=Puzzora\nGenericName=Jigsaw Puzzle\nComment=Cut your own "
                                "pictures into jigsaw puzzles\n" + exec + "TryExec=/old build/puzzora\nIcon=" + old + id.toUtf8() +
                                ".png\n" + common + "Keywords=jigsaw;puzzle;picture;\nTerminal=false\n") &&
                     Put(data + "/applications/puzzora.desktop", "[Desktop Entry]\nType=Application\nName=Puzzora\nComment=Jigsaw "
                         "puzzle game\n" + exec + "Icon=" + old + "puzzora.png\n" + common + "Terminal=false\n")));
        const QByteArray before = ReadFile(entry);
        WriteRegistration(r);
        RefreshCaches(data);
        RefreshCaches(sys);
        QStringList left;   // files of ours, earlier ones included
        for (QDirIterator it(data, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            if (const QString f = QDir(data).relativeFilePath(it.next()); !f.startsWith("mime/") || f.startsWith("mime/packages/"))
                left << f;
        left.removeAll("applications/mimeinfo.cache");
        left.sort();
        const QStringList gio = Gio(data, sys, {"app", kStateMimeType, psf});
        if (row.before == Edited || row.before == Foreign) {
            EXPECT_EQ(ReadFile(entry), before);   // never rewritten, never removed
        } else if (row.installed) {
            EXPECT_EQ(left, QStringList());
            EXPECT_TRUE(gio.contains("file=" + sys + '/' + entryPath)) << gio.join(' ').toStdString();
        } else {
            EXPECT_EQ(left, (QStringList{entryPath, "icons/hicolor/48x48/apps/" + id + ".png",
                                         "icons/hicolor/scalable/apps/" + id + ".svg", "mime/packages/puzzora-state.xml"}));
            EXPECT_EQ(gio, (QStringList{"id=" + id + ".desktop", "file=" + entry, "icon=" + id, "wmclass=Puzzora", "listed=1"}));
            // Launched by GLib, the game gets its path and the file.
            QString out;
            for (int i = 0; i < 200 && out.isEmpty(); ++i, QThread::msleep(10)) out = ReadFile(tmp.filePath("out"));
            EXPECT_EQ(out, exe + '\n' + psf + '\n');
            EXPECT_FALSE(WriteRegistration(r));   // all current
        }
    }
    // Qt's MIME database on the package written here: the install test.
}

TEST(Desktop, RecentDocumentsKeepForeignEntriesAndRecords) {
    QTemporaryDir dir;
    const QString xbel = dir.filePath("recently-used.xbel");
    // Another program already has a bookmark for the same file, and one
    // for a file of its own.
    const QByteArray times = "added=\"2020-01-01T00:00:00Z\" modified=\"2020-01-01T00:00:00Z\" visited=\"2020-01-01T00:00:00Z\">\n";
    const QByteArray foreign =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\"\n"
        "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
        "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>\n"
        "  <bookmark href=\"file:///home/u/notes.txt\" " + times + "    <info><metadata owner=\"http://freedesktop.org\">"
        "<mime:mime-type type=\"text/plain\"/></metadata></info>\n  </bookmark>\n"
        "  <bookmark href=\"file:///games/my%20game.psf\" " + times + "    <info><metadata owner=\"http://freedesktop.org\">"
        "<mime:mime-type type=\"application/octet-stream\"/><bookmark:groups><bookmark:group>Files &amp; more</bookmark:group>"
        "</bookmark:groups><bookmark:applications><bookmark:application name=\"hexedit\" exec=\"&apos;hexedit %u&apos;\" "
        "modified=\"2020-01-01T00:00:00Z\" count=\"3\"/></bookmark:applications></metadata></info>\n  </bookmark>\n</xbel>\n";
    ASSERT_TRUE(test::WriteFile(xbel, foreign));
    auto add = [&](const QString& path, const QString& now, const QString& exe = "/usr/bin/puzzora") {
        return AddRecentDocument(xbel, path, "application/x-puzzora-state", "Puzzora", exe, now);
    };
    auto records = [&](const QString& href) {   // application name -> count
        QMap<QString, int> out;
        QXmlStreamReader r(ReadFile(xbel));
        for (QString in; !r.atEnd();)
            if (r.readNext() == QXmlStreamReader::StartElement && r.name() == QLatin1String("bookmark"))
                in = r.attributes().value("href").toString();
            else if (r.isStartElement() && r.name() == QLatin1String("application") && in == href)
                out[r.attributes().value("name").toString()] = r.attributes().value("count").toInt();
        EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
        return out;
    };
    const QString mine = "file:///games/my%20game.psf";
    ASSERT_TRUE(add("/games/my game.psf", "2026-12-07T10:00:00.000Z"));
    QByteArray text = ReadFile(xbel);
    EXPECT_EQ(text.count("<bookmark "), 2);
    EXPECT_EQ(records(mine), (QMap<QString, int>{{"hexedit", 3}, {"Puzzora", 1}}));
    EXPECT_TRUE(text.contains("Files &amp; more"));
    EXPECT_TRUE(text.contains("file:///home/u/notes.txt\" added=\"2020-01-01T00:00:00Z\" modified=\"2020-01-01"));
    // Again: our record counted once more, nothing duplicated.
    ASSERT_TRUE(add("/games/my game.psf", "2026-12-08T10:00:00.000Z"));
    text = ReadFile(xbel);
    EXPECT_EQ(text.count("my%20game.psf"), 1);
    EXPECT_EQ(records(mine), (QMap<QString, int>{{"hexedit", 3}, {"Puzzora", 2}}));
    EXPECT_TRUE(text.contains("modified=\"2026-12-08T10:00:00.000Z\""));
    EXPECT_FALSE(text.contains("2026-12-07T10:00:00.000Z"));
    // GLib reads our record back as the program and the file, whatever the
    // program's path and the file's name hold.
    for (const QString exe : {"/usr/bin/puzzora", "/a b/it's/100% $x \"q\" é/puzzora"}) {
        const QString file = "/games/it's 100% " + exe.section('/', 2, 2) + ".psf";
        ASSERT_TRUE(add(file, "2026-12-09T10:00:00.000Z", exe));
        const QString uri = QUrl::fromLocalFile(file).toEncoded().replace("'", "%27");
        EXPECT_EQ(Gio(dir.path(), "/nonexistent", {"recent", xbel, uri, "Puzzora"}), (QStringList{exe, uri}));
    }
    EXPECT_EQ(ReadFile(xbel).count("<bookmark "), 4);   // each new file a bookmark of its own
    // A file that is not an xbel document is left alone.
    for (const QByteArray& bad : {QByteArray("garbage"), QByteArray("<html><body/></html>"),
                                  QByteArray("<xbel><bookmark href=\"x\"></xbel>")}) {
        ASSERT_TRUE(test::WriteFile(xbel, bad));
        EXPECT_FALSE(add("/x.psf", "t"));
        EXPECT_EQ(ReadFile(xbel), bad);
    }
    // The desktop says not to remember (GNOME's switch, read here through
    // GLib's keyfile settings backend).
    ASSERT_TRUE(Put(ConfigHome() + "/glib-2.0/settings/keyfile", "[org/gnome/desktop/privacy]\nremember-recent-files=false\n"));
    const test::ScopedEnv keyfile{{"GSETTINGS_BACKEND", "keyfile"}};
    EXPECT_FALSE(RememberRecentFiles());
    // None yet: a new one is made.
    QFile::remove(xbel);
    ASSERT_TRUE(add("/x.psf", "t"));
    EXPECT_TRUE(ReadFile(xbel).startsWith("<?xml"));
    EXPECT_EQ(records("file:///x.psf"), (QMap<QString, int>{{"Puzzora", 1}}));
}

}  // namespace pz::desktop
