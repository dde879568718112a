// Arbitrary text as "besttimes.txt": reading never fails, every entry read is
// in range, and a table written and read again is the same table.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/persist/besttimes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    pz::BestTimesTable t = pz::ParseBestTimes(text);
    for (int i = 1; i <= pz::BestTimesCount; ++i) {
        const pz::BestTimeEntry& e = t[i];
        if (e.Hours < 0 || e.Minutes < 0 || e.Minutes > 59 || e.Seconds < 0 || e.Seconds > 59 || e.PieceTotal < 0)
            std::abort();
    }
    const pz::BestTimesTable again = pz::ParseBestTimes(pz::FormatBestTimes(t));
    for (int i = 1; i <= pz::BestTimesCount; ++i) {
        // Names lose only their line breaks; everything else comes back.
        std::string name = t[i].PlayerName, picture = t[i].PictureName;
        for (std::string* s : {&name, &picture})
            for (char& c : *s)
                if (c == '\r' || c == '\n') c = ' ';
        if (again[i].PlayerName != name || again[i].PictureName != picture || again[i].Hours != t[i].Hours ||
            again[i].PieceTotal != t[i].PieceTotal)
            std::abort();
    }
    // Entering a result on top of whatever was read stays in bounds.
    const int n = size > 0 ? 4 + data[0] : 12;
    const int32_t e = size > 1 ? int32_t(data[1]) * 1000 : 0;
    if (pz::EntersBestTimes(t, n, e)) pz::InsertBestTime(t, n, e, "fuzz", "p.png");
    return 0;
}
