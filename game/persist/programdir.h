#pragma once
#include <QString>

namespace pz {

// The folder for the game's own files ("WholeImageTemp.bmp",
// "besttimes.txt"): the per-user data folder, wherever the game runs from;
// nothing is written beside the executable. Decided once; on the first call
// a best-times file left beside the executable by an earlier version is
// moved over.
QString ProgramDirectory();

// Points the program directory somewhere else (tests).
void SetProgramDirectory(const QString& dir);

// A file of the program directory.
QString ProgramFile(const QString& name);

// Moves "besttimes.txt" from fromDir to toDir unless toDir has one already.
// The copy is made whole before the old file is removed; an old file that
// cannot be removed (a read-only program folder) stays. True when toDir
// holds the file afterwards because of this call.
bool MoveEarlierBestTimes(const QString& fromDir, const QString& toDir);

// Where the open dialog starts when no folder is stored: the sample
// pictures that come with the game, found relative to the executable's
// folder (installed: <exe>/../share/puzzora/samples; the build folder lays
// them out the same way), otherwise the user's Pictures folder, otherwise
// the home folder.
QString PictureStartFolder();
QString PictureStartFolder(const QString& exeDir);

}  // namespace pz
