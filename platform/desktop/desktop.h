#pragma once
// Registering the state-file type with the desktop, the freedesktop way, and
// the user's recent documents.
#include <QString>
#include <QStringList>

namespace pz::desktop {

// The MIME type of puzzle state files.
inline const char* kStateMimeType = "application/x-puzzora-state";

// The game's application id: the file id of its desktop entry (installed
// and registered alike, so a menu lists the game once), its icon name and
// its AppStream component id.
inline const char* kAppId = "org.example.Puzzora";

struct Registration {
    QString dataHome;      // $XDG_DATA_HOME (or ~/.local/share)
    QString executable;    // absolute path of the game
    QByteArray iconPng;    // the game's icon, written beside the entries
};

// Quotes one argument of an Exec line as the Desktop Entry rules ask:
// double quotes where reserved characters appear, backslash escapes inside,
// and the file's own escaping of backslashes; "%" is doubled.
QString ExecArgument(const QString& arg);

// The files the registration writes, path relative to dataHome -> contents.
struct RegistrationFile {
    QString relativePath;
    QByteArray contents;
};
QList<RegistrationFile> RegistrationFiles(const Registration& r);

// Writes whatever differs from what is there (atomically, each file) and
// returns true when something changed. Writes nothing when all is current.
// An entry of ours under an earlier file id is removed.
bool WriteRegistration(const Registration& r, QStringList* errors = nullptr);

// Refreshes the desktop's MIME and application caches in the background,
// when the tools are installed; never waits for them.
void RefreshDesktopDatabases(const QString& dataHome);

// Adds the file to recently-used.xbel under dataHome: a bookmark of its own,
// or, when the file already has one, our application's record in it (other
// programs' records and every other bookmark stay as they are). A file that
// is not an XBEL document is left alone. Returns true on success.
bool AddRecentDocument(const QString& dataHome, const QString& filePath, const QString& mimeType,
                       const QString& appName, const QString& appExec, const QString& isoNow);

// The user's data folder: $XDG_DATA_HOME, or ~/.local/share.
QString DataHome();

}  // namespace pz::desktop
