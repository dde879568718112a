// Opening a large photo: from the player's choice to the first composed frame,
// against decoding the same JPEG alone.
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include "floor.h"
#include "game/persist/programdir.h"
#include "game/shell/frmmain.h"
#include "shell/harness.h"

using namespace pz;

namespace {

// A 6000 x 4000 JPEG with real detail, made once per run.
QString BigJpeg(const QTemporaryDir& dir) {
    const QString path = dir.filePath("big.jpg");
    if (QFile::exists(path)) return path;
    QImage img(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = qRgb((x * 13 + y * 7) & 0xff, (x ^ y) & 0xff, ((x / 40 + y / 40) * 37) & 0xff);
    }
    img.save(path, "JPEG", 90);
    return path;
}

void BM_OpenLargeJpegToFirstFrame(benchmark::State& state) {
    QTemporaryDir dir;
    SetProgramDirectory(dir.path());
    const QString jpeg = BigJpeg(dir);
    const double decode = bench::MedianSeconds([&] {
        QImageReader r(jpeg);
        QImage img = r.read();
        benchmark::DoNotOptimize(img.bits());
    }, 3);

    test::GameFixture game;
    if (!game.Start(1920, 1080 + 60)) state.SkipWithError("no window");
    SetProgramDirectory(dir.path());
    Globals& g = game.g_;
    g.NumberOfPieces = 324;
    bench::Measure(state, decode, "decode_only", [&] {
        game.files_.answers.push_back(jpeg);
        game.w_->mnuFileOpen_Click();   // ends with the first frame composed
    });
    if (!g.PuzzleLoaded || !game.prompts_.messages.isEmpty()) state.SkipWithError("the picture did not open");
    state.SetLabel(std::to_string(g.NumColumns) + "x" + std::to_string(g.NumRows));
}
BENCHMARK(BM_OpenLargeJpegToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
