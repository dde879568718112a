#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/desktop/desktop.h"

namespace pz::desktop {

namespace {
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void Write(const QString& path, const QByteArray& b) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}
}  // namespace

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
    EXPECT_TRUE(WriteRegistration(r));
    const QByteArray entry = Read(dir.filePath("applications/puzzora.desktop"));
    EXPECT_TRUE(entry.contains("Exec=/opt/puzzora/puzzora %f\n"));
    EXPECT_TRUE(entry.contains("MimeType=application/x-puzzora-state;\n"));
    EXPECT_FALSE(WriteRegistration(r));
    EXPECT_EQ(Read(dir.filePath("applications/puzzora.desktop")), entry);
    EXPECT_EQ(Read(dir.filePath("icons/hicolor/32x32/apps/puzzora.png")), QByteArray("PNG"));
}

TEST(Desktop, RecentDocumentsKeepForeignEntries) {
    QTemporaryDir dir;
    const QString xbel = dir.filePath("recently-used.xbel");
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
        "</xbel>\n";
    Write(xbel, foreign);
    ASSERT_TRUE(AddRecentDocument(dir.path(), "/games/my game.psf", "application/x-puzzora-state", "Puzzora",
                                  "/usr/bin/puzzora %u", "2026-12-07T10:00:00.000Z"));
    QByteArray text = Read(xbel);
    EXPECT_TRUE(text.contains("file:///home/u/notes.txt\" added=\"2020-01-01T00:00:00Z\""));
    EXPECT_TRUE(text.contains("<bookmark href=\"file:///games/my%20game.psf\""));
    EXPECT_TRUE(text.contains("exec=\"&apos;/usr/bin/puzzora %u&apos;\""));
    EXPECT_TRUE(text.trimmed().endsWith("</xbel>"));
    // The same file again: one entry, refreshed.
    ASSERT_TRUE(AddRecentDocument(dir.path(), "/games/my game.psf", "application/x-puzzora-state", "Puzzora",
                                  "/usr/bin/puzzora %u", "2026-12-08T10:00:00.000Z"));
    text = Read(xbel);
    EXPECT_EQ(text.count("my%20game.psf"), 1);
    EXPECT_TRUE(text.contains("2026-12-08T10:00:00.000Z"));
    EXPECT_FALSE(text.contains("2026-12-07T10:00:00.000Z"));
    EXPECT_TRUE(text.contains("notes.txt"));
    // A file that is not an xbel document is left alone.
    Write(xbel, "garbage");
    EXPECT_FALSE(AddRecentDocument(dir.path(), "/x.psf", "m", "P", "p", "t"));
    EXPECT_EQ(Read(xbel), QByteArray("garbage"));
    // None yet: a new one is made.
    QFile::remove(xbel);
    ASSERT_TRUE(AddRecentDocument(dir.path(), "/x.psf", "m", "P", "p", "t"));
    EXPECT_TRUE(Read(xbel).startsWith("<?xml"));
}

}  // namespace pz::desktop
