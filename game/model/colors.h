#pragma once
#include <cstdint>

namespace pz {

// A colour Long: red in the low byte, then green, then blue.
constexpr int32_t RGB(int r, int g, int b) { return r + 256 * g + 65536 * b; }
// The fill form of the same colour: red and blue exchanged, the form in which
// drawing surfaces are filled (red in bits 16..23).
constexpr int32_t RGBFill(int r, int g, int b) { return RGB(b, g, r); }

// The transparent key colour of piece images (both ends of the key range).
constexpr uint32_t KeyColor = 12761171;

}  // namespace pz
