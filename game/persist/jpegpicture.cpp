#include "game/persist/jpegpicture.h"

#include <csetjmp>
#include <cstdio>
#include <future>
#include <vector>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "game/persist/exiforientation.h"

namespace pz {

int JpegOrientation(const QByteArray& head) {
    const auto* d = reinterpret_cast<const uchar*>(head.constData());
    const qsizetype n = head.size();
    if (n < 4 || d[0] != 0xff || d[1] != 0xd8) return 0;
    // Marker segments up to the first scan; the EXIF block is one of them.
    for (qsizetype at = 2; at + 4 <= n;) {
        if (d[at] != 0xff) return 0;
        const uchar marker = d[at + 1];
        if (marker == 0xd8 || (marker >= 0xd0 && marker <= 0xd7) || marker == 0x01 || marker == 0xff) {
            at += marker == 0xff ? 1 : 2;
            continue;
        }
        if (marker == 0xda || marker == 0xd9) return 0;
        const int len = d[at + 2] << 8 | d[at + 3];
        if (len < 2) return 0;
        if (marker == 0xe1 && head.mid(at + 4, 6) == QByteArray("Exif\0\0", 6))
            return ExifOrientation(head.mid(at + 4, len - 2));
        at += 2 + len;
    }
    return 0;
}

namespace {

struct ErrorManager {
    jpeg_error_mgr mgr;
    jmp_buf escape;
    bool truncated = false;   // the data ended before the last row
    char message[JMSG_LENGTH_MAX] = {};
};

void Fail(j_common_ptr c) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    c->err->format_message(c, e->message);
    std::longjmp(e->escape, 1);
}

void Warn(j_common_ptr c, int level) {
    auto* e = reinterpret_cast<ErrorManager*>(c->err);
    // Running out of coded data loses pixels; running out of file alone
    // (JWRN_JPEG_EOF) does not: a file whose end marker is missing is whole.
    if (level < 0 && c->err->msg_code == JWRN_HIT_MARKER) e->truncated = true;
}

// Two bands: libjpeg decodes into one while the other is placed on the
// second core, so turning costs next to nothing beside the decode.
struct Bands {
    std::vector<uint32_t> buffer[2];
    std::future<void> placing;
    void Wait() {
        if (placing.valid()) placing.wait();
    }
};

// Everything that outlives a longjmp out of libjpeg is owned by the caller.
bool Decode(jpeg_decompress_struct& cinfo, ErrorManager& err, const QByteArray& data, int tag,
            const std::function<QString(QSize)>& sizeError, QImage& out, Bands& bands, QString& refusal,
            bool& cmyk) {
    if (setjmp(err.escape)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cmyk = true;
        return false;
    }
    cinfo.out_color_space = JCS_EXT_BGRX;   // RGB32's own byte order, opaque
    jpeg_start_decompress(&cinfo);
    const int w = int(cinfo.output_width), h = int(cinfo.output_height);
    const QSize upright = tag >= 5 ? QSize(h, w) : QSize(w, h);
    refusal = sizeError(upright);
    if (!refusal.isEmpty()) return false;
    out = QImage(upright, QImage::Format_RGB32);
    if (out.isNull()) {
        refusal = QStringLiteral("there is not enough memory for a picture of %1 x %2 pixels.")
                      .arg(upright.width())
                      .arg(upright.height());
        return false;
    }
    if (tag <= 1) {   // as stored: each row straight to its place
        uchar* bits = out.bits();
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = bits + out.bytesPerLine() * qsizetype(cinfo.output_scanline);
            if (jpeg_read_scanlines(&cinfo, &row, 1) == 0) break;
        }
    }
    const int bandRows = 32;
    for (auto& b : bands.buffer) b.resize(tag > 1 ? size_t(w) * bandRows : 0);
    JSAMPROW rows[bandRows];
    for (int which = 0; tag > 1 && cinfo.output_scanline < cinfo.output_height; which ^= 1) {
        const int r0 = int(cinfo.output_scanline);
        int got = 0;
        uint32_t* band = bands.buffer[which].data();
        for (int i = 0; i < bandRows; ++i) rows[i] = reinterpret_cast<JSAMPROW>(band + size_t(i) * w);
        while (got < bandRows && cinfo.output_scanline < cinfo.output_height) {
            const int n = int(jpeg_read_scanlines(&cinfo, rows + got, JDIMENSION(bandRows - got)));
            if (n == 0) break;
            got += n;
        }
        if (got == 0) break;
        bands.Wait();
        bands.placing = std::async(std::launch::async,
                                   [&out, tag, band, r0, got, w, h] { PlaceRows(out, tag, band, r0, got, w, h); });
    }
    bands.Wait();
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

std::optional<JpegPicture> DecodeJpeg(const QByteArray& data, int orientation,
                                      const std::function<QString(QSize)>& sizeError) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = Fail;
    err.mgr.emit_message = Warn;
    QImage out;
    Bands bands;
    QString refusal;
    bool cmyk = false;
    const bool ok = Decode(cinfo, err, data, orientation, sizeError, out, bands, refusal, cmyk);
    bands.Wait();   // a longjmp out of libjpeg leaves the last band being placed
    jpeg_destroy_decompress(&cinfo);
    if (cmyk) return std::nullopt;
    JpegPicture r;
    if (ok && err.truncated)
        r.failure = JpegPicture::Truncated;
    else if (ok)
        r.image = std::move(out);
    else if (!refusal.isEmpty())
        r.failure = JpegPicture::Refused, r.reason = refusal;
    else
        r.failure = JpegPicture::Damaged, r.reason = QString::fromLocal8Bit(err.message);
    return r;
}

}  // namespace pz
