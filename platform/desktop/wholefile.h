#pragma once
// Every file the game writes is written whole or not at all.
#include <QByteArray>
#include <QString>

namespace pz::desktop {

// Replaces the file at path with bytes, or leaves whatever was there as it
// was: a crash or a full disk never leaves half a file. Empty on success,
// else why not.
QString WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace pz::desktop
