// Composing frames and cutting, at the sizes a full-HD screen gives.
#include <algorithm>

#include "floor.h"
#include "testutil.h"

using namespace pz;

namespace {

// A puzzle cut for a 1920 x 1080 play area, scattered, everything loose.
test::CutPuzzle Scattered(int cols, int rows) {
    auto c = test::MakeCut(cols, rows, 1900, 1060, 1920, 1080);
    ClockRandom rnd(1);
    Scramble(c.g, c.m, 1920, 1080, rnd);
    c.s.OutlinePieces = true;
    c.s.ViewPreview = true;
    return c;
}

void BM_ComposeFrame(benchmark::State& state) {
    const int cols = int(state.range(0)), rows = int(state.range(1));
    auto c = Scattered(cols, rows);
    Surface bb(1920, 1080);
    BandWorker worker;
    ComposeFrame(c.s, c.g, c.m, c.images, c.cache, bb, &worker);   // warm the run tables
    bench::Measure(state, bench::FrameCopySeconds(), "frame_copy",
                   [&] { ComposeFrame(c.s, c.g, c.m, c.images, c.cache, bb, &worker); });
    state.SetLabel(std::to_string(cols * rows) + " pieces");
}
BENCHMARK(BM_ComposeFrame)->Args({18, 18})->Args({40, 25})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CutPieces(benchmark::State& state) {
    auto c = test::MakeCut(18, 18, 1900, 1060, 1920, 1080);
    const double reference = bench::MedianSeconds([&] {
        auto r = CutPiecesReference(c.g, c.m, c.whole);
        benchmark::DoNotOptimize(r.data());
    }, 5);
    bench::Measure(state, reference, "reference_cut", [&] {
        auto r = CutPieces(c.g, c.m, c.whole);
        benchmark::DoNotOptimize(r.data());
    });
    state.SetLabel("324 pieces");
}
BENCHMARK(BM_CutPieces)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
