#pragma once
// Pictures are read behind a wall: every picture is decoded in a child
// process ("puzzora-decoder") that holds only the open file, runs under a
// memory and a time limit and a system-call filter (no file opening, no
// network, no new processes), and hands back the upright sRGB pixels in
// shared memory. A decoder that faults, overruns or is stopped costs the
// player a message, never the game.
#include <QSize>
#include <QString>
#include <atomic>

#include "game/picture/picture.h"

namespace pz {

// ReadPicture's answer, from the child. A set cancel flag ends the child at
// once. Without the decoder program (an executable copied alone) the picture
// is decoded in this process, and standard error says so once.
PictureResult ReadPictureBehindWall(const QString& path, const std::atomic<bool>* cancel = nullptr);

// Whether the file holds a picture the game reads, its header read by the
// decoder behind the same wall (the command line, drops).
bool IsPictureBehindWall(const QString& path);

// The decoder program: $PUZZORA_DECODER, else beside the executable, in its
// installed place relative to it, a folder above it, or in
// $PUZZORA_CONTROL_DIR. Empty when
// there is none.
QString DecoderPath();

// How the decoder and the game talk over their socket: the picture's size
// once known, then the picture (its memory passed alongside) or a refusal.
struct WallMessage {
    enum Kind : int { Size, Picture, Refused } kind;
    int width = 0, height = 0, bytesPerLine = 0;
    char text[1024] = {};
};

}  // namespace pz
