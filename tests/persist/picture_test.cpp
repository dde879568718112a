// Pictures as cameras, phones and the web write them, made here with the
// tools the build installs: each opens upright with the right pixels, or gets
// its message.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>

#include "game/picture/picture.h"
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

}  // namespace

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
        {"png-named.jpg", bytes([&] { return test::ReadFile(base); }), &picture, 0, {}},
        {"empty.jpg", bytes([] { return QByteArray(); }), none, 0, "the file is empty."},
        {"short.jpg", cut(big, 0.6), none, 0, "the file ends before the picture does"},
        {"short-turned.jpg", cut(turned, 0.6), none, 0, "the file ends before the picture does"},
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
