// Arbitrary stored settings ("key=value" lines): loading takes defaults for
// whatever does not convert, and every loaded value is in its range.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/model/grid.h"
#include "game/persist/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pz::MemorySettingsStore store;
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) store.Save(line.substr(0, eq), line.substr(eq + 1));
        at = end + 1;
    }
    pz::Settings s;
    pz::LoadSettings(store, s);
    if (s.PreviewSize < 2 || s.PreviewSize > 4) std::abort();
    if (s.PiecesListIndex < 0 || s.PiecesListIndex > 97) std::abort();
    if (!pz::IsCuttablePieceCount(s.NumberOfPieces)) std::abort();
    for (const pz::Colour& c : {s.Background, s.Outline, s.PreviewCaptionBack, s.PreviewCaptionText})
        if (c.Color < 0 || c.Color > 0xFFFFFF || c.ColorFill < 0 || c.ColorFill > 0xFFFFFF) std::abort();
    // The number of pieces always has a grid.
    pz::Grid g;
    g.NumberOfPieces = s.NumberOfPieces;
    pz::SetDivisors(g);
    pz::GridChoice grid;
    if (!pz::ChooseGrid(g, 400, 300, grid) || grid.columns * grid.rows != s.NumberOfPieces) std::abort();
    return 0;
}
