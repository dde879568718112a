#pragma once
// Everything a cut needs to be drawn, made from the decoded picture.
#include <QImage>

#include "game/render/puzzleimages.h"

namespace pz {

// Geometry, preview, line images and piece images of a cut for a play area
// of sw x sh. Throws where the geometry overflows or the play area is too
// small to cut; changes nothing but the model's geometry.
PuzzleImages CutPuzzleImages(const Settings& s, const Grid& g, PuzzleModel& m, const QImage& picture, float sw,
                             float sh);

// The preview image, always scaled from the decoded picture itself, so that
// a cut and switching the preview on show the same picture.
Surface MakePreviewImage(const QImage& picture, const PuzzleModel& m);

}  // namespace pz
