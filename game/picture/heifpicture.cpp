#include "game/picture/heifpicture.h"

#include <libheif/heif.h>

#include <algorithm>
#include <future>
#include <memory>

#include "game/picture/containers.h"
#include "game/picture/newpicture.h"

namespace pz {

namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// The colours the picture says it has, as a conversion to sRGB.
std::unique_ptr<SrgbConversion> ColourOf(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)), Qt::Uninitialized);
        if (icc.isEmpty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return nullptr;
        return SrgbConversion::FromIcc(icc);
    }
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || !nclx) return nullptr;
    const float xy[8] = {nclx->color_primary_red_x,   nclx->color_primary_red_y,   nclx->color_primary_green_x,
                         nclx->color_primary_green_y, nclx->color_primary_blue_x,  nclx->color_primary_blue_y,
                         nclx->color_primary_white_x, nclx->color_primary_white_y};
    const int transfer = int(nclx->transfer_characteristics);
    heif_nclx_color_profile_free(nclx);
    return SrgbConversion::FromCoded(xy, transfer);
}

QString Why(const heif_error& e) {
    if (e.code == heif_error_Unsupported_feature && e.subcode == heif_suberror_Unsupported_codec)
        return QStringLiteral("this kind of HEIF picture cannot be decoded here (no decoder for its codec).");
    const QString what =
        e.message && *e.message ? QString::fromUtf8(e.message).simplified() : QStringLiteral("not a HEIF picture");
    return QStringLiteral("the picture is damaged or incomplete (%1).").arg(what);
}

// 8-bit RGB rows to RGB32, as Qt converts them, the two halves on two cores.
void Widen(const uint8_t* rgb, int stride, QImage& out) {
    auto rows = [&](int from, int to) {
        for (int y = from; y < to; ++y) {
            const uint8_t* s = rgb + qsizetype(stride) * y;
            auto* d = reinterpret_cast<uint32_t*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x, s += 3) d[x] = 0xff000000u | uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2];
        }
    };
    std::future<void> other = std::async(std::launch::async, rows, out.height() / 2, out.height());
    rows(0, out.height() / 2);
    other.wait();
}

bool CanDecode(heif_compression_format f) { return heif_have_decoder_for_format(f) != 0; }

}  // namespace

bool MaybeHeif(const QByteArray& head) {
    if (head.size() < 12) return false;
    return heif_check_filetype(reinterpret_cast<const uint8_t*>(head.constData()), int(head.size())) !=
           heif_filetype_no;
}

bool IsHeifData(const QByteArray& data) {
    std::unique_ptr<heif_context, ContextFree> ctx(heif_context_alloc());
    if (!ctx || heif_context_read_from_memory_without_copy(ctx.get(), data.constData(), size_t(data.size()), nullptr)
                        .code != heif_error_Ok)
        return false;
    heif_image_handle* raw = nullptr;
    const heif_error err = heif_context_get_primary_image_handle(ctx.get(), &raw);
    std::unique_ptr<heif_image_handle, HandleFree> handle(raw);
    return err.code == heif_error_Ok && handle;
}

namespace {

struct Heif {
    std::unique_ptr<heif_context, ContextFree> ctx;
    std::unique_ptr<heif_image_handle, HandleFree> handle;
};

// The file's primary image; false with r's error set when there is none.
bool OpenPrimary(const QByteArray& data, Heif& heif, HeifResult& r) {
    heif.ctx.reset(heif_context_alloc());
    if (!heif.ctx) {
        r.error = QStringLiteral("out of memory");
        return false;
    }
    heif_error err =
        heif_context_read_from_memory_without_copy(heif.ctx.get(), data.constData(), size_t(data.size()), nullptr);
    if (err.code != heif_error_Ok) {
        r.notHeif = err.code == heif_error_Invalid_input && err.subcode == heif_suberror_No_ftyp_box;
        r.error = Why(err);
        return false;
    }
    heif_image_handle* raw = nullptr;
    err = heif_context_get_primary_image_handle(heif.ctx.get(), &raw);
    heif.handle.reset(raw);
    if (err.code != heif_error_Ok || !heif.handle) {
        r.error = Why(err);
        return false;
    }
    return true;
}

// The image decoded to interleaved 8-bit RGB (RGBA with alpha), upright as
// its rotation and mirror boxes say; null with r's error set when libheif
// fails or warns of damage.
heif_image* DecodeRgb(const heif_image_handle* handle, bool alpha, HeifResult& r) {
    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    options->ignore_transformations = 0;   // rotation and mirror boxes make it upright
    options->strict_decoding = 1;          // coded data with errors is damage, not a warning
    heif_image* img = nullptr;
    const heif_error err = heif_decode_image(handle, &img, heif_colorspace_RGB,
                                             alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                             options.get());
    if (err.code != heif_error_Ok || !img) {
        if (img) heif_image_release(img);
        r.error = Why(err);
        return nullptr;
    }
    if (heif_image_get_decoding_warnings(img, 0, nullptr, 0) > 0) {
        heif_error warning{};
        heif_image_get_decoding_warnings(img, 0, &warning, 1);
        heif_image_release(img);
        r.error = Why(warning);
        return nullptr;
    }
    return img;
}

// The decoded pixels as r's picture: widened into target when that is made
// and of their size, else borrowed from libheif, which gets them back when
// the picture goes. Takes img.
void TakePixels(heif_image* img, QImage::Format format, NewPicture& target, HeifResult& r) {
    int stride = 0;
    const uint8_t* bits = heif_image_get_plane_readonly(img, heif_channel_interleaved, &stride);
    const int iw = heif_image_get_width(img, heif_channel_interleaved);
    const int ih = heif_image_get_height(img, heif_channel_interleaved);
    if (!bits || iw <= 0 || ih <= 0) {
        heif_image_release(img);
        r.error = QStringLiteral("the picture could not be decoded");
        return;
    }
    if (target.mapping.valid()) target.mapping.wait();
    if (!target.image.isNull() && target.image.size() == QSize(iw, ih)) {
        Widen(bits, stride, target.image);
        heif_image_release(img);
        r.image = std::move(target.image);
        return;
    }
    r.image = QImage(bits, iw, ih, stride, format,
                     [](void* p) { heif_image_release(static_cast<heif_image*>(p)); }, img);
}

// libheif's work for a grid grows faster than its tiles: 1,024 tiles cost
// it a second here, 4,096 five, 16,384 over thirty. Photos come in tiles of
// 512 x 512, 2,048 of them at the size limit.
constexpr int kMaxGridTiles = 4096;

// A grid of more tiles than that, one that names fewer or more tiles than
// it holds, or one tile again and again (which costs libheif the whole
// picture before it gives up).
QString GridError(const HeifGrid& g) {
    if (!g.grid) return {};
    if (g.rows * g.columns > kMaxGridTiles)
        return QStringLiteral("the picture is made of %1 x %2 tiles; at most %3 tiles can be used.")
            .arg(g.rows)
            .arg(g.columns)
            .arg(kMaxGridTiles);
    if (g.references != g.rows * g.columns)
        return QStringLiteral("the picture is damaged or incomplete (its grid of %1 x %2 tiles names %3).")
            .arg(g.rows)
            .arg(g.columns)
            .arg(g.references);
    if (g.mostRepeated > 1)
        return QStringLiteral("the picture is damaged or made to harm (its grid of %1 x %2 tiles names one tile %3 times).")
            .arg(g.rows)
            .arg(g.columns)
            .arg(g.mostRepeated);
    return {};
}

}  // namespace

HeifResult ReadHeif(const QByteArray& data, const std::function<QString(QSize)>& sizeError) {
    HeifResult r;
    // A grid's tiles are counted before libheif reads the file: reading
    // thousands of items costs it time of its own.
    const HeifGrid grid = ReadHeifGrid(data);
    r.error = GridError(grid);
    if (!r.error.isEmpty()) return r;
    Heif heif;
    if (!OpenPrimary(data, heif, r)) return r;
    const QSize claimed(heif_image_handle_get_width(heif.handle.get()), heif_image_handle_get_height(heif.handle.get()));
    // A grid decodes to the size its tiles make, whatever its item says:
    // that size is the one checked.
    const QSize size = grid.grid ? grid.output : claimed;
    r.error = sizeError(size);
    if (!r.error.isEmpty()) return r;
    // Nor does libheif make anything much larger: no tile, no other item.
    heif_context_set_maximum_image_size_limit(heif.ctx.get(), std::max(size.width(), size.height()) * 2 + 256);
    const bool alpha = heif_image_handle_has_alpha_channel(heif.handle.get()) != 0;
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(heif.handle.get()) != 0;
    // Opaque pictures are widened into the game's format as they come out;
    // the picture is mapped in while libheif decodes.
    NewPicture target = alpha || size != claimed ? NewPicture() : MakeNewPicture(size);
    heif_image* img = DecodeRgb(heif.handle.get(), alpha, r);
    if (!img) return r;
    r.toSrgb = ColourOf(heif.handle.get());
    TakePixels(img,
               !alpha          ? QImage::Format_RGB888
               : premultiplied ? QImage::Format_RGBA8888_Premultiplied
                               : QImage::Format_RGBA8888,
               target, r);
    return r;
}

QStringList HeifPatterns() {
    QStringList p;
    if (CanDecode(heif_compression_HEVC)) p << QStringLiteral("*.heic") << QStringLiteral("*.heif") << QStringLiteral("*.hif");
    if (CanDecode(heif_compression_AV1)) p << QStringLiteral("*.avif");
    return p;
}

QStringList HeifMimeTypes() {
    QStringList m;
    if (CanDecode(heif_compression_HEVC)) m << QStringLiteral("image/heic") << QStringLiteral("image/heif");
    if (CanDecode(heif_compression_AV1)) m << QStringLiteral("image/avif");
    return m;
}

}  // namespace pz
