#pragma once
// HEIF grid pictures for the tests, which no tool here writes: the coded
// tiles and their decoder configuration taken from small HEICs that libheif
// wrote, and set in boxes of our own.
#include <QByteArray>
#include <QList>
#include <QSize>
#include <QtEndian>

namespace pz::test {

// The payload of the first box of that type among the boxes in [from, to)
// of data, looking into meta, iprp and ipco on the way; empty when none.
inline QByteArray FindBox(const QByteArray& data, const char* type, qsizetype from = 0, qsizetype to = -1) {
    if (to < 0) to = data.size();
    while (from + 8 <= to) {
        const qsizetype size = qFromBigEndian<quint32>(data.constData() + from);
        const QByteArray name = data.mid(from + 4, 4);
        if (size < 8 || from + size > to) return {};
        if (name == type) return data.mid(from + 8, size - 8);
        const qsizetype inside = name == "meta" ? 12 : (name == "iprp" || name == "ipco") ? 8 : 0;
        if (inside) {
            const QByteArray found = FindBox(data, type, from + inside, from + size);
            if (!found.isEmpty()) return found;
        }
        from += size;
    }
    return {};
}

struct GridLayout {
    int rows = 2, columns = 2;   // as the grid says
    QSize output;                // the grid's output size
    QSize claimed;               // the grid item's own size (ispe)
    QSize tile;                  // each tile's size (ispe)
    int tiles = 4;               // tile items, tile i coded as codings[i % codings.size()]
    int references = 4;          // the grid's references, reference i to tile i % tiles
};

// A HEIF file whose primary item is a grid as laid out; codings are HEICs
// of one picture each (HEVC, as libheif writes them), all in idat.
inline QByteArray GridHeif(const QList<QByteArray>& codings, const GridLayout& g) {
    auto u8 = [](int v) { return QByteArray(1, char(v)); };
    auto u16 = [](quint32 v) { QByteArray b(2, '\0'); qToBigEndian<quint16>(quint16(v), b.data()); return b; };
    auto u32 = [](quint32 v) { QByteArray b(4, '\0'); qToBigEndian<quint32>(v, b.data()); return b; };
    auto box = [&](const char* type, const QByteArray& payload) { return u32(quint32(payload.size() + 8)) + type + payload; };
    auto full = [&](const char* type, int version, const QByteArray& payload) {
        return box(type, u8(version) + QByteArray(3, '\0') + payload);
    };
    auto ispe = [&](QSize s) { return full("ispe", 0, u32(quint32(s.width())) + u32(quint32(s.height()))); };
    // idat: each coding's tile, then the grid's description.
    QByteArray idat, ipco, iloc, infe, ipma, dimg;
    QList<qsizetype> at;
    for (const QByteArray& heic : codings) {
        at << idat.size();
        idat += FindBox(heic, "mdat");
        ipco += box("hvcC", FindBox(heic, "hvcC"));
    }
    ipco += ispe(g.tile) + ispe(g.claimed);
    const qsizetype gridAt = idat.size();
    idat += u8(0) + u8(1) + u8(g.rows - 1) + u8(g.columns - 1) + u32(quint32(g.output.width())) + u32(quint32(g.output.height()));
    const int n = int(codings.size());
    // Item 1 is the grid, items 2 on its tiles.
    auto located = [&](int id, qsizetype offset, qsizetype length) {
        return u16(quint32(id)) + u16(1) + u16(0) + u16(1) + u32(quint32(offset)) + u32(quint32(length));
    };
    iloc += located(1, gridAt, idat.size() - gridAt);
    infe += full("infe", 2, u16(1) + u16(0) + "grid" + u8(0));
    ipma += u16(1) + u8(1) + u8(0x80 | (n + 2));
    for (int i = 0; i < g.tiles; ++i) {
        const int c = i % n;
        const qsizetype end = c + 1 < n ? at[c + 1] : gridAt;
        iloc += located(i + 2, at[c], end - at[c]);
        infe += full("infe", 2, u16(quint32(i + 2)) + u16(0) + "hvc1" + u8(0));
        ipma += u16(quint32(i + 2)) + u8(2) + u8(0x80 | (c + 1)) + u8(n + 1);
    }
    for (int i = 0; i < g.references; ++i) dimg += u16(quint32(i % g.tiles + 2));
    const int items = g.tiles + 1;
    const QByteArray meta = full("meta", 0,
        full("hdlr", 0, u32(0) + "pict" + QByteArray(13, '\0')) + full("pitm", 0, u16(1)) +
        full("iloc", 1, u8(0x44) + u8(0) + u16(quint32(items)) + iloc) +
        full("iinf", 1, u32(quint32(items)) + infe) +
        full("iref", 0, box("dimg", u16(1) + u16(quint32(g.references)) + dimg)) +
        box("iprp", box("ipco", ipco) + full("ipma", 0, u32(quint32(items)) + ipma)) + box("idat", idat));
    return box("ftyp", QByteArray("heic") + u32(0) + "mif1heic") + meta;
}

}  // namespace pz::test
