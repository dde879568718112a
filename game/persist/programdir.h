#pragma once
#include <QString>

namespace pz {

// The folder for the game's own files ("besttimes.txt"): the per-user data
// folder, wherever the game runs from; nothing is written beside the
// executable. Decided once; on the first call a best-times file left beside
// the executable by an earlier version is copied over.
QString ProgramDirectory();

// Points the program directory somewhere else (tests).
void SetProgramDirectory(const QString& dir);

// A file of the program directory.
QString ProgramFile(const QString& name);

// Copies "besttimes.txt" from fromDir to toDir unless toDir has one already.
// The old file stays where it is: that folder may be shared with other
// users. True when toDir holds the file afterwards because of this call.
bool CopyEarlierBestTimes(const QString& fromDir, const QString& toDir);

// The folder for the working copy "WholeImageTemp.bmp", which is only a
// copy: the per-user cache folder.
QString CacheDirectory();
void SetCacheDirectory(const QString& dir);   // tests

// Marks this game as running for as long as the process lives, and removes
// a working copy left behind by a game that crashed: only when no other
// game is running, since the copy would be that game's.
void RemoveLeftoverWorkingCopy(const QString& path);

// Where the open dialog starts when no folder is stored: the sample
// pictures that come with the game, found relative to the executable's
// folder (installed: <exe>/../share/puzzora/samples; the build folder lays
// them out the same way), otherwise the user's Pictures folder, otherwise
// the home folder.
QString PictureStartFolder();
QString PictureStartFolder(const QString& exeDir);

}  // namespace pz
