#include "game/picture/heifpicture.h"

#include <libheif/heif.h>

#include <algorithm>
#include <future>
#include <memory>

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

HeifResult ReadHeif(const QByteArray& data, const std::function<QString(QSize)>& sizeError) {
    HeifResult r;
    std::unique_ptr<heif_context, ContextFree> ctx(heif_context_alloc());
    if (!ctx) {
        r.error = QStringLiteral("out of memory");
        return r;
    }
    heif_error err =
        heif_context_read_from_memory_without_copy(ctx.get(), data.constData(), size_t(data.size()), nullptr);
    if (err.code != heif_error_Ok) {
        r.notHeif = err.code == heif_error_Invalid_input && err.subcode == heif_suberror_No_ftyp_box;
        r.error = Why(err);
        return r;
    }
    heif_image_handle* raw = nullptr;
    err = heif_context_get_primary_image_handle(ctx.get(), &raw);
    std::unique_ptr<heif_image_handle, HandleFree> handle(raw);
    if (err.code != heif_error_Ok || !handle) {
        r.error = Why(err);
        return r;
    }
    const int w = heif_image_handle_get_width(handle.get());
    const int h = heif_image_handle_get_height(handle.get());
    r.error = sizeError(QSize(w, h));
    if (!r.error.isEmpty()) return r;
    // A grid may decode larger than its item says; libheif refuses anything
    // wider or taller than what was checked.
    heif_context_set_maximum_image_size_limit(ctx.get(), std::max(w, h) * 2 + 256);
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle.get()) != 0;
    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    options->ignore_transformations = 0;   // rotation and mirror boxes make it upright
    options->strict_decoding = 1;          // coded data with errors is damage, not a warning
    // Opaque pictures are widened into the game's format as they come out;
    // the picture is mapped in while libheif decodes.
    NewPicture target = alpha ? NewPicture() : MakeNewPicture(QSize(w, h));
    heif_image* img = nullptr;
    err = heif_decode_image(handle.get(), &img, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    if (err.code != heif_error_Ok || !img) {
        if (img) heif_image_release(img);
        r.error = Why(err);
        return r;
    }
    if (heif_image_get_decoding_warnings(img, 0, nullptr, 0) > 0) {
        heif_error warning{};
        heif_image_get_decoding_warnings(img, 0, &warning, 1);
        heif_image_release(img);
        r.error = Why(warning);
        return r;
    }
    r.toSrgb = ColourOf(handle.get());
    int stride = 0;
    const uint8_t* bits = heif_image_get_plane_readonly(img, heif_channel_interleaved, &stride);
    const int iw = heif_image_get_width(img, heif_channel_interleaved);
    const int ih = heif_image_get_height(img, heif_channel_interleaved);
    if (!bits || iw <= 0 || ih <= 0) {
        heif_image_release(img);
        r.error = QStringLiteral("the picture could not be decoded");
        return r;
    }
    if (target.mapping.valid()) target.mapping.wait();
    if (!target.image.isNull() && target.image.size() == QSize(iw, ih)) {
        Widen(bits, stride, target.image);
        heif_image_release(img);
        r.image = std::move(target.image);
        return r;
    }
    // The image borrows libheif's pixels and gives them back when it goes.
    const QImage::Format format = !alpha          ? QImage::Format_RGB888
                                  : premultiplied ? QImage::Format_RGBA8888_Premultiplied
                                                  : QImage::Format_RGBA8888;
    r.image = QImage(bits, iw, ih, stride, format,
                     [](void* p) { heif_image_release(static_cast<heif_image*>(p)); }, img);
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
