#pragma once
// Pictures are read behind a wall: every picture is decoded in a child
// process ("puzzora-decoder") that holds only the open file, runs under a
// memory and a time limit and a system-call filter (no file opening, no
// network, no new processes), and hands back the upright sRGB pixels in
// shared memory. A decoder that faults, overruns or is stopped costs the
// player a message, never the game.
#include <QSize>
#include <QByteArray>
#include <QString>
#include <atomic>

#include "game/picture/picture.h"

namespace pz {

// ReadPicture's answer, from the child. A set cancel flag ends the child at
// once. Without the decoder program (an executable copied alone) the picture
// is decoded in this process, and standard error says so once. peak, when
// given, is set to the most memory the child held at once (its peak
// resident size, in bytes), or -1 when that is not known (no child, or one
// that died of a signal).
PictureResult ReadPictureBehindWall(const QString& path, const std::atomic<bool>* cancel = nullptr,
                                    qint64* peak = nullptr);

// Whether the file holds a picture the game reads, its header read by the
// decoder behind the same wall (the command line, drops).
bool IsPictureBehindWall(const QString& path);

// The decoder program: $PUZZORA_DECODER, else beside the executable, in its
// installed place relative to it, a folder above it, or in
// $PUZZORA_CONTROL_DIR. Empty when
// there is none.
QString DecoderPath();

// How the decoder and the game talk over their socket: the picture's size
// once known, the memory of each picture made (passed alongside, sealed at
// its size) as it is made, then the picture (its memory passed again) or a
// refusal.
struct WallMessage {
    enum Kind : int { Size, Picture, Refused, Memory } kind;
    int width = 0, height = 0, bytesPerLine = 0;
    qint64 peak = -1;   // the decoder's peak resident size so far, in bytes
    char text[1024] = {};
};

// The peak resident size (VmHWM) in the text of a /proc/PID/status file, in
// bytes; -1 when it says none. A child's own, not its resource usage: that
// counts the game's memory too, which the child shared until its exec.
inline qint64 PeakResident(const QByteArray& status) {
    const qsizetype at = status.indexOf("\nVmHWM:");
    if (at < 0) return -1;
    bool ok = false;
    const qint64 kb = status.mid(at + 8, status.indexOf('\n', at + 1) - at - 8).trimmed().split(' ').value(0).toLongLong(&ok);
    return ok ? kb << 10 : -1;
}

}  // namespace pz
