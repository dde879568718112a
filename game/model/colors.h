#pragma once
#include <cstdint>

namespace pz {

// A colour Long: red in the low byte, then green, then blue.
constexpr int32_t RGB(int r, int g, int b) { return r + 256 * g + 65536 * b; }
// The fill form of the same colour: red and blue exchanged, the form in which
// drawing surfaces are filled (red in bits 16..23).
constexpr int32_t RGBFill(int r, int g, int b) { return RGB(b, g, r); }

// One colour of the settings, in both of its forms and by its parts.
struct Colour {
    uint8_t Red = 0, Green = 0, Blue = 0;
    int32_t Color = 0;       // RGB
    int32_t ColorFill = 0;   // RGBFill
    bool operator==(const Colour&) const = default;
};

// The colour of the given parts, its two forms made from them.
constexpr Colour MakeColour(uint8_t r, uint8_t g, uint8_t b) { return {r, g, b, RGB(r, g, b), RGBFill(r, g, b)}; }

// The transparent key colour of piece images (both ends of the key range).
constexpr uint32_t KeyColor = 12761171;

}  // namespace pz
