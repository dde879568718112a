#pragma once
// Colours as the picture's maker meant them. A picture that carries a colour
// profile (an embedded ICC profile, or HEIF's coded primaries and transfer)
// is converted to sRGB once, as it is read, with Little CMS 2: it handles
// ICC v2 and v4, matrix and table profiles alike, where Qt's QColorSpace
// takes matrix profiles only. A picture without a profile, or with one that
// is sRGB, keeps its pixels exactly.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pz {

class SrgbConversion {
public:
    ~SrgbConversion();
    SrgbConversion(const SrgbConversion&) = delete;
    SrgbConversion& operator=(const SrgbConversion&) = delete;

    // The conversion an embedded ICC profile asks for; none when there is
    // nothing to do (no profile, an sRGB one) or the profile cannot be used
    // (damaged, or not for RGB or grey pixels). A grey profile converts the
    // grey levels of a picture already decoded as RGB32.
    static std::unique_ptr<SrgbConversion> FromIcc(const QByteArray& icc);
    // The conversion of a CMYK picture with this profile (libjpeg's CMYK as
    // Adobe writes it, inverted); none when the profile is not for CMYK.
    static std::unique_ptr<SrgbConversion> FromCmykIcc(const QByteArray& icc);
    // The conversion HEIF's coded colour description asks for: the
    // primaries' chromaticities (red, green, blue, white as x, y) and the
    // transfer characteristics code of ITU-T H.273. None for sRGB and
    // BT.709, and for transfers that cannot be shown here (PQ, HLG).
    static std::unique_ptr<SrgbConversion> FromCoded(const float xy[8], int transfer);

    // n RGB32 pixels converted in place; safe to call from several threads.
    void Apply(uint32_t* pixels, size_t n) const;
    // n CMYK pixels (4 bytes each) to RGB32; out may be the same memory.
    void ApplyCmyk(const uint8_t* cmyk, uint32_t* out, size_t n) const;

private:
    SrgbConversion() = default;
    // RGB: the transform sampled on a 33 x 33 x 33 grid of 16-bit colours
    // and interpolated between them (tetrahedra), several times faster than
    // Little CMS's own 8-bit path and within a level of it.
    static constexpr int kGrid = 33;
public:
    static constexpr int kGridSteps[3] = {kGrid * kGrid * 3, kGrid * 3, 3};
private:
    bool Sample(void* transform);
    std::vector<uint16_t> lut_;
    uint8_t cell_[256] = {};      // a level's grid cell ...
    uint16_t weight_[256] = {};   // ... and its place in it, in 256ths
    // Matrix profiles, most photos' (Display P3, Adobe RGB): each channel
    // made linear, mixed to sRGB's primaries and encoded by table; a few
    // times faster again.
    bool matrix_ = false;
    float linear_[3][256] = {};
    float mix_[3][3] = {};
    static constexpr int kEncodeSteps = 16384;
    std::vector<uint8_t> encode_;
    bool FromMatrix(void* profile);
    // Grey: a grey profile's levels in sRGB.
    bool grey_ = false;
    uint8_t curve_[256] = {};
    // CMYK: Little CMS's transform itself.
    void* transform_ = nullptr;
};

}  // namespace pz
