// A game in a process of its own; says "ready" once going.
//   game_child save PROGRAMDIR PICTURE STATEFILE: saves the state and the best times over and over until killed.
//   game_child keep PROGRAMDIR PICTURE: moves a piece, then keeps the puzzle as the 30-second timer does
//   ("kept") and goes on until SIGTERM ends it as it ends the game.
//   game_child play PROGRAMDIR PICTURE: reads commands, each answered by "done": "finish SECONDS" solves the
//   puzzle timed at SECONDS (at the name prompt: "name?", then the next line), "clear" is Clear All.
#include <QApplication>
#include <cstdio>
#include <iostream>

#include "game/dialogs/frmbesttimes.h"
#include "game/shell/app.h"
#include "shell/harness.h"

using namespace pz;

namespace {
void Say(const char* what) { std::printf("%s\n", what), std::fflush(stdout); }
// The name prompt waits for the test, which lets the other game go first.
struct AskingPrompts : test::RecordingPrompts {
    QString InputBox(QWidget*, const QString&, const QString&) override {
        Say("name?");
        std::string name;
        std::getline(std::cin, name);
        return QString::fromStdString(name);
    }
};
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    const bool save = a.value(1) == "save";
    if (a.value(1) == "keep" && a.size() == 4) {
        test::GameFixture game;
        if (!game.Start(900, 700)) return 3;
        SetProgramDirectory(a[2]);
        EndOnSignals(*game.w_);
        game.OpenWith(a[3]);
        if (!game.Loaded() || !game.DragTo(1, 300, 300)) return 3;
        game.w_->KeepTimer_Timer();
        game.w_->FlushKeptPuzzle();
        Say("kept");
        return app.exec();
    }
    if (a.size() < (save ? 5 : 4)) return 2;
    test::GameFixture game;
    game.Reset({{"Number of Pieces", save ? "324" : "12"}});
    AskingPrompts prompts;
    SetProgramDirectory(a[2]);
    frmMain w(game.s_, MainServices{game.store_, game.files_, prompts, game.random_});
    w.resize(1400, 1000);
    w.Form_Load();
    game.files_.answers.push_back(a[3]);
    w.mnuFileOpen->trigger();
    for (long i = 0; save && w.session(); ++i) {
        // Every save differs from the one before: the time and a position.
        test::SessionAccess::Model(*w.session()).File.ElapsedSeconds = int32_t(i);
        test::SessionAccess::Model(*w.session()).Pieces[1].X = int32_t(10 + i % 100);
        game.files_.answers.push_back(a[4]);
        w.mnuFileSavePuzzleState_Click();
        w.ChangeBestTimes([i](BestTimesTable& t) { t[1] = {"writer", 0, 0, int16_t(i % 60), 324, ""}; });
        if (!prompts.messages.isEmpty()) return 4;
        if (i == 0) Say("ready");
    }
    if (!w.session()) return 3;
    Say("ready");
    for (std::string command; std::getline(std::cin, command); Say("done")) {
        if (command.rfind("finish ", 0) == 0) {
            w.mnuFileScramble->trigger();
            test::SessionAccess::Model(*w.session()).File.ElapsedSeconds = std::stoi(command.substr(7));
            w.mnuFileSolve->trigger();
        } else if (command == "clear") {
            prompts.yesAnswers.push_back(true);
            QTimer::singleShot(0, [] {
                auto* dlg = qobject_cast<frmBestTimes*>(QApplication::activeModalWidget());
                dlg->cmdClearAll->click();
                dlg->OKButton->click();
            });
            w.mnuViewBestTimes->trigger();
        }
    }
    w.FlushWorkingFile();
}
