#include "game/picture/containers.h"

#include "game/picture/newpicture.h"

#include <algorithm>

namespace pz {

namespace {

uint32_t Read32(const uchar* p, bool le) {
    return le ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24
              : uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}
uint16_t Read16(const uchar* p, bool le) { return le ? uint16_t(p[0] | p[1] << 8) : uint16_t(p[1] | p[0] << 8); }

// An EXIF block or an ICC profile is small; anything larger is not worth
// reading whole.
constexpr qint64 kMaxExif = 4 << 20;

QByteArray ReadAt(QIODevice& dev, qint64 pos, qint64 n) {
    if (n < 0 || n > kMaxExif || pos < 0 || pos + n > dev.size() || !dev.seek(pos)) return {};
    QByteArray b = dev.read(n);
    return b.size() == n ? b : QByteArray();
}

// The data of the first chunk of a type in a PNG file; empty when none.
QByteArray PngChunk(QIODevice& dev, const char* type) {
    qint64 pos = 8;
    for (int chunks = 0; chunks < 100000; ++chunks) {
        const QByteArray head = ReadAt(dev, pos, 8);
        if (head.size() != 8) return {};
        const uint32_t len = Read32(reinterpret_cast<const uchar*>(head.constData()), false);
        const QByteArray name = head.mid(4, 4);
        if (name == type) return ReadAt(dev, pos + 8, len);
        if (name == "IEND") return {};
        pos += 12 + qint64(len);
    }
    return {};
}

QByteArray WebpChunk(QIODevice& dev, const char* type) {
    qint64 pos = 12;
    for (int chunks = 0; chunks < 100000; ++chunks) {
        const QByteArray head = ReadAt(dev, pos, 8);
        if (head.size() != 8) return {};
        const uint32_t len = Read32(reinterpret_cast<const uchar*>(head.constData()) + 4, true);
        if (head.startsWith(type)) return ReadAt(dev, pos + 8, len);
        pos += 8 + qint64(len) + (len & 1);
    }
    return {};
}

// PNG's iCCP: a name, a zero, the compression method (0, zlib), the data.
QByteArray InflatedPngProfile(const QByteArray& chunk) {
    const qsizetype nul = chunk.indexOf('\0');
    if (nul < 1 || nul > 79 || nul + 2 > chunk.size() || chunk[nul + 1] != 0) return {};
    // qUncompress wants the size first; it only guides the first allocation.
    QByteArray z(4, '\0');
    const uint32_t guess = uint32_t(std::min<qint64>(kMaxExif, (chunk.size() - nul - 2) * 4));
    for (int i = 0; i < 4; ++i) z[i] = char(guess >> (24 - 8 * i));
    z += chunk.mid(nul + 2);
    const QByteArray icc = qUncompress(z);
    return icc.size() <= kMaxExif ? icc : QByteArray();
}

// TIFF's first directory, tag 34675 (UNDEFINED bytes, at an offset).
QByteArray TiffProfile(QIODevice& dev) {
    const QByteArray head = ReadAt(dev, 0, 8);
    if (head.size() != 8) return {};
    const bool le = head.startsWith("II");
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    const QByteArray countBytes = ReadAt(dev, Read32(h + 4, le), 2);
    if (countBytes.size() != 2) return {};
    const int count = Read16(reinterpret_cast<const uchar*>(countBytes.constData()), le);
    const QByteArray entries = ReadAt(dev, qint64(Read32(h + 4, le)) + 2, 12 * qint64(count));
    const auto* e = reinterpret_cast<const uchar*>(entries.constData());
    for (int i = 0; i < count && entries.size() == 12 * count; ++i, e += 12)
        if (Read16(e, le) == 34675 && Read16(e + 2, le) == 7 && Read32(e + 4, le) > 4)
            return ReadAt(dev, Read32(e + 8, le), Read32(e + 4, le));
    return {};
}

}  // namespace

int ExifOrientation(const QByteArray& exifBlock) {
    QByteArray exif = exifBlock;
    if (exif.startsWith(QByteArray("Exif\0\0", 6))) exif.remove(0, 6);
    const auto* d = reinterpret_cast<const uchar*>(exif.constData());
    const qint64 n = exif.size();
    if (n < 8) return 0;
    bool le;
    if (exif.startsWith("II*")) le = true;
    else if (exif.startsWith(QByteArray("MM\0*", 4))) le = false;
    else return 0;
    const uint32_t ifd = Read32(d + 4, le);
    if (qint64(ifd) + 2 > n) return 0;
    const int count = Read16(d + ifd, le);
    for (int i = 0; i < count; ++i) {
        const qint64 e = qint64(ifd) + 2 + 12 * qint64(i);
        if (e + 12 > n) return 0;
        if (Read16(d + e, le) != 0x0112) continue;
        // A SHORT, stored in the first two bytes of the value field.
        if (Read16(d + e + 2, le) != 3) return 0;
        const int v = Read16(d + e + 8, le);
        return v >= 1 && v <= 8 ? v : 0;
    }
    return 0;
}

int ContainerOrientation(QIODevice& dev) {
    const qint64 was = dev.pos();
    int o = 0;
    const QByteArray head = ReadAt(dev, 0, 12);
    if (head.startsWith("\x89PNG\r\n\x1a\n")) o = ExifOrientation(PngChunk(dev, "eXIf"));
    else if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") o = ExifOrientation(WebpChunk(dev, "EXIF"));
    dev.seek(was);
    return o;
}

QByteArray ContainerIccProfile(QIODevice& dev) {
    const qint64 was = dev.pos();
    QByteArray icc;
    const QByteArray head = ReadAt(dev, 0, 12);
    if (head.startsWith("\x89PNG\r\n\x1a\n")) icc = InflatedPngProfile(PngChunk(dev, "iCCP"));
    else if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") icc = WebpChunk(dev, "ICCP");
    else if (head.startsWith("II*") || head.startsWith(QByteArray("MM\0*", 4))) icc = TiffProfile(dev);
    dev.seek(was);
    return icc;
}

void PlaceRows(QImage& out, int tag, const uint32_t* rows, int r0, int count, int w, int h) {
    auto* bits = reinterpret_cast<uint32_t*>(out.bits());
    const qsizetype stride = out.bytesPerLine() / 4;
    if (tag <= 4) {
        // 2 mirrors each row, 3 turns half round, 4 turns upside down.
        for (int i = 0; i < count; ++i) {
            const uint32_t* src = rows + size_t(i) * w;
            const int r = r0 + i;
            uint32_t* dst = bits + stride * (tag <= 2 ? r : h - 1 - r);
            if (tag <= 1 || tag == 4) std::copy(src, src + w, dst);
            else std::reverse_copy(src, src + w, dst);
        }
        return;
    }
    // 5 to 8: stored row r becomes upright column r (5, 8) or h - 1 - r (6, 7),
    // stored column c upright row c (5, 6) or w - 1 - c (7, 8). The rows
    // given land side by side in each upright row.
    const bool columnFromEnd = tag == 6 || tag == 7, rowFromEnd = tag == 7 || tag == 8;
    for (int c = 0; c < w; ++c) {
        uint32_t* dst = bits + stride * (rowFromEnd ? w - 1 - c : c);
        const uint32_t* src = rows + c;
        if (columnFromEnd) {
            for (int i = 0; i < count; ++i) dst[h - 1 - r0 - i] = src[size_t(i) * w];
        } else {
            for (int i = 0; i < count; ++i) dst[r0 + i] = src[size_t(i) * w];
        }
    }
}

QImage Oriented(const QImage& picture, int orientation) {
    if (orientation < 2 || orientation > 8 || picture.isNull()) return picture;
    const int w = picture.width(), h = picture.height();
    QImage out = MakeNewPicture(orientation >= 5 ? QSize(h, w) : QSize(w, h)).image;
    if (out.isNull()) return out;
    PlaceRows(out, orientation, reinterpret_cast<const uint32_t*>(picture.constBits()), 0, h, w, h);
    return out;
}

}  // namespace pz
