#include "game/picture/jpegpicture.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <algorithm>
#include <vector>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "game/picture/containers.h"
#include "game/picture/newpicture.h"
#include "game/picture/picture.h"
#include "game/picture/srgb.h"

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
    bool cancelled = false;
    bool tooManyScans = false;
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

// libjpeg reports its progress row by row, also while it reads the scans of
// a progressive file; a player who cancels is heard there.
struct Progress {
    jpeg_progress_mgr mgr;
    const std::atomic<bool>* cancel;
};

// No encoder writes more than a few dozen scans; a file of thousands of
// empty ones keeps the decoder busy for minutes.
constexpr int kMaxScans = 100;

void Check(j_common_ptr c) {
    const auto* p = reinterpret_cast<Progress*>(c->progress);
    auto* err = reinterpret_cast<ErrorManager*>(c->err);
    if (p->cancel && p->cancel->load(std::memory_order_relaxed)) err->cancelled = true;
    if (c->is_decompressor && reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans)
        err->tooManyScans = true;
    if (err->cancelled || err->tooManyScans) std::longjmp(err->escape, 1);
}

// What libjpeg may take beside the picture itself (a progressive file's
// coefficients): the picture's budget less the picture.
long MemoryBeside(QSize picture) {
    const qint64 pixels = qint64(picture.width()) * picture.height();
    return long(PictureBudget(pixels, false) - pixels * 4);
}

// CMYK as Qt's reader shows it, for files without a profile: inverted
// (Adobe's) inks times the inverted black. In place: a pixel is 4 bytes
// either way.
void PlainCmyk(const uint8_t* cmyk, uint32_t* out, size_t n) {
    for (size_t i = 0; i < n; ++i, cmyk += 4) {
        const int k = cmyk[3];
        out[i] = qRgb(k * cmyk[0] / 255, k * cmyk[1] / 255, k * cmyk[2] / 255);
    }
}

// What a band needs after libjpeg has written it: CMYK made RGB32, colours
// made sRGB.
struct Colours {
    bool cmyk = false;
    std::unique_ptr<SrgbConversion> toSrgb;
    bool Needed() const { return cmyk || toSrgb; }
    void Apply(uint32_t* px, size_t n) const {
        if (cmyk && toSrgb) toSrgb->ApplyCmyk(reinterpret_cast<const uint8_t*>(px), px, n);
        else if (cmyk) PlainCmyk(reinterpret_cast<const uint8_t*>(px), px, n);
        else toSrgb->Apply(px, n);
    }
};

// Bands of rows: libjpeg decodes into one while the one before is converted
// and, for a turned photo, placed on the second core, so neither costs much
// beside the decode.
struct Bands {
    static constexpr int kRows = 32;
    std::vector<uint32_t> buffer[2];
    std::future<void> finishing, mapping;
    void Wait() {
        if (finishing.valid()) finishing.wait();
    }
    void WaitAll() {
        Wait();
        if (mapping.valid()) mapping.wait();
    }
};

QByteArray IccProfile(jpeg_decompress_struct& cinfo) {
    JOCTET* icc = nullptr;
    unsigned int length = 0;
    if (!jpeg_read_icc_profile(&cinfo, &icc, &length) || !icc) return {};
    QByteArray out(reinterpret_cast<const char*>(icc), qsizetype(length));
    free(icc);
    return out;
}

// The header read and the colours it says the picture has; libjpeg asked
// for rows of RGB32 (or CMYK, made RGB32 in place). Called under Decode's
// setjmp: nothing here with a destructor lives across a libjpeg call.
void ReadHeader(jpeg_decompress_struct& cinfo, const QByteArray& data, Colours& colours) {
    jpeg_create_decompress(&cinfo);   // clears all but the error manager and client_data
    cinfo.progress = static_cast<jpeg_progress_mgr*>(cinfo.client_data);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xffff);   // the ICC profile
    jpeg_read_header(&cinfo, TRUE);
    {   // gone before libjpeg is called again: a longjmp skips destructors
        const QByteArray icc = IccProfile(cinfo);
        colours.cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
        colours.toSrgb = colours.cmyk ? SrgbConversion::FromCmykIcc(icc) : SrgbConversion::FromIcc(icc);
    }
    // CMYK at four bytes a pixel is made RGB32 in place; anything else comes
    // in RGB32's own byte order, opaque.
    cinfo.out_color_space = colours.cmyk ? JCS_CMYK : JCS_EXT_BGRX;
}

// Bands of rows, decoded straight to their places in out unless turned:
// libjpeg hands several rows a call faster than one. A band is turned and
// given its colours on the second core while the next is decoded. Called
// under Decode's setjmp, like ReadHeader.
void ReadRows(jpeg_decompress_struct& cinfo, int tag, QImage& out, Bands& bands, Colours& colours) {
    const int w = int(cinfo.output_width), h = int(cinfo.output_height);
    const bool turned = tag > 1;
    for (auto& b : bands.buffer) b.resize(turned ? size_t(w) * Bands::kRows : 0);
    JSAMPROW rows[Bands::kRows];
    for (int which = 0; cinfo.output_scanline < cinfo.output_height; which ^= 1) {
        const int r0 = int(cinfo.output_scanline);
        uint32_t* band = turned ? bands.buffer[which].data() : reinterpret_cast<uint32_t*>(out.scanLine(r0));
        const qsizetype stride = turned ? w : out.bytesPerLine() / 4;
        for (int i = 0; i < Bands::kRows; ++i) rows[i] = reinterpret_cast<JSAMPROW>(band + stride * i);
        int got = 0;
        while (got < Bands::kRows && cinfo.output_scanline < cinfo.output_height) {
            const int n = int(jpeg_read_scanlines(&cinfo, rows + got, JDIMENSION(std::min(Bands::kRows, h - r0) - got)));
            if (n == 0) break;
            got += n;
        }
        if (got == 0) break;
        if (!turned && !colours.Needed()) continue;
        bands.Wait();
        bands.finishing = std::async(std::launch::async, [&out, &colours, turned, tag, band, stride, r0, got, w, h] {
            if (colours.Needed())
                for (int i = 0; i < got; ++i) colours.Apply(band + stride * i, size_t(w));
            if (turned) PlaceRows(out, tag, band, r0, got, w, h);
        });
    }
    bands.Wait();
}

// Everything that outlives a longjmp out of libjpeg is owned by the caller.
bool Decode(jpeg_decompress_struct& cinfo, ErrorManager& err, const QByteArray& data, int tag,
            const std::function<QString(QSize)>& sizeError, QImage& out, Bands& bands, Colours& colours,
            QString& refusal) {
    if (setjmp(err.escape)) return false;
    ReadHeader(cinfo, data, colours);
    // The size as it will be decoded, checked before libjpeg allocates
    // anything of that size.
    jpeg_calc_output_dimensions(&cinfo);
    const int w = int(cinfo.output_width), h = int(cinfo.output_height);
    const QSize upright = tag >= 5 ? QSize(h, w) : QSize(w, h);
    refusal = sizeError(upright);
    if (!refusal.isEmpty()) return false;
    cinfo.mem->max_memory_to_use = MemoryBeside(upright);
    jpeg_start_decompress(&cinfo);
    NewPicture target = MakeNewPicture(upright);
    out = std::move(target.image);
    bands.mapping = std::move(target.mapping);
    if (out.isNull()) {
        refusal = QStringLiteral("there is not enough memory for a picture of %1 x %2 pixels.")
                      .arg(upright.width())
                      .arg(upright.height());
        return false;
    }
    ReadRows(cinfo, tag, out, bands, colours);
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

JpegPicture DecodeJpeg(const QByteArray& data, int orientation, const std::function<QString(QSize)>& sizeError,
                       const std::atomic<bool>* cancel) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = Fail;
    err.mgr.emit_message = Warn;
    Progress progress{};
    progress.mgr.progress_monitor = Check;
    progress.cancel = cancel;
    cinfo.client_data = &progress.mgr;   // made cinfo.progress once cinfo is created
    QImage out;
    Bands bands;
    Colours colours;
    QString refusal;
    const bool ok = Decode(cinfo, err, data, orientation, sizeError, out, bands, colours, refusal);
    bands.WaitAll();   // a longjmp out of libjpeg leaves the last band being finished
    const QSize size(int(cinfo.output_width), int(cinfo.output_height));
    jpeg_destroy_decompress(&cinfo);
    JpegPicture r;
    if (ok && err.truncated)
        r.failure = JpegPicture::Truncated;
    else if (ok)
        r.image = std::move(out);
    else if (err.cancelled)
        r.failure = JpegPicture::Cancelled;
    else if (err.tooManyScans)
        r.failure = JpegPicture::Refused,
        r.reason = QStringLiteral("the picture is coded in more than %1 scans, which no camera or program writes.").arg(kMaxScans);
    else if (err.mgr.msg_code == JERR_NO_BACKING_STORE || err.mgr.msg_code == JERR_OUT_OF_MEMORY)
        r.failure = JpegPicture::Refused,
        r.reason = QStringLiteral("a progressive picture of %1 x %2 pixels needs more memory to decode than the game "
                                  "gives one picture (a fifth of its size and 300 MB beside it).")
                       .arg(size.width())
                       .arg(size.height());
    else if (!refusal.isEmpty())
        r.failure = JpegPicture::Refused, r.reason = refusal;
    else
        r.failure = JpegPicture::Damaged, r.reason = QString::fromLocal8Bit(err.message);
    return r;
}

}  // namespace pz
