#pragma once
#include <QString>

namespace pz {

// The folder for the game's own files ("WholeImageTemp.bmp",
// "besttimes.txt"): the executable's folder when it is writable, otherwise
// the per-user data folder. Decided once.
QString ProgramDirectory();

// Points the program directory somewhere else (tests).
void SetProgramDirectory(const QString& dir);

// A file of the program directory.
QString ProgramFile(const QString& name);

}  // namespace pz
