#include "game/picture/containers.h"

#include "game/picture/newpicture.h"

#include <algorithm>
#include <climits>
#include <map>

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

// Big-endian fields read in turn from [at, end) of a box; ok turns false,
// and stays so, once a field runs past the end.
struct Fields {
    const QByteArray& d;
    qsizetype at, end;
    bool ok = true;
    quint64 Take(int bytes) {
        if (at + bytes > end) ok = false;
        if (!ok) return 0;
        quint64 v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | uchar(d[at++]);
        return v;
    }
};

// Calls f(type, body, end) for each box in [from, to) until it returns true.
template <typename F>
void ForBoxes(const QByteArray& d, qsizetype from, qsizetype to, F f) {
    while (from + 8 <= to) {
        Fields h{d, from, to};
        quint64 size = h.Take(4);
        const QByteArray type = d.mid(from + 4, 4);
        h.Take(4);
        if (size == 1) size = h.Take(8);
        else if (size == 0) size = quint64(to - from);
        if (!h.ok || size < quint64(h.at - from) || size > quint64(to - from)) return;
        if (f(type, h.at, from + qsizetype(size))) return;
        from += qsizetype(size);
    }
}

// A full box's version, its flags skipped.
int Version(Fields& f) {
    const int v = int(f.Take(1));
    f.Take(3);
    return v;
}

// Where the item's first extent lies in the file, from iloc (and idat for
// data inside the meta box); -1 when it is not said.
qsizetype ItemData(const QByteArray& d, qsizetype iloc, qsizetype end, qsizetype idat, quint64 item) {
    Fields f{d, iloc, end};
    const int v = Version(f);
    const int sizes = int(f.Take(1)), more = int(f.Take(1));
    const int offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4, indexSize = v ? more & 15 : 0;
    const quint64 count = f.Take(v < 2 ? 2 : 4);
    for (quint64 i = 0; i < count && f.ok; ++i) {
        const quint64 id = f.Take(v < 2 ? 2 : 4);
        const int method = v ? int(f.Take(2) & 15) : 0;
        f.Take(2);
        const quint64 base = f.Take(baseSize), extents = f.Take(2);
        qsizetype first = -1;
        for (quint64 e = 0; e < extents && f.ok; ++e) {
            f.Take(indexSize);
            const quint64 offset = base + f.Take(offsetSize);
            f.Take(lengthSize);
            if (e == 0 && offset < quint64(d.size())) first = qsizetype(offset);
        }
        if (id == item && f.ok && first >= 0) return method == 0 ? first : method == 1 && idat >= 0 ? idat + first : -1;
    }
    return -1;
}

// The items the primary item names in its dimg reference.
QList<quint64> Derived(const QByteArray& d, qsizetype iref, qsizetype end, quint64 item) {
    Fields f{d, iref, end};
    const int idSize = Version(f) == 0 ? 2 : 4;
    QList<quint64> ids;
    ForBoxes(d, f.at, end, [&](const QByteArray& type, qsizetype body, qsizetype to) {
        Fields r{d, body, to};
        if (type != "dimg" || r.Take(idSize) != item) return false;
        const quint64 n = r.Take(2);
        for (quint64 i = 0; i < n && r.ok; ++i) ids << r.Take(idSize);
        return true;
    });
    return ids;
}

// Whether the item's type (in iinf) is a grid.
bool IsGrid(const QByteArray& d, qsizetype iinf, qsizetype end, quint64 item) {
    Fields f{d, iinf, end};
    f.Take(Version(f) == 0 ? 2 : 4);
    bool grid = false;
    ForBoxes(d, f.at, end, [&](const QByteArray& type, qsizetype body, qsizetype to) {
        Fields e{d, body, to};
        const int v = Version(e);
        if (type != "infe" || v < 2 || e.Take(v == 2 ? 2 : 4) != item) return false;
        e.Take(2);
        grid = e.ok && d.mid(e.at, 4) == "grid";
        return true;
    });
    return grid;
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

HeifGrid ReadHeifGrid(const QByteArray& file) {
    HeifGrid g;
    qsizetype meta = -1, metaEnd = -1;
    ForBoxes(file, 0, file.size(), [&](const QByteArray& type, qsizetype body, qsizetype end) {
        if (type == "meta") meta = body + 4, metaEnd = end;
        return type == "meta";
    });
    std::map<QByteArray, std::pair<qsizetype, qsizetype>> boxes;
    if (meta >= 0)
        ForBoxes(file, meta, metaEnd, [&](const QByteArray& type, qsizetype body, qsizetype end) {
            boxes.try_emplace(type, body, end);
            return false;
        });
    auto box = [&](const char* type) { return boxes.count(type) ? boxes[type] : std::pair<qsizetype, qsizetype>(-1, -1); };
    const auto [pitm, pitmEnd] = box("pitm");
    const auto [iinf, iinfEnd] = box("iinf");
    if (pitm < 0 || iinf < 0) return g;
    Fields p{file, pitm, pitmEnd};
    const quint64 primary = p.Take(Version(p) == 0 ? 2 : 4);
    if (!p.ok || !IsGrid(file, iinf, iinfEnd, primary)) return g;
    const auto [iloc, ilocEnd] = box("iloc");
    const qsizetype at = iloc < 0 ? -1 : ItemData(file, iloc, ilocEnd, box("idat").first, primary);
    if (at < 0) return g;
    // The grid: version, flags (bit 0: 32-bit sizes), rows and columns less
    // one, the size of the picture the tiles make.
    Fields grid{file, at, file.size()};
    grid.Take(1);
    const int fieldSize = grid.Take(1) & 1 ? 4 : 2;
    g.rows = int(grid.Take(1)) + 1;
    g.columns = int(grid.Take(1)) + 1;
    const quint64 w = grid.Take(fieldSize), h = grid.Take(fieldSize);
    if (!grid.ok) return g;
    g.output = QSize(int(std::min<quint64>(w, INT_MAX)), int(std::min<quint64>(h, INT_MAX)));
    const auto [iref, irefEnd] = box("iref");
    QList<quint64> tiles = iref < 0 ? QList<quint64>() : Derived(file, iref, irefEnd, primary);
    g.references = int(tiles.size());
    std::sort(tiles.begin(), tiles.end());
    for (qsizetype i = 0, run = 0; i < tiles.size(); ++i) {
        run = i > 0 && tiles[i] == tiles[i - 1] ? run + 1 : 1;
        g.mostRepeated = std::max(g.mostRepeated, int(run));
    }
    g.grid = true;
    return g;
}

}  // namespace pz
