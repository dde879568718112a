#include "game/picture/srgb.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace pz {

namespace {

struct ProfileClose {
    void operator()(void* p) const {
        if (p) cmsCloseProfile(p);
    }
};
using Profile = std::unique_ptr<void, ProfileClose>;

// Little CMS tells of a profile it cannot use through a process-wide
// handler; such a profile is simply not used, and nothing is printed.
void Quiet(cmsContext, cmsUInt32Number, const char*) {}

Profile Open(const QByteArray& icc) {
    static const bool quiet = (cmsSetLogErrorHandler(Quiet), true);
    (void)quiet;
    // The header alone is 128 bytes; no real profile comes near 64 MB.
    if (icc.size() < 132 || icc.size() > (64 << 20)) return nullptr;
    return Profile(cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
}

Profile Srgb() { return Profile(cmsCreate_sRGBProfile()); }

// A profile that moves no colour by more than one level is sRGB in all but
// name: the picture keeps its pixels exactly.
bool MovesNothing(const SrgbConversion& c) {
    std::vector<uint32_t> before;
    for (int r = 0; r < 256; r += 17)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 17) before.push_back(0xff000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b);
    std::vector<uint32_t> after = before;
    c.Apply(after.data(), after.size());
    for (size_t i = 0; i < before.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int(before[i] >> shift & 0xff) - int(after[i] >> shift & 0xff)) > 1) return false;
    return true;
}

}  // namespace

bool SrgbConversion::Sample(void* transform) {
    if (!transform) return false;
    constexpr int n = kGrid;
    std::vector<uint16_t> grid(size_t(n) * n * n * 3);
    for (int r = 0, at = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
            for (int b = 0; b < n; ++b, at += 3) {
                grid[at] = uint16_t(r * 65535 / (n - 1));
                grid[at + 1] = uint16_t(g * 65535 / (n - 1));
                grid[at + 2] = uint16_t(b * 65535 / (n - 1));
            }
    lut_.resize(grid.size());
    cmsDoTransform(transform, grid.data(), lut_.data(), cmsUInt32Number(n * n * n));
    cmsDeleteTransform(transform);
    for (int v = 0; v < 256; ++v) {
        const int at = v * (n - 1) * 256 / 255;   // in 256ths of a cell
        cell_[v] = uint8_t(std::min(at / 256, n - 2));
        weight_[v] = uint16_t(at - cell_[v] * 256);
    }
    return true;
}

namespace {

// The colorants of a matrix profile as columns of its RGB to XYZ matrix.
bool Colorants(cmsHPROFILE p, double m[3][3]) {
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(p, tags[c]));
        if (!xyz) return false;
        m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
    }
    return true;
}

bool Invert(const double m[3][3], double out[3][3]) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!(std::abs(det) > 1e-9)) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

}  // namespace

bool SrgbConversion::FromMatrix(void* profile) {
    if (!cmsIsMatrixShaper(profile)) return false;
    const Profile srgb = Srgb();
    double from[3][3], to[3][3], toInv[3][3];
    if (!Colorants(profile, from) || !Colorants(srgb.get(), to) || !Invert(to, toInv)) return false;
    const cmsTagSignature trcs[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
        const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, trcs[c]));
        if (!curve) return false;
        for (int v = 0; v < 256; ++v) linear_[c][v] = cmsEvalToneCurveFloat(curve, float(v) / 255.0f);
    }
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            mix_[r][c] = float(toInv[r][0] * from[0][c] + toInv[r][1] * from[1][c] + toInv[r][2] * from[2][c]);
    encode_.resize(kEncodeSteps + 1);
    for (int i = 0; i <= kEncodeSteps; ++i) {
        const double l = double(i) / kEncodeSteps;
        const double e = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
        encode_[i] = uint8_t(std::lround(std::clamp(e, 0.0, 1.0) * 255));
    }
    matrix_ = true;
    return true;
}

SrgbConversion::~SrgbConversion() {
    if (transform_) cmsDeleteTransform(transform_);
}

std::unique_ptr<SrgbConversion> SrgbConversion::FromIcc(const QByteArray& icc) {
    const Profile in = Open(icc);
    if (!in) return nullptr;
    const Profile out = Srgb();
    std::unique_ptr<SrgbConversion> c(new SrgbConversion);
    const cmsColorSpaceSignature space = cmsGetColorSpace(in.get());
    if (space == cmsSigGrayData) {
        // Grey pixels arrive as RGB32 with equal channels: one curve serves.
        cmsHTRANSFORM t = cmsCreateTransform(in.get(), TYPE_GRAY_8, out.get(), TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
        if (!t) return nullptr;
        uint8_t levels[256], rgb[256 * 3];
        for (int i = 0; i < 256; ++i) levels[i] = uint8_t(i);
        cmsDoTransform(t, levels, rgb, 256);
        cmsDeleteTransform(t);
        bool same = true;
        for (int i = 0; i < 256; ++i) {
            c->curve_[i] = rgb[i * 3 + 1];
            same = same && std::abs(int(c->curve_[i]) - i) <= 1;
        }
        if (same) return nullptr;
        c->grey_ = true;
        return c;
    }
    if (space != cmsSigRgbData) return nullptr;
    if (c->FromMatrix(in.get())) return MovesNothing(*c) ? nullptr : std::move(c);
    cmsHTRANSFORM t = cmsCreateTransform(in.get(), TYPE_RGB_16, out.get(), TYPE_RGB_16, INTENT_PERCEPTUAL, 0);
    if (!c->Sample(t) || MovesNothing(*c)) return nullptr;
    return c;
}

std::unique_ptr<SrgbConversion> SrgbConversion::FromCmykIcc(const QByteArray& icc) {
    const Profile in = Open(icc);
    if (!in || cmsGetColorSpace(in.get()) != cmsSigCmykData) return nullptr;
    const Profile out = Srgb();
    std::unique_ptr<SrgbConversion> c(new SrgbConversion);
    c->transform_ = cmsCreateTransform(in.get(), TYPE_CMYK_8_REV, out.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                       cmsFLAGS_NOCACHE);   // shared by the threads that convert bands
    return c->transform_ ? std::move(c) : nullptr;
}

std::unique_ptr<SrgbConversion> SrgbConversion::FromCoded(const float xy[8], int transfer) {
    // H.273 transfer codes: 1, 6, 14, 15 BT.709's curve and 13 sRGB's, which
    // screens show alike; 4 and 5 plain gammas; 8 linear. 2 says nothing.
    cmsFloat64Number params[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    int type = 4;
    double gamma = 0;
    switch (transfer) {
    case 1: case 2: case 6: case 13: case 14: case 15: break;
    case 4: gamma = 2.2, type = 1; break;
    case 5: gamma = 2.8, type = 1; break;
    case 8: gamma = 1.0, type = 1; break;
    default: return nullptr;   // PQ, HLG and the rest: shown as stored
    }
    for (int i = 0; i < 8; ++i)
        if (!(xy[i] > 0.0f && xy[i] < 1.0f)) return nullptr;
    const cmsCIExyY white{xy[6], xy[7], 1.0};
    const cmsCIExyYTRIPLE primaries{{xy[0], xy[1], 1.0}, {xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}};
    cmsToneCurve* curve = type == 1 ? cmsBuildGamma(nullptr, gamma) : cmsBuildParametricToneCurve(nullptr, 4, params);
    if (!curve) return nullptr;
    cmsToneCurve* curves[3] = {curve, curve, curve};
    const Profile in(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    if (!in) return nullptr;
    const Profile out = Srgb();
    std::unique_ptr<SrgbConversion> c(new SrgbConversion);
    cmsHTRANSFORM t = cmsCreateTransform(in.get(), TYPE_RGB_16, out.get(), TYPE_RGB_16, INTENT_PERCEPTUAL, 0);
    if (!c->Sample(t) || MovesNothing(*c)) return nullptr;
    return c;
}

namespace {

// Steps through the interpolation grid along red (X), green (Y), blue (Z).
constexpr int X = SrgbConversion::kGridSteps[0], Y = SrgbConversion::kGridSteps[1], Z = SrgbConversion::kGridSteps[2];
struct Tetrahedron {
    int o1, o2;           // the second and third corner from the first
    uint8_t w1, w2, w3;   // which fraction weighs each step
};
// By (red >= green, green >= blue, red >= blue); two orders cannot happen.
constexpr Tetrahedron kTetrahedra[8] = {
    {Z, Y + Z, 2, 1, 0}, {X, X + Y, 0, 1, 2}, {Y, Y + Z, 1, 2, 0}, {Y, X + Y, 1, 0, 2},
    {Z, X + Z, 2, 0, 1}, {X, X + Z, 0, 2, 1}, {X, X + Y, 0, 1, 2}, {X, X + Y, 0, 1, 2},
};

}  // namespace

void SrgbConversion::Apply(uint32_t* pixels, size_t n) const {
    if (grey_) {
        for (size_t i = 0; i < n; ++i) {
            const uint32_t p = pixels[i];
            pixels[i] = (p & 0xff000000u) | uint32_t(curve_[p >> 16 & 0xff]) << 16 |
                        uint32_t(curve_[p >> 8 & 0xff]) << 8 | curve_[p & 0xff];
        }
        return;
    }
    if (matrix_) {
        const uint8_t* encode = encode_.data();
        for (size_t i = 0; i < n; ++i) {
            const uint32_t p = pixels[i];
            const float r = linear_[0][p >> 16 & 0xff], g = linear_[1][p >> 8 & 0xff], b = linear_[2][p & 0xff];
            uint32_t out = p & 0xff000000u;
            for (int ch = 0; ch < 3; ++ch) {
                const float l = std::clamp(mix_[ch][0] * r + mix_[ch][1] * g + mix_[ch][2] * b, 0.0f, 1.0f);
                out |= uint32_t(encode[int(l * kEncodeSteps + 0.5f)]) << (16 - 8 * ch);
            }
            pixels[i] = out;
        }
        return;
    }
    constexpr int g = kGrid;
    const uint16_t* lut = lut_.data();
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = pixels[i];
        const int r = p >> 16 & 0xff, gr = p >> 8 & 0xff, b = p & 0xff;
        const int fx = weight_[r], fy = weight_[gr], fz = weight_[b];
        const uint16_t* c0 = lut + ((cell_[r] * g + cell_[gr]) * g + cell_[b]) * 3;
        // The cube's tetrahedron that holds the colour: three corners on
        // the way from c0 to the far corner, taken in the order of the
        // fractions; chosen by table, as photos' noise defeats branches.
        const int f[3] = {fx, fy, fz};
        const Tetrahedron& t = kTetrahedra[(fx >= fy) << 2 | (fy >= fz) << 1 | (fx >= fz)];
        const int o1 = t.o1, o2 = t.o2, w1 = f[t.w1], w2 = f[t.w2], w3 = f[t.w3];
        const uint16_t *c1 = c0 + o1, *c2 = c0 + o2, *c3 = c0 + X + Y + Z;
        uint32_t out = p & 0xff000000u;
        for (int ch = 0; ch < 3; ++ch) {
            const int v = c0[ch] * 256 + (c1[ch] - c0[ch]) * w1 + (c2[ch] - c1[ch]) * w2 + (c3[ch] - c2[ch]) * w3;
            // 16 bits times 256 to 8 bits, rounded: 65535 * 256 / 255 a level.
            const uint32_t level = (uint32_t(std::clamp(v, 0, 65535 * 256)) + 257 * 128) / (257 * 256);
            out |= level << (16 - 8 * ch);
        }
        pixels[i] = out;
    }
}

void SrgbConversion::ApplyCmyk(const uint8_t* cmyk, uint32_t* out, size_t n) const {
    for (size_t done = 0; done < n;) {
        const size_t step = std::min<size_t>(n - done, size_t(1) << 30);
        cmsDoTransform(transform_, cmyk + done * 4, out + done, cmsUInt32Number(step));
        done += step;
    }
    for (size_t i = 0; i < n; ++i) out[i] |= 0xff000000u;   // opaque, whatever the transform left
}

}  // namespace pz
