#pragma once
// The player's preferences: read from the settings store at start-up and
// kept for the whole run of the program.
#include <cstdint>
#include <string>

#include "game/model/colors.h"

namespace pz {

struct Settings {
    bool SystemMemory = false;
    bool TimePuzzle = true;
    std::string InitDir;
    int16_t PiecesListIndex = 21;

    Colour Background = MakeColour(212, 208, 200);
    Colour Outline = MakeColour(255, 255, 255);
    Colour PreviewCaptionBack = MakeColour(0, 0, 0);
    // Only its parts and Color are stored; the caption text is drawn in Color.
    Colour PreviewCaptionText = MakeColour(255, 255, 255);

    bool OutlinePieces = true;
    bool ViewPreview = true;
    uint8_t PreviewSize = 3;
    // The number of pieces the next picture is cut into; a loaded state
    // file's count takes its place.
    int16_t NumberOfPieces = 64;
    // Beyond the 27 keys: a start with nothing on the command line loads the
    // kept puzzle.
    bool ResumeLastPuzzle = false;
};

}  // namespace pz
