// One of two games finishing puzzles against the same best-times file, for
// the best-times test: a real main window offscreen that opens a picture and
// then follows commands from standard input, one a line:
//
//   finish SECONDS   solves the puzzle timed at SECONDS; at the name prompt
//                    says "name?" and takes the next line as the name
//   clear            View > Best Times..., Clear All, Yes, OK
//
// It says "ready" once the picture is open and "done" after each command.
//
//   game_child PROGRAMDIR PICTURE
#include <QApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "game/dialogs/frmbesttimes.h"
#include "shell/harness.h"

using namespace pz;

namespace {
void Say(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}
std::string NextLine() {
    std::string line;
    std::getline(std::cin, line);
    return line;
}
// The name prompt waits for the test, which lets the other game finish first.
struct AskingPrompts : test::RecordingPrompts {
    QString InputBox(QWidget*, const QString&, const QString&) override {
        Say("name?");
        return QString::fromStdString(NextLine());
    }
};
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 3) return 2;
    test::GameFixture game;
    game.Reset({{"Number of Pieces", "12"}});
    AskingPrompts prompts;
    SetProgramDirectory(a[1]);
    frmMain w(game.g_, MainServices{game.store_, game.files_, prompts, game.random_});
    w.resize(900, 700);
    w.Form_Load();
    game.files_.answers.push_back(a[2]);
    w.mnuFileOpen->trigger();
    if (!game.g_.PuzzleLoaded) return 3;
    Say("ready");
    for (std::string command; std::getline(std::cin, command);) {
        if (command.rfind("finish ", 0) == 0) {
            w.mnuFileScramble->trigger();
            game.g_.ElapsedSeconds = std::stoi(command.substr(7));
            w.mnuFileSolve->trigger();
        } else if (command == "clear") {
            prompts.yesAnswers.push_back(true);
            QTimer::singleShot(0, [] {
                auto* dlg = qobject_cast<frmBestTimes*>(QApplication::activeModalWidget());
                if (!dlg) return;
                dlg->cmdClearAll->click();
                dlg->OKButton->click();
            });
            w.mnuViewBestTimes->trigger();
        }
        Say("done");
    }
    w.FlushWorkingFile();
    return 0;
}
