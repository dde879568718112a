#pragma once
// The program-wide variables: one copy for the whole program, shared by
// reference between the main window and the dialogs.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/model/colors.h"

namespace pz {

// The player's preferences, as kept in the settings store.
struct Settings {
    bool SystemMemory = false;
    bool TimePuzzle = true;
    std::string InitDir;
    int16_t PiecesListIndex = 21;

    uint8_t BackgroundRed = 212, BackgroundGreen = 208, BackgroundBlue = 200;
    int32_t BackgroundColor = RGB(212, 208, 200);
    int32_t BackgroundColorFill = RGBFill(212, 208, 200);

    uint8_t OutlineRed = 255, OutlineGreen = 255, OutlineBlue = 255;
    int32_t OutlineColor = RGB(255, 255, 255);
    int32_t OutlineColorFill = RGBFill(255, 255, 255);

    uint8_t PreviewCaptionBackRed = 0, PreviewCaptionBackGreen = 0, PreviewCaptionBackBlue = 0;
    int32_t PreviewCaptionBackColor = 0;
    int32_t PreviewCaptionBackColorFill = 0;

    uint8_t PreviewCaptionTextRed = 255, PreviewCaptionTextGreen = 255, PreviewCaptionTextBlue = 255;
    int32_t PreviewCaptionTextColor = 16777215;

    bool OutlinePieces = true;
    bool ViewPreview = true;
    uint8_t PreviewSize = 3;
    int16_t NumberOfPieces = 64;
};

struct BestTimeEntry {
    std::string PlayerName;
    int16_t Hours = 0;
    int16_t Minutes = 0;
    int16_t Seconds = 0;
    int16_t PieceTotal = 0;   // 0 marks an empty entry
    std::string PictureName;
};

constexpr int BestTimesCount = 20;

struct Globals : Settings {
    int16_t NumColumns = 0;
    int16_t NumRows = 0;
    bool PuzzleLoaded = false;
    std::vector<int16_t> Divisors{0};   // index 0 unused
    int16_t DivisorCount = 0;
    int32_t ElapsedSeconds = 0;
    std::array<BestTimeEntry, BestTimesCount + 1> BestTimes{};  // 1..20

    // Colour picker exchange (never stored).
    uint8_t PickedRed = 0, PickedGreen = 0, PickedBlue = 0;
    bool ColorPicked = false;
};

}  // namespace pz
