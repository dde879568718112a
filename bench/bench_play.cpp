// One step of play: a drag move, a resize, a join pass, a hit test.
#include <QApplication>

#include "floor.h"
#include "game/interaction/groups.h"
#include "game/interaction/hittest.h"
#include "game/interaction/play.h"
#include "game/persist/programdir.h"
#include "game/shell/frmmain.h"
#include "shell/harness.h"
#include "testutil.h"

using namespace pz;

namespace {

// 324 pieces in a play area of w x h, scattered, with pieces 1..40 of the
// top rows joined into one group (an 8 x 5 block).
test::CutPuzzle WithBigGroup(int w = 1920, int h = 1080) {
    auto c = test::MakeCut(18, 18, w - 20, h - 20, float(w), float(h));
    ClockRandom rnd(5);
    Scramble(c.g, c.m, float(w), float(h), rnd);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight;
    for (int r = 0; r < 5; ++r)
        for (int col = 0; col < 8; ++col) {
            const int p = r * 18 + col + 1;
            c.m.Pieces[p].X = w / 6 + col * W;
            c.m.Pieces[p].Y = h / 5 + r * H;
        }
    for (int r = 0; r < 5; ++r)
        for (int col = 0; col < 8; ++col) {
            const int16_t p = int16_t(r * 18 + col + 1);
            c.m.SelectedPiece = p;
            c.m.SelectedGroup = c.m.Pieces[p].Group;
            JoinPass(c.g, c.m, w, h);
        }
    c.s.ViewPreview = true;
    return c;
}

// One step of a drag as the game makes it: the group moves 3 pixels and
// only what it left and entered is drawn, from the frame without the group
// made when the drag began. Against one copy of a frame of the same size.
void BM_DragStep(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const bool group = state.range(2) != 0;
    auto c = WithBigGroup(w, h);
    if (c.m.Groups[c.m.Pieces[1].Group].PieceCount != 40) state.SkipWithError("group not built");
    Surface bb(w, h);
    BandWorker worker;
    ComposeFrame(c.s, c.g, c.m, c.images, c.cache, bb, &worker);
    c.m.SelectedPiece = group ? 20 : 200;
    ReOrderGroups(c.m);
    const int16_t g = c.m.Pieces[c.m.SelectedPiece].Group;
    DragLayer layer;
    layer.Begin(c.s, c.g, c.m, c.images, c.cache, bb, g);
    int step = 0;
    bench::Measure(state, bench::FrameCopySeconds(w, h), "frame_copy", [&] {
        const double x = w * 0.4 + (step % 40) * 3, y = h * 0.4 + (step % 30) * 2;
        ++step;
        Damage d;
        d.AddGroup(c.m, g);
        DragGroupTo(c.m, x, y, w, h);
        d.AddGroup(c.m, g);
        layer.Compose(c.s, c.g, c.m, c.images, c.cache, bb, d.Rects(w, h));
    });
    state.SetLabel(std::string(group ? "40-piece group" : "one piece") + ", 324 pieces, " + std::to_string(w) + "x" +
                   std::to_string(h));
}
BENCHMARK(BM_DragStep)
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// What a press adds: the frame without the picked piece, copied from the
// frame (the layer kept from an earlier drag) and its place composed again.
void BM_DragPress(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    auto c = WithBigGroup(w, h);
    Surface bb(w, h);
    ComposeFrame(c.s, c.g, c.m, c.images, c.cache, bb);
    c.m.SelectedPiece = 200;
    ReOrderGroups(c.m);
    DragLayer layer;
    bench::Measure(state, bench::FrameCopySeconds(w, h), "frame_copy",
                   [&] { layer.Begin(c.s, c.g, c.m, c.images, c.cache, bb, c.m.Pieces[200].Group); });
    state.SetLabel("one piece, 324 pieces, " + std::to_string(w) + "x" + std::to_string(h));
}
BENCHMARK(BM_DragPress)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_JoinPass(benchmark::State& state) {
    auto base = WithBigGroup();
    // Release the big group next to piece 9, its right neighbour.
    for (auto _ : state) {
        state.PauseTiming();
        PuzzleModel m = base.m;
        m.Pieces[9].X = m.Pieces[8].X + m.PieceWidth + 2;
        m.Pieces[9].Y = m.Pieces[8].Y - 1;
        m.SelectedPiece = 9;
        m.SelectedGroup = m.Pieces[9].Group;
        state.ResumeTiming();
        JoinPass(base.g, m, 1920, 1080);
        benchmark::DoNotOptimize(m.Pieces.data());
    }
    state.SetLabel("one piece released by a 40-piece group");
}
BENCHMARK(BM_JoinPass)->Unit(benchmark::kMicrosecond);

void BM_HitTestMiss(benchmark::State& state) {
    auto c = WithBigGroup();
    for (auto _ : state) benchmark::DoNotOptimize(FindPieceAt(c.g, c.m, 1919.5, 1079.5));
    state.SetLabel("all 285 groups tested");
}
BENCHMARK(BM_HitTestMiss)->Unit(benchmark::kMicrosecond);

void BM_ResizeStep(benchmark::State& state) {
    test::GameFixture game;
    game.Reset({{"Number of Pieces", "324"}});
    if (!game.Start(1920, 1140)) state.SkipWithError("no window");
    game.OpenWith(game.MakePicture("p.bmp", 1900, 1060));
    frmMain& w = *game.w_;
    if (!game.Loaded()) state.SkipWithError("no puzzle");
    int i = 0;
    bench::Measure(state, bench::FrameCopySeconds(), "frame_copy", [&] {
        w.resize(1920 - (i % 2) * 40, 1140 - (i % 2) * 30);   // resizes the play area synchronously
        ++i;
    });
    const Grid& grid = game.grid();
    state.SetLabel(std::to_string(grid.NumColumns * grid.NumRows) + " pieces, re-cut + rescale + align + frame");
}
BENCHMARK(BM_ResizeStep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// What keeping the puzzle costs the interface thread where it happens, at a
// release (never during a drag): the state file's bytes made, the write
// handed to its thread. 324 pieces at 3840 x 2160, against one frame copy.
void BM_KeepAtRelease(benchmark::State& state) {
    test::GameFixture game;
    if (!game.Start(3840, 2160 + 60)) return state.SkipWithError("no window");
    game.s_.NumberOfPieces = 324;
    game.OpenWith(game.MakePicture("keep.png", 3000, 2000));
    if (!game.Loaded() || !game.DragTo(1, 400, 400)) return state.SkipWithError("no puzzle played");
    game.w_->KeepPuzzle(true);   // the picture's copy, once per puzzle
    const double floor = bench::FrameCopySeconds(3840, 2160);
    std::vector<double> times;
    for (auto _ : state) {
        game.w_->FlushKeptPuzzle();   // the last write done, the puzzle changed again
        game.DragTo(2, 300 + int(times.size() % 50), 300);
        const auto t0 = std::chrono::steady_clock::now();
        game.w_->KeepTimer_Timer();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        state.SetIterationTime(times.back());
    }
    game.w_->FlushKeptPuzzle();
    std::sort(times.begin(), times.end());
    state.counters["median_us"] = times[times.size() / 2] * 1e6;
    state.counters["frame_copy_us"] = floor * 1e6;
    state.counters["ratio"] = times[times.size() / 2] / floor;
}
BENCHMARK(BM_KeepAtRelease)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(20);

}  // namespace
