// Opening a large photo: from the player's choice to the first composed frame,
// against decoding the same file alone in the same run.
#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include "floor.h"
#include "game/picture/heifpicture.h"
#include "game/persist/programdir.h"
#include "game/shell/frmmain.h"
#include "shell/harness.h"

using namespace pz;

namespace {

// A photo-sized picture with real detail.
QImage Detailed(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = qRgb((x * 13 + y * 7) & 0xff, (x ^ y) & 0xff, ((x / 40 + y / 40) * 37) & 0xff);
    }
    return img;
}

// A 6000 x 4000 JPEG; turned, it says (EXIF orientation 6) that the camera
// was held upright.
QString BigJpeg(const QTemporaryDir& dir, bool turned) {
    const QString path = dir.filePath(turned ? "turned.jpg" : "big.jpg");
    if (QFile::exists(path)) return path;
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    Detailed(6000, 4000).save(&jpeg, "JPEG", 90);
    const QByteArray exif("\xff\xe1\x00\x22" "Exif\0\0" "MM\0*\0\0\0\x08" "\0\x01" "\x01\x12\0\x03\0\0\0\x01\0\x06\0\0"
                          "\0\0\0\0", 36);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(turned ? jpeg.data().left(2) + exif + jpeg.data().mid(2) : jpeg.data());
    return path;
}

// The big JPEG with a Display P3 profile, as phones tag their photos: its
// colours are made sRGB as it opens.
QString ProfiledJpeg(const QTemporaryDir& dir) {
    const QString path = dir.filePath("p3.jpg");
    if (QFile::exists(path)) return path;
    const QByteArray jpeg = test::ReadFile(BigJpeg(dir, false)), icc = QColorSpace(QColorSpace::DisplayP3).iccProfile();
    const int length = 2 + 14 + int(icc.size());
    const QByteArray app2 = QByteArray("\xff\xe2") + char(length >> 8) + char(length & 0xff) + QByteArray("ICC_PROFILE\0\1\1", 14) + icc;
    test::WriteFile(path, jpeg.left(2) + app2 + jpeg.mid(2));
    return path;
}

// A 4000 x 3000 HEIC, as a 12-megapixel phone writes it.
QString BigHeic(const QTemporaryDir& dir) {
    const QString path = dir.filePath("phone.heic");
    if (QFile::exists(path)) return path;
    Detailed(4000, 3000).save(dir.filePath("phone.png"));
    QProcess::execute("heif-enc", {"-q", "85", dir.filePath("phone.png"), "-o", path});
    return path;
}

// From the Open command to the first frame of a 324-piece puzzle, against
// decode() alone: medians of five of each, taken in turns so that both see
// the machine alike, each open starting with the last one's working copy
// on disk.
void OpenToFirstFrame(benchmark::State& state, const QString& file, const std::function<void()>& decode) {
    const QString dir = QFileInfo(file).absolutePath();
    if (!QFile::exists(file)) return state.SkipWithError("the photo could not be made");
    test::GameFixture game;
    if (!game.Start(1920, 1080 + 60)) state.SkipWithError("no window");
    SetProgramDirectory(dir);
    game.s_.NumberOfPieces = 324;
    auto median = [](std::vector<double> v) { std::sort(v.begin(), v.end()); return v[v.size() / 2]; };
    std::vector<double> opens, floors;
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            game.w_->FlushWorkingFile();
            floors.push_back(bench::MedianSeconds(decode, 1));
            game.w_->FlushWorkingFile();
            opens.push_back(bench::MedianSeconds([&] {
                game.files_.answers.push_back(file);
                game.w_->mnuFileOpen_Click();   // ends with the first frame composed
            }, 1));
        }
        state.SetIterationTime(median(opens));
    }
    if (!game.Loaded() || !game.prompts_.messages.isEmpty()) return state.SkipWithError("the picture did not open");
    state.counters["ms"] = median(opens) * 1e3;
    state.counters["decode_only_ms"] = median(floors) * 1e3;
    state.counters["ratio"] = median(opens) / median(floors);
    state.SetLabel(std::to_string(game.grid().NumColumns) + "x" + std::to_string(game.grid().NumRows));
}

void DecodeWithQt(const QString& file) {
    QImageReader r(file);
    QImage img = r.read();
    benchmark::DoNotOptimize(img.bits());
}

QTemporaryDir& Photos() {
    static QTemporaryDir dir;
    return dir;
}

void BM_OpenLargeJpegToFirstFrame(benchmark::State& state) {
    const QString jpeg = BigJpeg(Photos(), false);
    OpenToFirstFrame(state, jpeg, [&] { DecodeWithQt(jpeg); });
}
BENCHMARK(BM_OpenLargeJpegToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The floor decodes without turning: what turning costs is in the figure.
void BM_OpenTurnedJpegToFirstFrame(benchmark::State& state) {
    const QString jpeg = BigJpeg(Photos(), true);
    OpenToFirstFrame(state, jpeg, [&] { DecodeWithQt(jpeg); });
}
BENCHMARK(BM_OpenTurnedJpegToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_OpenProfiledJpegToFirstFrame(benchmark::State& state) {
    const QString jpeg = ProfiledJpeg(Photos());
    OpenToFirstFrame(state, jpeg, [&] { DecodeWithQt(jpeg); });
}
BENCHMARK(BM_OpenProfiledJpegToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_OpenHeicToFirstFrame(benchmark::State& state) {
    const QString heic = BigHeic(Photos());
    OpenToFirstFrame(state, heic, [&] {
        QFile f(heic);
        f.open(QIODevice::ReadOnly);
        const QByteArray data = f.readAll();
        const HeifResult r = ReadHeif(data, [](QSize) { return QString(); });
        benchmark::DoNotOptimize(r.image.constBits());
    });
}
BENCHMARK(BM_OpenHeicToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
