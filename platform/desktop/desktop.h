#pragma once
// Registering the state-file type with the desktop, the freedesktop way, and
// the user's recent documents.
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/desktop/folders.h"

namespace pz::desktop {

// The MIME type of puzzle state files.
inline const char* kStateMimeType = "application/x-puzzora-state";

// The game's application id: the file id of its desktop entry (installed
// and registered alike, so a menu lists the game once), its icon name and
// its AppStream component id.
inline const char* kAppId = "org.example.Puzzora";

// The class of the game's X11 windows (Qt takes it from the application's
// name); desktops match windows to the entry by it.
inline const char* kWindowClass = "Puzzora";

// One of the game's icons: its path under icons/hicolor (for example
// "48x48/apps/org.example.Puzzora.png") and its bytes.
struct Icon {
    QString relativePath;
    QByteArray data;
};

// The icons under a folder laid out as icons/hicolor is (the resources).
QList<Icon> IconsIn(const QString& hicolorDir);

struct Registration {
    QString dataHome = DataHome();
    QStringList dataDirs = DataDirs();   // where an installed entry is looked for
    QString executable;                  // absolute path of the game
    // The types the entry opens; the state type first.
    QStringList mimeTypes{QString::fromLatin1(kStateMimeType)};
    QList<Icon> icons;
    QByteArray earlierIconPng;   // the icon earlier versions wrote, to know it again
};

// The Exec value that starts the executable with one file (or with the
// argument given), as GLib and the Desktop Entry rules read it.
QString ExecLine(const QString& executable, const QString& argument = QStringLiteral("%f"));

// Whether an entry with our file id is installed in one of the folders.
bool InstalledEntryExists(const QStringList& dataDirs, const QString& dataHome);

// The files the registration writes, path relative to dataHome -> contents,
// each carrying our marker.
struct RegistrationFile {
    QString relativePath;
    QByteArray contents;
};
QList<RegistrationFile> RegistrationFiles(const Registration& r);

// Our files are known by a marker that holds a hash of the rest of the file:
// the last line "X-Puzzora-Generated=<sha256>" of a desktop entry, a last
// comment "<!-- X-Puzzora-Generated=<sha256> -->" of an XML or SVG file, a
// "tEXt" chunk "X-Puzzora-Generated" just before a PNG's end. A file whose
// hash no longer matches was changed by someone else.
QByteArray WithMarker(const QString& relativePath, const QByteArray& body);
bool CarriesOurMarker(const QString& relativePath, const QByteArray& contents);

// Brings the per-user registration in line and returns true when something
// changed. With an entry of ours installed, writes nothing and removes what
// we wrote before; otherwise writes what differs. Files of ours are those
// with an intact marker, or exactly what an earlier version (without
// markers) wrote; any other file, a user's edit included, is left alone.
bool WriteRegistration(const Registration& r, QStringList* errors = nullptr);

// Refreshes the desktop's MIME and application caches in the background,
// when the tools are installed; never waits for them.
void RefreshDesktopDatabases(const QString& dataHome);

// Adds the file to the recent documents in xbelPath: a bookmark of its own,
// or, when the file already has one, our application's record in it (other
// programs' records and every other bookmark stay as they are). The record
// starts executable with the file. A file that is not an XBEL document is
// left alone. Returns true on success.
bool AddRecentDocument(const QString& xbelPath, const QString& filePath, const QString& mimeType,
                       const QString& appName, const QString& executable, const QString& isoNow);

// Whether the desktop lets programs remember the files they open: GNOME's
// privacy switch, where its schema is installed; true elsewhere.
bool RememberRecentFiles();

}  // namespace pz::desktop
