#include "platform/display/surface.h"

#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cstring>

namespace pz::display {

namespace {
constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

// Short runs (outline stubs, small pieces) are cheaper copied inline than
// through a library call.
inline void CopyPixels(uint32_t* d, const uint32_t* s, int n) {
    if (n < 24) {
        for (int i = 0; i < n; ++i) d[i] = s[i];
    } else {
        std::memmove(d, s, size_t(n) * 4);
    }
}

}  // namespace

Surface::Surface(int width, int height) : img_(std::max(width, 0), std::max(height, 0), kFormat) {
    if (!img_.isNull()) img_.fill(0xff000000u);
    Attach();
    NewGeneration();
}

void Surface::NewGeneration() {
    static std::atomic<uint64_t> last{0};
    generation_ = ++last;
}

void Surface::Attach() {
    bits_ = img_.isNull() ? nullptr : reinterpret_cast<uint32_t*>(img_.bits());
    stride_ = img_.isNull() ? 0 : size_t(img_.bytesPerLine()) / 4;
    width_ = img_.width();
    height_ = img_.height();
}

Surface& Surface::operator=(Surface&& o) noexcept {
    if (this == &o) return *this;
    img_ = std::move(o.img_);
    keyed_ = o.keyed_;
    keyLo_ = o.keyLo_;
    keyHi_ = o.keyHi_;
    generation_ = o.generation_;
    runsValid_ = o.runsValid_;
    runs_ = std::move(o.runs_);
    rowStart_ = std::move(o.rowStart_);
    packed_ = std::move(o.packed_);
    packedAt_ = std::move(o.packedAt_);
    Attach();
    o.img_ = QImage();
    o.keyed_ = o.runsValid_ = false;
    o.Attach();
    return *this;
}

Surface Surface::FromImage(const QImage& image, int width, int height) {
    Surface s;
    // Without a size the picture keeps its own; a size of 0 (a preview of a
    // tiny picture) gives an empty surface, never the whole picture.
    const bool ownSize = width < 0 && height < 0;
    if (image.isNull() || (!ownSize && (width <= 0 || height <= 0))) return s;
    QImage src = image;
    if (!ownSize && (width != image.width() || height != image.height()))
        src = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Pictures are opaque: drop any alpha the file had.
    s.img_ = src.convertToFormat(QImage::Format_RGB32).convertToFormat(kFormat);
    s.Attach();
    return s;
}

void Surface::SetColorKey(uint32_t lo, uint32_t hi) {
    keyed_ = true;
    keyLo_ = lo & 0xffffffu;
    keyHi_ = hi & 0xffffffu;
    for (int y = 0; y < img_.height(); ++y) {
        uint32_t* row = Row(y);
        for (int x = 0; x < img_.width(); ++x)
            if (row[x] >> 24) row[x] = Store(row[x]);
    }
    Touch();
}

void Surface::Fill(uint32_t value) {
    if (img_.isNull()) return;
    const uint32_t v = Store(value);
    for (int y = 0; y < img_.height(); ++y) std::fill_n(Row(y), img_.width(), v);
    Touch();
}

bool Surface::Fill(const Rect& r, uint32_t value) {
    if (r.Width() <= 0 || r.Height() <= 0 || r.Left < 0 || r.Top < 0 || r.Right > Width() ||
        r.Bottom > Height())
        return false;
    const uint32_t v = Store(value);
    for (int y = r.Top; y < r.Bottom; ++y) std::fill_n(Row(y) + r.Left, r.Width(), v);
    Touch();
    return true;
}

bool Surface::Blt(int x, int y, const Surface& src, const Rect& sr, bool useKey) {
    const int w = sr.Width(), h = sr.Height();
    if (w <= 0 || h <= 0) return false;
    if (sr.Left < 0 || sr.Top < 0 || sr.Right > src.Width() || sr.Bottom > src.Height()) return false;
    if (x < 0 || y < 0 || x + w > Width() || y + h > Height()) return false;
    CopyRows(x, y, src, sr.Left, sr.Top, w, h, useKey);
    return true;
}

void Surface::BltClipped(int x, int y, const Surface& src, bool useKey, const Rect* clip) {
    const Rect c = clip ? Rect{std::max(0, clip->Left), std::max(0, clip->Top), std::min(Width(), clip->Right),
                               std::min(Height(), clip->Bottom)}
                        : Rect{0, 0, Width(), Height()};
    int sx = 0, sy = 0, w = src.Width(), h = src.Height();
    if (x < c.Left) { sx = c.Left - x; w -= sx; x = c.Left; }
    if (y < c.Top) { sy = c.Top - y; h -= sy; y = c.Top; }
    w = std::min(w, c.Right - x);
    h = std::min(h, c.Bottom - y);
    if (w <= 0 || h <= 0) return;
    CopyRows(x, y, src, sx, sy, w, h, useKey);
}

void Surface::BuildRuns() const {
    runs_.clear();
    rowStart_.assign(size_t(img_.height()) + 1, 0);
    for (int y = 0; y < img_.height(); ++y) {
        rowStart_[y] = int32_t(runs_.size());
        const uint32_t* row = Row(y);
        int x = 0;
        const int w = img_.width();
        while (x < w) {
            while (x < w && !(row[x] >> 24)) ++x;
            if (x >= w) break;
            int x0 = x;
            while (x < w && (row[x] >> 24)) ++x;
            runs_.push_back({x0, x});
        }
    }
    rowStart_[img_.height()] = int32_t(runs_.size());
    PackRuns();
}

void Surface::PackRuns() const {
    packedAt_.resize(runs_.size());
    size_t total = 0;
    for (size_t k = 0; k < runs_.size(); ++k) {
        packedAt_[k] = int32_t(total);
        total += size_t(runs_[k].x1 - runs_[k].x0);
    }
    packed_.resize(total);
    for (int y = 0; y < img_.height(); ++y)
        for (int k = rowStart_[y]; k < rowStart_[y + 1]; ++k)
            std::memcpy(packed_.data() + packedAt_[k], Row(y) + runs_[k].x0,
                        size_t(runs_[k].x1 - runs_[k].x0) * 4);
    runsValid_ = true;
}

void Surface::CopyRows(int dx, int dy, const Surface& src, int sx, int sy, int w, int h,
                       bool useKey) {
    Touch();
    const bool srcKeyed = src.keyed_;
    if (useKey && srcKeyed && !keyed_) {
        // The hot path of painting: copy only the opaque runs of the source.
        if (!src.runsValid_) src.BuildRuns();
        for (int r = 0; r < h; ++r) {
            const int srow = sy + r;
            uint32_t* d = Row(dy + r) + dx - sx;
            for (int k = src.rowStart_[srow]; k < src.rowStart_[srow + 1]; ++k) {
                const int x0 = src.runs_[k].x0;
                const int a = std::max(x0, sx), b = std::min(src.runs_[k].x1, sx + w);
                if (a < b) CopyPixels(d + a, src.packed_.data() + src.packedAt_[k] + (a - x0), b - a);
            }
        }
        return;
    }
    const bool plain = !keyed_ && !srcKeyed;
    for (int r = 0; r < h; ++r) {
        const uint32_t* s = src.Row(sy + r) + sx;
        uint32_t* d = Row(dy + r) + dx;
        if (plain) {
            CopyPixels(d, s, w);
            continue;
        }
        for (int i = 0; i < w; ++i) {
            const uint32_t px = s[i];
            if (!(px >> 24)) {
                if (useKey) continue;   // transparent source pixel
                d[i] = Store(src.keyLo_);
            } else {
                d[i] = keyed_ ? Store(px) : px;
            }
        }
    }
}

void Surface::DrawText(int x, int y, const QString& text, int32_t rgbColor, int pixelSize) {
    if (img_.isNull()) return;
    QPainter p(&img_);
    QFont f = p.font();
    f.setPixelSize(std::max(1, pixelSize));
    p.setFont(f);
    p.setPen(QColor(rgbColor & 0xff, (rgbColor >> 8) & 0xff, (rgbColor >> 16) & 0xff));
    p.drawText(QRect(x, y, std::max(0, Width() - x), std::max(0, Height() - y)),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    p.end();
    Attach();
    Touch();
}

RunMask RunMask::FromCoverage(const std::vector<uint8_t>& covered, int width, int height) {
    RunMask m;
    m.width = width;
    m.height = height;
    m.rowStart.assign(size_t(std::max(height, 0)) + 1, 0);
    for (int y = 0; y < height; ++y) {
        m.rowStart[y] = int32_t(m.runs.size());
        const uint8_t* row = covered.data() + size_t(y) * width;
        int x = 0;
        while (x < width) {
            while (x < width && !row[x]) ++x;
            if (x >= width) break;
            int x0 = x;
            while (x < width && row[x]) ++x;
            m.runs.push_back({x0, x});
        }
    }
    if (height >= 0) m.rowStart[height] = int32_t(m.runs.size());
    return m;
}

void Surface::BltMask(const Surface& src, int sx, int sy, const RunMask& mask) {
    if (img_.width() != mask.width || img_.height() != mask.height)
        img_ = QImage(mask.width, mask.height, kFormat);
    Attach();
    if (img_.isNull()) return;
    const uint32_t lo = keyLo_, hi = keyHi_;
    bool sawKey = false;   // or any pixel left out: the runs differ from the mask
    for (int y = 0; y < mask.height; ++y) {
        uint32_t* d = Row(y);
        std::memset(d, 0, size_t(mask.width) * 4);
        const int srow = sy + y;
        if (srow < 0 || srow >= src.Height()) {
            sawKey |= mask.rowStart[y] != mask.rowStart[y + 1];
            continue;
        }
        const uint32_t* srcRow = src.Row(srow);
        for (int k = mask.rowStart[y]; k < mask.rowStart[y + 1]; ++k) {
            const int a = mask.runs[k].x0, b = mask.runs[k].x1;
            if (sx + a < 0 || sx + b > src.Width()) {
                sawKey = true;
                continue;
            }
            // Only runs inside the source are read; the row pointer is never
            // moved before its start (sx may be negative).
            const uint32_t* s = srcRow + (sx + a);
            int hits = 0;
            for (int x = a; x < b; ++x) {
                const uint32_t v = s[x - a] & 0xffffffu;
                const bool key = keyed_ && v >= lo && v <= hi;
                hits += key;
                d[x] = key ? 0u : (0xff000000u | v);
            }
            sawKey |= hits != 0;
        }
    }
    // Without key-coloured picture pixels the opaque runs are the mask's.
    if (!sawKey && keyed_) {
        runs_ = mask.runs;
        rowStart_ = mask.rowStart;
        PackRuns();
    } else {
        Touch();
    }
}

uint32_t Surface::Pixel(int x, int y) const { return Load(Row(y)[x]); }

bool Surface::IsTransparent(int x, int y) const { return !(Row(y)[x] >> 24); }

}  // namespace pz::display
