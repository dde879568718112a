#include <gtest/gtest.h>

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "platform/desktop/desktop.h"
#include "testutil.h"

namespace pz::desktop {

using test::ReadFile;

TEST(Desktop, ExecArgumentsAreQuotedOnlyWhenNeeded) {
    EXPECT_EQ(ExecArgument("/usr/games/puzzora"), "/usr/games/puzzora");
    EXPECT_EQ(ExecArgument("/home/a b/puzzora"), "\"/home/a b/puzzora\"");
    EXPECT_EQ(ExecArgument("/x/100%/p"), "/x/100%%/p");
    // Inside quotes " ` $ \ take a backslash, and the file's own escaping
    // doubles every backslash.
    EXPECT_EQ(ExecArgument("/a\"b/$c"), "\"/a\\\\\"b/\\\\$c\"");
    EXPECT_EQ(ExecArgument("/a\\b"), "\"/a\\\\\\\\b\"");
}

TEST(Desktop, RegistrationIsIdempotent) {
    QTemporaryDir dir;
    Registration r{dir.path(), "/opt/puzzora/puzzora", "PNG"};
    // An earlier version's entry goes: the game is listed once.
    QDir().mkpath(dir.filePath("applications"));
    ASSERT_TRUE(test::WriteFile(dir.filePath("applications/puzzora.desktop"),
                                "[Desktop Entry]\nMimeType=application/x-puzzora-state;\n"));
    EXPECT_TRUE(WriteRegistration(r));
    EXPECT_FALSE(QFile::exists(dir.filePath("applications/puzzora.desktop")));
    // The same file id as the installed entry.
    const QString entryPath = dir.filePath("applications/org.example.Puzzora.desktop");
    const QByteArray entry = ReadFile(entryPath);
    EXPECT_TRUE(entry.contains("Exec=/opt/puzzora/puzzora %f\n"));
    EXPECT_TRUE(entry.contains("TryExec=/opt/puzzora/puzzora\n"));
    EXPECT_TRUE(entry.contains("MimeType=application/x-puzzora-state;\n"));
    EXPECT_FALSE(WriteRegistration(r));
    EXPECT_EQ(ReadFile(entryPath), entry);
    EXPECT_EQ(ReadFile(dir.filePath("icons/hicolor/32x32/apps/org.example.Puzzora.png")), QByteArray("PNG"));
    // The MIME package is the one the install puts in share/mime/packages.
    EXPECT_EQ(ReadFile(dir.filePath("mime/packages/puzzora-state.xml")),
              ReadFile(PZ_SOURCE_DIR "/assets/desktop/puzzora-state.xml"));
}

TEST(Desktop, RecentDocumentsKeepForeignEntriesAndRecords) {
    QTemporaryDir dir;
    const QString xbel = dir.filePath("recently-used.xbel");
    // Another program already has a bookmark for the same file, and one
    // for a file of its own.
    const QByteArray foreign =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<xbel version=\"1.0\"\n"
        "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
        "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>\n"
        "  <bookmark href=\"file:///home/u/notes.txt\" added=\"2020-01-01T00:00:00Z\" modified=\"2020-01-01T00:00:00Z\" "
        "visited=\"2020-01-01T00:00:00Z\">\n"
        "    <info><metadata owner=\"http://freedesktop.org\"><mime:mime-type type=\"text/plain\"/>"
        "</metadata></info>\n"
        "  </bookmark>\n"
        "  <bookmark href=\"file:///games/my%20game.psf\" added=\"2020-01-01T00:00:00Z\" "
        "modified=\"2020-01-01T00:00:00Z\" visited=\"2020-01-01T00:00:00Z\">\n"
        "    <info><metadata owner=\"http://freedesktop.org\"><mime:mime-type type=\"application/octet-stream\"/>"
        "<bookmark:groups><bookmark:group>Files &amp; more</bookmark:group></bookmark:groups>"
        "<bookmark:applications><bookmark:application name=\"hexedit\" exec=\"&apos;hexedit %u&apos;\" "
        "modified=\"2020-01-01T00:00:00Z\" count=\"3\"/></bookmark:applications>"
        "</metadata></info>\n"
        "  </bookmark>\n"
        "</xbel>\n";
    ASSERT_TRUE(test::WriteFile(xbel, foreign));
    auto add = [&](const QString& path, const QString& now) {
        return AddRecentDocument(dir.path(), path, "application/x-puzzora-state", "Puzzora", "/usr/bin/puzzora %u",
                                 now);
    };
    auto records = [&](const QString& href) {   // application name -> count
        QMap<QString, int> out;
        QXmlStreamReader r(ReadFile(xbel));
        QString in;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == QLatin1String("bookmark"))
                in = r.attributes().value("href").toString();
            if (r.isStartElement() && r.name() == QLatin1String("application") && in == href)
                out[r.attributes().value("name").toString()] = r.attributes().value("count").toInt();
        }
        EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
        return out;
    };
    const QString mine = "file:///games/my%20game.psf";
    ASSERT_TRUE(add("/games/my game.psf", "2026-12-07T10:00:00.000Z"));
    QByteArray text = ReadFile(xbel);
    EXPECT_EQ(text.count("<bookmark "), 2);
    EXPECT_EQ(records(mine), (QMap<QString, int>{{"hexedit", 3}, {"Puzzora", 1}}));
    EXPECT_TRUE(text.contains("exec=\"'/usr/bin/puzzora %u'\""));
    EXPECT_TRUE(text.contains("Files &amp; more"));
    EXPECT_TRUE(text.contains("file:///home/u/notes.txt\" added=\"2020-01-01T00:00:00Z\" modified=\"2020-01-01"));
    // Again: our record counted once more, nothing duplicated.
    ASSERT_TRUE(add("/games/my game.psf", "2026-12-08T10:00:00.000Z"));
    text = ReadFile(xbel);
    EXPECT_EQ(text.count("my%20game.psf"), 1);
    EXPECT_EQ(records(mine), (QMap<QString, int>{{"hexedit", 3}, {"Puzzora", 2}}));
    EXPECT_TRUE(text.contains("modified=\"2026-12-08T10:00:00.000Z\""));
    EXPECT_FALSE(text.contains("2026-12-07T10:00:00.000Z"));
    // A file with no bookmark yet gets one of its own.
    ASSERT_TRUE(add("/games/other.psf", "2026-12-09T10:00:00.000Z"));
    EXPECT_EQ(records("file:///games/other.psf"), (QMap<QString, int>{{"Puzzora", 1}}));
    EXPECT_EQ(ReadFile(xbel).count("<bookmark "), 3);
    // A file that is not an xbel document is left alone.
    for (const QByteArray& bad : {QByteArray("garbage"), QByteArray("<html><body/></html>"),
                                  QByteArray("<xbel><bookmark href=\"x\"></xbel>")}) {
        ASSERT_TRUE(test::WriteFile(xbel, bad));
        EXPECT_FALSE(add("/x.psf", "t"));
        EXPECT_EQ(ReadFile(xbel), bad);
    }
    // None yet: a new one is made.
    QFile::remove(xbel);
    ASSERT_TRUE(add("/x.psf", "t"));
    EXPECT_TRUE(ReadFile(xbel).startsWith("<?xml"));
    EXPECT_EQ(records("file:///x.psf"), (QMap<QString, int>{{"Puzzora", 1}}));
}

}  // namespace pz::desktop
