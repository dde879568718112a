#pragma once
// The puzzle: piece and group records and the geometry of the cut, with
// what its file and its play area say of it. Lists keep the 1-based
// convention of the game: index 0 is never used and the live entries are
// 1..count.
#include <cstdint>
#include <string>
#include <vector>

namespace pz {

// The grid of one cut: N pieces in NumColumns x NumRows, and the divisors
// of N it was chosen from.
struct Grid {
    int16_t NumberOfPieces = 0;
    int16_t NumColumns = 0;
    int16_t NumRows = 0;
    std::vector<int16_t> Divisors{0};   // index 0 unused
    int16_t DivisorCount = 0;
};

struct RectL {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const RectL&) const = default;
};

struct PieceInfo {
    int16_t Column = 0;
    int16_t Row = 0;
    int16_t Group = 0;   // 0 once the piece is locked home
    bool TopJoined = false, BottomJoined = false, LeftJoined = false, RightJoined = false;
    // True: the edge is not notched (a tab, or flat on the border); False: a hole.
    bool TopOut = false, BottomOut = false, LeftOut = false, RightOut = false;
    int32_t X = 0, Y = 0;       // top-left of the piece image in the play area
    RectL ImageRect;            // the body inside the working picture
    int16_t HomeX = 0, HomeY = 0;
    bool operator==(const PieceInfo&) const = default;
};

struct GroupInfo {
    bool InPlace = false;
    std::vector<int16_t> PieceList{0};   // 1..PieceCount, ascending
    int16_t PieceCount = 0;
    int16_t LeftColumn = 0, RightColumn = 0, TopRow = 0, BottomRow = 0;
    bool operator==(const GroupInfo&) const = default;
};

// What belongs to the puzzle's file rather than to its pieces: the names it
// is known by and the time worked on it. ImageFileName is the full path
// (the state file stores it padded).
struct PuzzleFile {
    std::string ImageFileName;
    std::string ImageName;
    std::string StateFileName;
    // Seconds the puzzle has been worked on: saved with it, reset with it.
    int32_t ElapsedSeconds = 0;
};

// What belongs to the play area the puzzle is shown in.
struct PlayView {
    // The preview's placement.
    int32_t PreviewWidth = 0, PreviewHeight = 0;
    int16_t PreviewWidthInt = 0;
    RectL PreviewRect, PreviewCaptionRect;
    // Play-area size at the last handled resize; < 0 until the first one.
    double PreviousWidth = -1, PreviousHeight = -1;
    // Screen pixels per layout pixel of the play area at the last cut; the
    // play area's sizes are in screen pixels (see scale.h).
    double PixelRatio = 1.0;
};

struct PuzzleModel {
    // Geometry of the cut.
    int16_t ImageWidth = 0, ImageHeight = 0;
    int32_t PuzzleWidth = 0, PuzzleHeight = 0;
    int16_t PieceWidth = 0, PieceHeight = 0;
    int16_t MarginX = 0, MarginY = 0;
    int16_t PuzzleLeft = 0, PuzzleTop = 0;
    RectL PuzzleRect;

    // Pieces, groups and lists.
    std::vector<PieceInfo> Pieces{1};
    std::vector<GroupInfo> Groups{1};
    std::vector<int16_t> GroupOrder{0};
    int16_t GroupCount = 0;
    int16_t GroupOrderSize = 0;
    std::vector<int16_t> PiecesInPlace{0};
    int16_t InPlaceCount = 0;
    // The piece and group the rules act on: picked, dropped, joined.
    int16_t SelectedPiece = 0, SelectedGroup = 0;
    bool PuzzleComplete = false;

    PuzzleFile File;
    PlayView View;

    // Back to "no puzzle": every list holds only index 0.
    void ShrinkLists();
};

// Back to N one-piece groups, in piece order, nothing joined or at home.
// Does not move any piece.
void ClearSettings(const Grid& g, PuzzleModel& m);

// Recompute the grid extents of a group from its piece list.
void SetGroupEdges(PuzzleModel& m, int16_t group);

}  // namespace pz
