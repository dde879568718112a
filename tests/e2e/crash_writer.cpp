// Saves a puzzle state and the best times over and over, as fast as it can,
// until it is killed. Used by the crash-safety test, which kills it with
// SIGKILL in the middle of writing.
//
//   crash_writer PROGRAMDIR PICTURE STATEFILE
#include <QApplication>
#include <cstdio>

#include "shell/harness.h"

using namespace pz;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 4) return 2;
    test::GameFixture game;
    game.Reset({{"Number of Pieces", "324"}});
    if (!game.Start(1400, 1000)) return 2;
    SetProgramDirectory(a[1]);
    game.OpenWith(a[2]);
    Globals& g = game.g_;
    if (!g.PuzzleLoaded) return 3;
    frmMain& w = *game.w_;
    for (long i = 0;; ++i) {
        // Every save differs from the one before: the time and a position.
        g.ElapsedSeconds = int32_t(i);
        w.model().Pieces[1].X = int32_t(10 + i % 100);
        game.files_.answers.push_back(a[3]);
        w.mnuFileSavePuzzleState_Click();
        w.ChangeBestTimes([i](BestTimesTable& t) {
            t[1] = {.PlayerName = "writer", .Seconds = int16_t(i % 60), .PieceTotal = 324, .PictureName = ""};
        });
        if (!game.prompts_.messages.isEmpty()) return 4;
        if (i == 0) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
}
