#pragma once
// What the game does with the desktop as it starts: the file it was given,
// its registration as the state files' handler, and recent documents.
#include <QString>
#include <QStringList>

namespace pz {

// The file named on the command line, as an absolute path; the desktop
// passes it as a path or a file: URL, and a relative path is taken from the
// current folder. Empty when none is given.
QString CommandLineFile(const QStringList& arguments);

// Registers the game for its state files and the pictures it reads, for
// this user, unless an installed package does so already.
void RegisterFileType();

// Adds a state file the desktop opened to the recent documents, where the
// player's desktop keeps them.
void RememberStateFile(const QString& path);

}  // namespace pz
