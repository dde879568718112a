#pragma once
// Small pictures that claim or cost far more than they hold, made from
// their bytes: the hostile-file tests and the fuzzing seeds both use them.
#include <QByteArray>
#include <QtEndian>

namespace pz::test {

// The JPEG with its frame header (baseline or progressive) saying w x h.
inline QByteArray JpegSized(QByteArray jpeg, int w, int h) {
    for (qsizetype at = 2; at + 9 < jpeg.size(); at += 2 + qFromBigEndian<quint16>(jpeg.constData() + at + 2))
        if (uchar(jpeg[at + 1]) == 0xc0 || uchar(jpeg[at + 1]) == 0xc2) {
            qToBigEndian<quint16>(quint16(h), jpeg.data() + at + 5);
            qToBigEndian<quint16>(quint16(w), jpeg.data() + at + 7);
            break;
        }
    return jpeg;
}

// The progressive JPEG with its last scan said again, times more.
inline QByteArray JpegScans(const QByteArray& jpeg, int times) {
    const qsizetype last = jpeg.lastIndexOf(QByteArray("\xff\xda", 2));
    const QByteArray scan = jpeg.mid(last, jpeg.size() - 2 - last);
    QByteArray out = jpeg.left(jpeg.size() - 2);
    for (int i = 0; i < times; ++i) out += scan;
    return out + QByteArray("\xff\xd9", 2);
}

// A GIF of one pixel on a screen of w x h.
inline QByteArray GifScreen(int w, int h) {
    QByteArray g("GIF89a");
    g += char(w & 0xff), g += char(w >> 8), g += char(h & 0xff), g += char(h >> 8);
    g += QByteArray("\x80\0\0\0\0\0\xff\xff\xff" ",\0\0\0\0\x01\0\x01\0\0" "\x02\x02\x44\x01\0;", 26);
    return g;
}

// A 16-bit RGBA PNG's header of w x h with a token of data.
inline QByteArray DeepPng(int w, int h) {
    QByteArray ihdr("IHDR");
    ihdr.resize(17);
    qToBigEndian<quint32>(quint32(w), ihdr.data() + 4);
    qToBigEndian<quint32>(quint32(h), ihdr.data() + 8);
    ihdr[12] = 16, ihdr[13] = 6, ihdr[14] = 0, ihdr[15] = 0, ihdr[16] = 0;
    auto chunk = [](const QByteArray& typeAndData) {
        QByteArray c(4, '\0');
        qToBigEndian<quint32>(quint32(typeAndData.size() - 4), c.data());
        c += typeAndData;
        QByteArray crc(4, '\0');
        quint32 sum = 0xffffffffu;   // PNG's CRC-32
        for (const char byte : typeAndData) {
            sum ^= uchar(byte);
            for (int k = 0; k < 8; ++k) sum = (sum >> 1) ^ (0xedb88320u & (0u - (sum & 1)));
        }
        qToBigEndian<quint32>(~sum, crc.data());
        return c + crc;
    };
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk(ihdr) + chunk(QByteArray("IDAT\x78\x9c\x03\0\0\0\0\x01", 12)) +
           chunk("IEND");
}

}  // namespace pz::test
