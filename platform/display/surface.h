#pragma once
// The display layer of the play area: off-screen images with a transparent
// key colour, fills, rectangle copies and text. Pixel values are 0x00RRGGBB
// (red in bits 16..23), the "fill" form of a colour.
//
// Pixels in the key range of a keyed image are kept as fully transparent
// alpha internally, so that a key copy is a plain alpha test and can use
// precomputed runs of opaque pixels; what every operation produces is the
// same as with a compared key colour.
#include <QImage>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/display/rect.h"

namespace pz::display {

// Opaque runs per row of an image: row y covers runs[rowStart[y] .. rowStart[y+1]).
struct RunMask {
    struct Run { int32_t x0, x1; };
    int width = 0, height = 0;
    std::vector<Run> runs;
    std::vector<int32_t> rowStart;
    // From a row-major coverage map of width x height.
    static RunMask FromCoverage(const std::vector<uint8_t>& covered, int width, int height);
};

class Surface {
public:
    Surface() = default;
    // Images own their pixels: moved, never shared.
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface(Surface&& o) noexcept { *this = std::move(o); }
    Surface& operator=(Surface&& o) noexcept;
    // A new image, filled with black.
    Surface(int width, int height);
    // An image from a picture, at its own size (no size given) or scaled to
    // width x height; empty when either is 0 or less.
    static Surface FromImage(const QImage& image, int width = -1, int height = -1);

    bool IsNull() const { return img_.isNull(); }
    // Kept beside the pixel pointer: composing asks every image its size, and
    // the image's own header is one more cache miss per piece.
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Pixels with a value in lo..hi are transparent in key copies.
    void SetColorKey(uint32_t lo, uint32_t hi);
    bool HasColorKey() const { return keyed_; }

    void Fill(uint32_t value);
    // Fills the rectangle; false (and nothing filled) when it is empty or not
    // wholly inside the image.
    bool Fill(const Rect& r, uint32_t value);

    // Copies src's rectangle to (x, y). Copies nothing and returns false when
    // the rectangle is empty or the source or target rectangle is not wholly
    // inside its image. With useKey, source pixels of its key are skipped.
    bool Blt(int x, int y, const Surface& src, const Rect& srcRect, bool useKey);
    // Copies the whole of src to (x, y), clipped to this image and, when
    // given, to a clip rectangle of it.
    void BltClipped(int x, int y, const Surface& src, bool useKey, const Rect* clip = nullptr);

    // Builds the opaque runs of a keyed image now, so that key copies from
    // it only read it (several threads may then copy from it at once).
    void PrepareRuns() const {
        if (keyed_ && !runsValid_) BuildRuns();
    }

    // Makes this image mask.width x mask.height, with the pixels inside the
    // mask's runs taken from src at (sx + x, sy + y) and the rest transparent
    // (key colour). Needs a colour key. A run whose source lies outside src
    // copies nothing.
    void BltMask(const Surface& src, int sx, int sy, const RunMask& mask);

    // Text in a colour Long (red in the low byte), top-left at (x, y), in a
    // font pixelSize pixels high.
    void DrawText(int x, int y, const QString& text, int32_t rgbColor, int pixelSize = 12);

    // How many screen pixels make one layout pixel, for presenting the image
    // one to one on a scaled screen. Never set on images drawn into with text.
    void SetDevicePixelRatio(double ratio) { img_.setDevicePixelRatio(ratio); }

    // Which drawing of the image this is: every new image and every frame
    // composed into it takes a number never used before, so that something
    // kept from one frame (the drag layer) can tell whether it still holds.
    uint64_t Generation() const { return generation_; }
    void NewGeneration();

    // The pixel value at (x, y); key pixels read as the key's low end.
    uint32_t Pixel(int x, int y) const;
    bool IsTransparent(int x, int y) const;

    // The image as drawn on screen (transparent where keyed). A view: copy
    // it (QImage::copy) to keep it beyond the next change.
    const QImage& Image() const { return img_; }

private:
    using Run = RunMask::Run;
    uint32_t Store(uint32_t value) const {
        value &= 0xffffffu;
        return (keyed_ && value >= keyLo_ && value <= keyHi_) ? 0u : (0xff000000u | value);
    }
    uint32_t Load(uint32_t px) const { return (px >> 24) ? (px & 0xffffffu) : keyLo_; }
    // Only keyed images keep runs; leaving others alone lets threads draw
    // into separate parts of one unkeyed image.
    void Touch() {
        if (keyed_) runsValid_ = false;
    }
    void Attach();   // after img_ changes: cache its pixel pointer
    uint32_t* Row(int y) { return bits_ + size_t(y) * stride_; }
    const uint32_t* Row(int y) const { return bits_ + size_t(y) * stride_; }
    void BuildRuns() const;
    void CopyRows(int dx, int dy, const Surface& src, int sx, int sy, int w, int h, bool useKey);

    QImage img_;
    uint32_t* bits_ = nullptr;
    size_t stride_ = 0;   // pixels per row
    int width_ = 0, height_ = 0;
    bool keyed_ = false;
    uint32_t keyLo_ = 0, keyHi_ = 0;
    uint64_t generation_ = 0;
    // Opaque runs per row and their pixels packed end to end, for key copies:
    // one sequential stream per image instead of many short strided ones.
    // Rebuilt after any write.
    void PackRuns() const;
    mutable bool runsValid_ = false;
    mutable std::vector<Run> runs_;
    mutable std::vector<int32_t> rowStart_;
    mutable std::vector<uint32_t> packed_;
    mutable std::vector<int32_t> packedAt_;   // start of each run in packed_
};

}  // namespace pz::display
