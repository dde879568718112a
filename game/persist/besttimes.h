#pragma once
// The table of the 20 best results, ranked by pieces per second, and its
// file "besttimes.txt": six lines an entry, CRLF line ends.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace pz {

struct BestTimeEntry {
    std::string PlayerName;
    int16_t Hours = 0;
    int16_t Minutes = 0;
    int16_t Seconds = 0;
    int16_t PieceTotal = 0;   // 0 marks an empty entry
    std::string PictureName;
};

constexpr int BestTimesCount = 20;

using BestTimesTable = std::array<BestTimeEntry, BestTimesCount + 1>;   // 1..20

// One change to the table: a result entered, or all cleared.
using BestTimesChange = std::function<void(BestTimesTable&)>;

// Whether a result of n pieces in e seconds enters the table. A result of
// 0 seconds was never timed and never enters; a stored entry of 0 seconds
// ranks as 1 second.
bool EntersBestTimes(const BestTimesTable& t, int n, int32_t e);

// Puts the result into the table (the caller decided it enters) and returns
// its position 1..20 (0 for a result of 0 seconds, which is refused). A
// result slower than every filled entry runs on to position 20; one as fast
// as a filled entry goes directly above it.
int InsertBestTime(BestTimesTable& t, int n, int32_t e, const std::string& name,
                   const std::string& picture);

// Every entry empty.
void ClearBestTimes(BestTimesTable& t);

// The file's text for the table.
std::string FormatBestTimes(const BestTimesTable& t);
// Reads as much of a table as the text holds: an entry that is damaged
// (text where a number belongs, numbers out of range) stays empty, and so
// do the entries after the text ends.
BestTimesTable ParseBestTimes(const std::string& text);

// "h:m:s" without padding, for the list.
std::string ElapsedText(const BestTimeEntry& e);

}  // namespace pz
