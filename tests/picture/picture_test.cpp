// Pictures as cameras, phones and the web write them, made here with the
// tools the build installs: each opens upright with the right pixels, or gets
// its message.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QtEndian>
#include <functional>
#include <lcms2.h>
#include <libheif/heif.h>

#include "game/picture/picture.h"
#include "game/picture/wall.h"
#include "bombs.h"
#include "heifgrid.h"
#include "testutil.h"

using namespace pz;

namespace {

bool RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// 16 x 16 blocks of distinct colours: any turn, mirror or shift shows, and
// lossy coders keep each block's colour.
QImage Blocks(QSize size, bool grey = false) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int bx = x / 16, by = y / 16, v = 20 + 50 * bx + 30 * by;
            img.setPixel(x, y, grey ? qRgb(v, v, v) : qRgb(40 + 60 * bx, 30 + 70 * by, 240 - 45 * (bx + by)));
        }
    return img;
}

// The largest difference of any channel, over every pixel or, for a lossy
// coder, over the blocks' middles; a different size is the worst.
int MaxDiff(const QImage& a, const QImage& b, bool lossy = false) {
    if (a.size() != b.size() || a.isNull()) return 256;
    int worst = 0;
    const int step = lossy ? 16 : 1, from = lossy ? 8 : 0;
    for (int y = from; y < a.height(); y += step)
        for (int x = from; x < a.width(); x += step) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// The picture as a camera stores it when the tag says how to show it: the
// tag's definition, where the stored image's first row and first column lie
// in the upright picture.
QImage Stored(const QImage& upright, int tag) {
    const int w = upright.width(), h = upright.height();
    QImage out(tag >= 5 ? QSize(h, w) : QSize(w, h), QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QPoint at[9] = {{}, {x, y}, {w - 1 - x, y}, {w - 1 - x, h - 1 - y}, {x, h - 1 - y},
                                  {y, x}, {y, w - 1 - x}, {h - 1 - y, w - 1 - x}, {h - 1 - y, x}};
            out.setPixel(at[tag], upright.pixel(x, y));
        }
    return out;
}

// The same HEIF file with only the generic brands: major mif1, the
// compatible heic/avif brands made miaf.
QByteArray Generic(QByteArray heif) {
    const int end = std::min<int>(qFromBigEndian<quint32>(heif.constData()), int(heif.size()));
    heif.replace(8, 4, "mif1");
    for (int at = 16; at + 4 <= end; at += 4)
        if (heif.mid(at, 4) != "mif1") heif.replace(at, 4, "miaf");
    return heif;
}

QByteArray Saved(cmsHPROFILE p) {
    cmsUInt32Number n = 0;
    cmsSaveProfileToMem(p, nullptr, &n);
    QByteArray icc(qsizetype(n), '\0');
    cmsSaveProfileToMem(p, icc.data(), &n);
    cmsCloseProfile(p);
    return icc;
}

// A matrix profile whose primaries move every hue, as a tagged photo's
// would, only more: stored red is meant as blue.
QByteArray TurnedHues(double version, const cmsCIExyYTRIPLE& primaries = {{0.15, 0.06, 1}, {0.64, 0.33, 1}, {0.30, 0.60, 1}},
                      bool srgbCurve = false) {
    const cmsCIExyY white{0.3127, 0.3290, 1};
    const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = srgbCurve ? cmsBuildParametricToneCurve(nullptr, 4, srgb) : cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsSetProfileVersion(p, version);
    return Saved(p);
}

// A table profile (ICC v4, RGB to Lab through a grid) that turns the
// channels round.
QByteArray TurnedTable() {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_16, lab, TYPE_Lab_16, INTENT_PERCEPTUAL, 0);
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 4.3);
    cmsSetDeviceClass(p, cmsSigInputClass);
    cmsSetColorSpace(p, cmsSigRgbData);
    cmsSetPCS(p, cmsSigLabData);
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 3, 3);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 17, 3, 3, nullptr);
    cmsStageSampleCLut16bit(grid, [](const cmsUInt16Number in[], cmsUInt16Number out[], void* t) {
        const cmsUInt16Number turned[3] = {in[2], in[0], in[1]};
        cmsDoTransform(t, turned, out, 1);
        return TRUE;
    }, toLab, 0);
    // Saved as lutAtoBType: curves, grid, curves.
    cmsPipelineInsertStage(lut, cmsAT_BEGIN, grid);
    cmsPipelineInsertStage(lut, cmsAT_BEGIN, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(p, cmsSigAToB0Tag, lut);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsMLU* name = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(name, "en", "US", "turned table");
    cmsWriteTag(p, cmsSigProfileDescriptionTag, name);
    cmsMLUfree(name);
    cmsPipelineFree(lut);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    return Saved(p);
}

QByteArray LinearGrey() {
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE p = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsFreeToneCurve(linear);
    return Saved(p);
}

// A lossless HEIF or AVIF of the picture whose colour box is the coded
// description (nclx) of these primaries and transfer, as phones write it;
// heif-enc of this libheif writes none.
bool CodedHeif(const QImage& picture, int primaries, int transfer, bool av1, const QString& out) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    heif_context* ctx = heif_context_alloc();
    heif_image* img = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &img);
    heif_image_add_plane(img, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(img, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y) memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, uint16_t(primaries));
    heif_nclx_color_profile_set_transfer_characteristics(nclx, uint16_t(transfer));
    heif_nclx_color_profile_set_matrix_coefficients(nclx, 0);   // RGB as it is: lossless
    nclx->full_range_flag = 1;
    heif_image_set_nclx_color_profile(img, nclx);
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(ctx, av1 ? heif_compression_AV1 : heif_compression_HEVC, &encoder);
    heif_encoder_set_lossless(encoder, 1);
    heif_encoder_set_parameter(encoder, "chroma", "444");
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->macOS_compatibility_workaround_no_nclx_profile = 0;
    options->output_nclx_profile = nclx;
    const bool ok = heif_context_encode_image(ctx, img, encoder, options, nullptr).code == heif_error_Ok &&
                    heif_context_write_to_file(ctx, QFile::encodeName(out).constData()).code == heif_error_Ok;
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    heif_nclx_color_profile_free(nclx);
    heif_image_release(img);
    heif_context_free(ctx);
    return ok;
}

// What Little CMS's own tool makes of a picture with this profile, in sRGB.
QImage Tificc(const QImage& picture, const QByteArray& icc, bool grey, const QString& dir) {
    const QString in = dir + "/tificc-in.tif", out = dir + "/tificc-out.tif", profile = dir + "/tificc.icc";
    if (!picture.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888).save(in) ||
        !test::WriteFile(profile, icc) || !RunTool("tificc", {"-i", profile, "-t", "0", in, out}))
        return {};
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}

}  // namespace

// Each profile in each kind of file that carries one: its pixels as Little
// CMS's tificc converts them to sRGB; an sRGB or damaged profile changes no
// pixel of the picture stored.
TEST(Picture, ProfiledPicturesShowTheirSrgbColours) {
    QTemporaryDir dir;
    const QImage colours = Blocks({64, 48}), greys = Blocks({64, 48}, true).convertToFormat(QImage::Format_Grayscale8);
    const QByteArray p3 = TurnedHues(4.3, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, true);
    const struct Profile {
        const char* name;
        QByteArray icc;
        bool grey, moves;
    } profiles[] = {
        {"hues2", TurnedHues(2.1), false, true},      {"hues4", TurnedHues(4.3), false, true},
        {"table", TurnedTable(), false, true},        {"grey", LinearGrey(), true, true},
        {"srgb", Saved(cmsCreate_sRGBProfile()), false, false},
        {"damaged", TurnedHues(2.1).left(300), false, false},
    };
    ASSERT_FALSE(profiles[2].icc.isEmpty());
    // Written untagged by Qt or heif-enc (losslessly), then given the profile.
    auto tag = [&](const QString& file, const QByteArray& icc) {
        return test::WriteFile(dir.filePath("p.icc"), icc) &&
               RunTool("exiftool", {"-q", "-overwrite_original", "-icc_profile<=" + dir.filePath("p.icc"), file});
    };
    auto heif = [&](const QString& png, const QString& out) {
        return RunTool("heif-enc", {"-L", "-p", "chroma=444", "--matrix_coefficients=0", png, "-o", out});
    };
    for (const Profile& p : profiles) {
        for (const char* kind : {"jpg", "png", "webp", "tif", "heic", "avif"}) {
            const bool heifKind = QByteArray(kind) == "heic" || QByteArray(kind) == "avif";
            if (p.grey && (heifKind || QByteArray(kind) == "webp")) continue;
            const QString name = QStringLiteral("%1.%2").arg(p.name, kind);
            const QString plain = dir.filePath("plain-" + name), tagged = dir.filePath(name);
            const QImage& source = p.grey ? greys : colours;
            if (heifKind) {
                const QString png = dir.filePath(QStringLiteral("%1.png").arg(p.name));
                ASSERT_TRUE(source.save(png) && heif(png, plain) && tag(png, p.icc) && heif(png, tagged)) << name.toStdString();
            } else {
                ASSERT_TRUE(source.save(plain, nullptr, 100) && QFile::copy(plain, tagged) && tag(tagged, p.icc)) << name.toStdString();
            }
            const PictureResult stored = ReadPicture(plain), shown = ReadPicture(tagged);
            ASSERT_FALSE(stored.image.isNull()) << name.toStdString();
            if (!p.moves) {
                EXPECT_TRUE(shown.image == stored.image) << name.toStdString();
                continue;
            }
            const QImage expected = Tificc(stored.image, p.icc, p.grey, dir.path());
            EXPECT_GT(MaxDiff(stored.image, expected), 20) << name.toStdString();   // the profile does move colours
            EXPECT_LE(MaxDiff(shown.image, expected), 2) << name.toStdString() << " " << shown.error.toStdString();
        }
    }
    // HEIF's coded description of Display P3 (the phones'), as the same
    // primaries in a profile give them; BT.709's is sRGB's and changes nothing.
    for (const bool av1 : {false, true}) {
        const QString p3File = dir.filePath(av1 ? "p3.avif" : "p3.heic"), bt709 = dir.filePath(av1 ? "709.avif" : "709.heic");
        ASSERT_TRUE(CodedHeif(colours, 12, 13, av1, p3File) && CodedHeif(colours, 1, 1, av1, bt709));
        const QImage plain = ReadPicture(bt709).image, expected = Tificc(plain, p3, false, dir.path());
        EXPECT_EQ(MaxDiff(plain, colours), 0) << av1;
        EXPECT_GT(MaxDiff(plain, expected), 8);
        EXPECT_LE(MaxDiff(ReadPicture(p3File).image, expected), 2) << av1;
    }
}

// Small files that declare or cost far more than they hold: each gets its
// message before anything of the size it claims is allocated, in moments.
TEST(Picture, HostileFilesAreRefusedBeforeTheyCost) {
    QTemporaryDir dir;
    const QString small = dir.filePath("small.jpg"), plain = dir.filePath("plain.jpg"), png = dir.filePath("p.png");
    ASSERT_TRUE(Blocks({64, 48}).save(png) &&
                RunTool("/usr/bin/convert", {png, "-interlace", "Plane", "-sampling-factor", "1x1", "-quality", "90", small}) &&
                RunTool("/usr/bin/convert", {png, "-quality", "90", plain}));
    // HEIF grids of 64 x 64 tiles: four that tile the picture open as it.
    QList<QByteArray> quarters;
    for (const QPoint at : {QPoint(0, 0), QPoint(64, 0), QPoint(0, 64), QPoint(64, 64)}) {
        const QString tile = dir.filePath("tile.png"), heic = dir.filePath("tile.heic");
        ASSERT_TRUE(Blocks({128, 128}).copy(QRect(at, QSize(64, 64))).save(tile) &&
                    RunTool("heif-enc", {"-q", "95", tile, "-o", heic}));
        quarters << test::ReadFile(heic);
    }
    auto grid = [&](int rows, int columns, QSize output, QSize claimed, int tiles, int references) {
        return test::GridHeif(quarters, {rows, columns, output, claimed, QSize(64, 64), tiles, references});
    };
    ASSERT_TRUE(test::WriteFile(dir.filePath("grid.heic"), grid(2, 2, {128, 128}, {128, 128}, 4, 4)));
    const PictureResult tiled = ReadPictureBehindWall(dir.filePath("grid.heic"));
    EXPECT_LE(MaxDiff(tiled.image, Blocks({128, 128}), true), 40) << tiled.error.toStdString();
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } bombs[] = {
        {"grid-larger.heic", grid(2, 2, {32767, 32767}, {960, 640}, 4, 4), "32767 x 32767 pixels; at most 32767 pixels either way and 536"},
        {"grid-missing.heic", grid(64, 64, {4096, 4096}, {4096, 4096}, 4, 4), "its grid of 64 x 64 tiles names 4)"},
        {"grid-repeated.heic", grid(64, 64, {4096, 4096}, {4096, 4096}, 1, 4096), "64 x 64 tiles names one tile 4096 times"},
        {"grid-many.heic", grid(65, 64, {4096, 4160}, {4096, 4160}, 4160, 4160), "65 x 64 tiles; at most 4096 tiles"},
        {"grid-amplified.heic", grid(255, 256, {16384, 16320}, {16384, 16320}, 1, 65280), "255 x 256 tiles; at most 4096"},
        {"huge.jpg", test::JpegSized(test::ReadFile(small), 65000, 65000), "65000 x 65000 pixels; at most 32767 pixels either way"},
        {"coefficients.jpg", test::JpegSized(test::ReadFile(small), 30000, 17000), "needs more memory to decode than the game gives one picture"},
        {"scans.jpg", test::JpegScans(test::ReadFile(small), 5000), "more than 100 scans"},
        {"screen.gif", test::GifScreen(16383, 16383), "more than the game gives one picture"},
        {"wide-screen.gif", test::GifScreen(65535, 4095), "65535 x 4095 pixels; at most 32767"},
        {"deep.png", test::DeepPng(23000, 23000), "at 16 bits a channel would need"},
    };
    for (const auto& b : bombs) {
        const QString path = dir.filePath(b.name);
        ASSERT_TRUE(test::WriteFile(path, b.bytes));
        QElapsedTimer t;
        t.start();
        qint64 peak = 0;
        const PictureResult r = ReadPictureBehindWall(path, nullptr, &peak);
        EXPECT_TRUE(r.image.isNull() && r.error.contains(b.message)) << b.name << ": " << r.error.toStdString();
        EXPECT_LT(t.elapsed(), 3000) << b.name;
        // What a refusal may cost at most: 300 MB, 600 MB for HEIF.
        const qint64 limit = qint64(QByteArray(b.name).endsWith(".heic") ? 600 : 300) << 20;
        EXPECT_TRUE(peak > 0 && peak < limit) << b.name << ": " << peak;
    }
    // A sparse file of 8 GiB that starts like a JPEG is not read.
    {
        QFile f(dir.filePath("sparse.jpg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(test::ReadFile(plain)) > 0 && f.resize(qint64(8) << 30));
    }
    const PictureResult sparse = ReadPictureBehindWall(dir.filePath("sparse.jpg"));
    EXPECT_TRUE(sparse.image.isNull() && sparse.error.contains("far more than a picture the game can take")) << sparse.error.toStdString();
    // Within its limits a JPEG of many scans still opens.
    EXPECT_FALSE(ReadPictureBehindWall(small).image.isNull());
}

// Through the wall a picture comes back as the decoders make it in process;
// a decoder that crashes, overruns or reaches for a file is stopped and
// told of.
TEST(Picture, TheWallHandsBackPicturesAndStopsDecodersThatMisbehave) {
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("p.jpg"), turned = dir.filePath("t.png"), heic = dir.filePath("p.heic");
    ASSERT_TRUE(Blocks({640, 480}).save(jpeg) && Stored(Blocks({64, 48}), 6).save(turned) &&
                RunTool("exiftool", {"-q", "-overwrite_original", "-n", "-Orientation=6", turned}) &&
                RunTool("heif-enc", {"-q", "80", turned, "-o", heic}));
    for (const QString& f : {jpeg, turned, heic}) {
        const PictureResult walled = ReadPictureBehindWall(f), bare = ReadPicture(f);
        EXPECT_TRUE(!walled.image.isNull() && walled.image == bare.image) << f.toStdString() << walled.error.toStdString();
    }
    const struct {
        const char* probe;
        const char* message;
    } probes[] = {
        {"crash", "the picture could not be read safely: the decoder stopped (Killed)"},
        {"spin", "the picture could not be read safely: reading it took more than 2 seconds"},
        {"open", "the picture could not be read safely: the decoder tried something no picture reader needs"},
    };
    qputenv("PUZZORA_DECODER_SECONDS", "2");
    for (const auto& p : probes) {
        qputenv("PUZZORA_DECODER_PROBE", p.probe);
        const PictureResult r = ReadPictureBehindWall(jpeg);
        EXPECT_TRUE(r.image.isNull() && r.error.startsWith(p.message)) << p.probe << ": " << r.error.toStdString();
    }
    // Memory offered unsealed and pulled away is not looked at: the picture
    // still comes back, and the game is not hit.
    qputenv("PUZZORA_DECODER_PROBE", "shrink");
    EXPECT_EQ(ReadPictureBehindWall(jpeg).image, ReadPicture(jpeg).image);
    qunsetenv("PUZZORA_DECODER_PROBE");
    qunsetenv("PUZZORA_DECODER_SECONDS");
}

TEST(Picture, EveryOrientationTagShowsTheUprightPicture) {
    QTemporaryDir dir;
    for (const QSize size : {QSize(64, 48), QSize(48, 64)}) {
        const QImage upright = Blocks(size);
        for (int tag = 1; tag <= 8; ++tag) {
            QStringList files;
            for (const char* format : {"jpg", "png", "webp", "tif"}) {
                files << dir.filePath(QStringLiteral("t%1-%2x%3.%4").arg(tag).arg(size.width()).arg(size.height()).arg(format));
                ASSERT_TRUE(Stored(upright, tag).save(files.last(), nullptr, 100));
            }
            ASSERT_TRUE(RunTool("exiftool", QStringList{"-q", "-overwrite_original", "-n",
                                                    QStringLiteral("-Orientation=%1").arg(tag)} + files));
            for (const QString& f : files) {
                const PictureResult r = ReadPicture(f);
                EXPECT_LE(MaxDiff(r.image, upright, f.endsWith("jpg")), f.endsWith("jpg") ? 12 : 0) << f.toStdString() << r.error.toStdString();
            }
        }
    }
}

TEST(Picture, OddFilesOpenOrGetTheirMessage) {
    QTemporaryDir dir;
    const QString base = dir.filePath("base.png"), bw = dir.filePath("bw.png"), grey = dir.filePath("grey.png"),
                  alpha = dir.filePath("alpha.png"), other = dir.filePath("other.png");
    const QImage picture = Blocks({64, 48});
    QImage mono = Blocks({64, 48}).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    // Transparent on the left, whatever colour the writer left there.
    QImage see = picture.convertToFormat(QImage::Format_ARGB32), seen = picture;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 32; ++x) see.setPixel(x, y, qRgba(x * 8, y * 5, 77, 0)), seen.setPixel(x, y, kTransparentBackground);
    const QString big = dir.filePath("big.jpg"), turned = dir.filePath("turned.jpg");
    ASSERT_TRUE(Blocks({640, 480}).save(big) && Blocks({640, 480}).save(turned) && picture.save(base) && mono.save(bw) &&
                Blocks({64, 48}, true).convertToFormat(QImage::Format_Grayscale8).save(grey) && see.save(alpha) &&
                Blocks({48, 64}).save(other) && RunTool("exiftool", {"-q", "-overwrite_original", "-n", "-Orientation=6", turned}));

    // ImageMagick writes what Qt cannot; a trailing "KIND:" names the kind.
    auto convert = [&](QStringList args) {
        return [args](const QString& out) {
            QStringList a = args;
            if (a.last().endsWith(':')) a.last() += out;
            else a << out;
            return RunTool("/usr/bin/convert", a);
        };
    };
    auto bytes = [](std::function<QByteArray()> make) {
        return [make](const QString& out) { return test::WriteFile(out, make()); };
    };
    auto cut = [&](const QString& from, double share) {
        return bytes([from, share] { const QByteArray b = test::ReadFile(from); return b.left(int(b.size() * share)); });
    };
    const QImage* none = nullptr;
    struct Case {
        QString name;
        std::function<bool(const QString&)> make;
        const QImage* expected;   // the pixels, or null for a message
        int tolerance;
        QString message;
    };
    const QImage turnedUpright = Stored(Blocks({640, 480}), 8), greyPicture = Blocks({64, 48}, true), monoPicture = mono.convertToFormat(QImage::Format_RGB32);
    const std::vector<Case> cases = {
        {"plain.jpg", convert({base, "-quality", "98"}), &picture, 12, {}},
        {"progressive.jpg", convert({base, "-interlace", "Plane", "-quality", "98"}), &picture, 12, {}},
        {"cmyk.jpg", convert({base, "-colorspace", "CMYK", "-quality", "98"}), &picture, 16, {}},
        {"grey.jpg", convert({grey, "-colorspace", "Gray", "-quality", "98"}), &greyPicture, 6, {}},
        {"deep.png", convert({base, "-depth", "16", "PNG48:"}), &picture, 0, {}},
        {"palette.png", convert({base, "PNG8:"}), &picture, 0, {}},
        {"interlaced.png", convert({base, "-interlace", "PNG"}), &picture, 0, {}},
        {"grey.png", convert({grey}), &greyPicture, 0, {}},
        {"interlaced.gif", convert({base, "-interlace", "GIF"}), &picture, 0, {}},
        {"animated.gif", convert({base, other}), &picture, 0, {}},
        {"transparent.png", convert({alpha}), &seen, 0, {}},
        {"transparent.gif", convert({alpha}), &seen, 0, {}},
        {"transparent.webp", [&](const QString& out) { return see.save(out, "WEBP", 100); }, &seen, 0, {}},
        {"mono.bmp", convert({bw, "-type", "Bilevel", "BMP3:"}), &monoPicture, 0, {}},
        {"four.bmp", convert({base, "-type", "Palette", "-colors", "16", "BMP3:"}), &picture, 0, {}},
        {"rle.bmp", convert({base, "-type", "Palette", "-compress", "RLE", "BMP3:"}), &picture, 0, {}},
        {"topdown.bmp",
         bytes([&] {
             // Rows stored top first, which a negative height says.
             RunTool("/usr/bin/convert", {base, "-type", "TrueColor", "BMP3:" + dir.filePath("true.bmp")});
             const QByteArray b = test::ReadFile(dir.filePath("true.bmp"));
             const int stride = 64 * 3, rows = 48, at = qFromLittleEndian<qint32>(b.constData() + 10);
             QByteArray flipped = b.left(at);
             for (int r = rows - 1; r >= 0; --r) flipped += b.mid(at + r * stride, stride);
             qToLittleEndian<qint32>(-rows, flipped.data() + 22);
             return flipped;
         }),
         &picture, 0, {}},
        {"photo.heic", [&](const QString& out) { return RunTool("heif-enc", {"-q", "95", base, "-o", out}); }, &picture, 40, {}},
        {"photo.avif", [&](const QString& out) { return RunTool("heif-enc", {"-A", "-q", "95", base, "-o", out}); }, &picture, 40, {}},
        {"several.heic", [&](const QString& out) { return RunTool("heif-enc", {"-q", "95", base, other, "-o", out}); }, &picture, 40, {}},
        // HEIF of the generic brand, alone and as a collection: libheif reads them.
        {"generic.heif", bytes([&] { return Generic(test::ReadFile(dir.filePath("photo.heic"))); }), &picture, 40, {}},
        {"generic-several.heif", bytes([&] { return Generic(test::ReadFile(dir.filePath("several.heic"))); }), &picture, 40, {}},
        {"png-named.jpg", bytes([&] { return test::ReadFile(base); }), &picture, 0, {}},
        {"empty.jpg", bytes([] { return QByteArray(); }), none, 0, "the file is empty."},
        {"short.jpg", cut(big, 0.6), none, 0, "the file ends before the picture does"},
        {"short-turned.jpg", cut(turned, 0.6), none, 0, "the file ends before the picture does"},
        {"short-cmyk.jpg", [&](const QString& out) { return convert({big, "-colorspace", "CMYK"})(out) && cut(out, 0.6)(out); },
         none, 0, "the file ends before the picture does"},
        {"short-progressive-cmyk.jpg",
         [&](const QString& out) { return convert({big, "-colorspace", "CMYK", "-interlace", "Plane"})(out) && cut(out, 0.6)(out); },
         none, 0, "the file ends before the picture does"},
        {"short.bmp", cut(dir.filePath("four.bmp"), 0.6), none, 0, "the file ends before the picture does"},
        {"short-masked.bmp", bytes([&] { QBuffer b; see.save(&b, "BMP"); return b.data().left(b.data().size() * 6 / 10); }), none, 0, "the file ends before the picture does"},
        {"short.gif", cut(dir.filePath("interlaced.gif"), 0.8), none, 0, "the file ends before the picture does"},
        {"no-end.jpg", bytes([&] { return test::ReadFile(turned).chopped(2); }), &turnedUpright, 12, {}},
        {"short.png", cut(dir.filePath("interlaced.png"), 0.6), none, 0, "the picture is damaged or incomplete"},
        {"short.heic", cut(dir.filePath("photo.heic"), 0.6), none, 0, ""},
        {"wide.bmp",
         bytes([] {   // a header alone: one plane of 24 bits, 40000 x 10
             QByteArray b(54, '\0');
             b.replace(0, 2, "BM");
             for (auto [at, v] : {std::pair{10, 54}, {14, 40}, {18, 40000}, {22, 10}, {26, 1 | 24 << 16}})
                 qToLittleEndian<qint32>(v, b.data() + at);
             return b;
         }),
         none, 0, "40000 x 10 pixels; at most 32767 pixels either way"},
        {"huge.ppm", bytes([] { return QByteArray("P6\n30000 20000\n255\n"); }), none, 0, "and 536 million in all"},
        {"text.png", bytes([] { return QByteArray("not a picture at all\n"); }), none, 0, "does not hold a picture"},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(c.make(path)) << c.name.toStdString();
        const PictureResult r = ReadPicture(path);
        if (c.expected) {
            EXPECT_LE(MaxDiff(r.image, *c.expected, c.tolerance > 0), c.tolerance) << c.name.toStdString() << ": " << r.error.toStdString();
            EXPECT_EQ(r.image.format(), QImage::Format_RGB32) << c.name.toStdString();
            // Pictures that are not turned come out as Qt's own reader gives them.
            if (c.name.endsWith(".jpg") && c.expected != &turnedUpright) {
                EXPECT_TRUE(r.image == QImage(path).convertToFormat(QImage::Format_RGB32)) << c.name.toStdString();
            }
        } else {
            EXPECT_TRUE(r.image.isNull() && r.error.contains(c.message)) << c.name.toStdString() << ": " << r.error.toStdString();
            EXPECT_FALSE(r.error.isEmpty()) << c.name.toStdString();
        }
    }
}
