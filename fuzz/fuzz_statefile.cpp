// Feeds arbitrary bytes to the puzzle state-file reader: it must refuse what
// it cannot take with a StateFileError, and what it accepts must satisfy the
// model's invariants and write back to the same bytes it read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/model/invariants.h"
#include "game/persist/statefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    pz::LoadedState s;
    try {
        s = pz::ReadState(bytes);
    } catch (const pz::StateFileError&) {
        return 0;
    }
    if (pz::CheckInvariants(s.grid, s.model, false)) std::abort();
    s.model.File.ImageFileName = s.ImageFileName;
    // What was accepted can be written and read again to the same model.
    const pz::LoadedState again = pz::ReadState(pz::WriteState(s.grid, s.model));
    if (!(again.model.Pieces == s.model.Pieces) || !(again.model.Groups == s.model.Groups) ||
        again.model.GroupOrder != s.model.GroupOrder || again.model.File.ElapsedSeconds != s.model.File.ElapsedSeconds)
        std::abort();
    return 0;
}
