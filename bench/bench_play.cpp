// One step of play: a drag move, a resize, a join pass, a hit test.
#include <QApplication>
#include <QTemporaryDir>

#include "floor.h"
#include "game/interaction/groups.h"
#include "game/interaction/hittest.h"
#include "game/interaction/play.h"
#include "game/persist/programdir.h"
#include "game/shell/frmmain.h"
#include "shell/fakes.h"
#include "testutil.h"

using namespace pz;

namespace {

// 324 pieces at 1920 x 1080, with pieces 1..40 of the top rows joined into
// one group (an 8 x 5 block).
test::CutPuzzle WithBigGroup() {
    auto c = test::MakeCut(18, 18, 1900, 1060, 1920, 1080);
    ClockRandom rnd(5);
    Scramble(c.g, c.m, 1920, 1080, rnd);
    const int W = c.m.PieceWidth, H = c.m.PieceHeight;
    for (int r = 0; r < 5; ++r)
        for (int col = 0; col < 8; ++col) {
            const int p = r * 18 + col + 1;
            c.m.Pieces[p].X = 300 + col * W;
            c.m.Pieces[p].Y = 200 + r * H;
        }
    for (int r = 0; r < 5; ++r)
        for (int col = 0; col < 8; ++col) {
            const int16_t p = int16_t(r * 18 + col + 1);
            c.m.SelectedPiece = p;
            c.m.SelectedGroup = c.m.Pieces[p].Group;
            JoinPass(c.g, c.m, 1920, 1080);
        }
    c.g.ViewPreview = true;
    return c;
}

void BM_DragStep(benchmark::State& state) {
    auto c = WithBigGroup();
    if (c.m.Groups[c.m.Pieces[1].Group].PieceCount != 40) state.SkipWithError("group not built");
    Surface bb(1920, 1080);
    c.m.SelectedPiece = 20;
    ReOrderGroups(c.m);
    int step = 0;
    bench::Measure(state, bench::FrameCopySeconds(), "frame_copy", [&] {
        const double x = 700 + (step % 40) * 3, y = 400 + (step % 30) * 2;
        ++step;
        DragGroupTo(c.m, x, y, 1920, 1080);
        ComposeFrame(c.g, c.m, c.images, c.cache, bb);
    });
    state.SetLabel("40-piece group, 324 pieces");
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond)->UseRealTime();

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
    QTemporaryDir dir;
    SetProgramDirectory(dir.path());
    test::PatternPicture(1900, 1060).save(dir.filePath("p.bmp"));
    Globals g;
    MemorySettingsStore store;
    store.values["Number of Pieces"] = "324";
    test::ScriptedFileDialogs files;
    test::RecordingPrompts prompts;
    ClockRandom rnd(3);
    frmMain w(g, MainServices{store, files, prompts, rnd});
    w.resize(1920, 1140);
    w.Form_Load();
    QCoreApplication::processEvents();
    files.answers.push_back(dir.filePath("p.bmp"));
    w.mnuFileOpen_Click();
    if (!g.PuzzleLoaded) state.SkipWithError("no puzzle");
    int i = 0;
    bench::Measure(state, bench::FrameCopySeconds(), "frame_copy", [&] {
        w.resize(1920 - (i % 2) * 40, 1140 - (i % 2) * 30);   // resizes the play area synchronously
        ++i;
    });
    state.SetLabel(std::to_string(g.NumColumns * g.NumRows) + " pieces, re-cut + rescale + align + frame");
}
BENCHMARK(BM_ResizeStep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
