// Peak memory of a 324-piece game made from a 6000 x 4000 photo: opens it
// through the Open command, waits for the working bitmap, composes a frame,
// and prints the process's peak resident size beside the decoded picture's.
#include <QApplication>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

#include "game/persist/programdir.h"
#include "game/shell/frmmain.h"
#include "shell/fakes.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: peak_memory PICTURE.jpg\n");
        return 2;
    }
    QTemporaryDir dir;
    pz::SetProgramDirectory(dir.path());
    pz::Globals g;
    pz::MemorySettingsStore store;
    store.values["Number of Pieces"] = "324";
    pz::test::ScriptedFileDialogs files;
    pz::test::RecordingPrompts prompts;
    pz::ClockRandom rnd(1);
    pz::frmMain w(g, pz::MainServices{store, files, prompts, rnd});
    w.resize(1920, 1140);
    w.Form_Load();
    QCoreApplication::processEvents();
    files.answers.push_back(QString::fromLocal8Bit(argv[1]));
    w.mnuFileOpen_Click();
    w.FlushWorkingFile();
    w.picPuzzle_Paint();
    QCoreApplication::processEvents();
    if (!g.PuzzleLoaded) return 1;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const QSize size = QImageReader(QString::fromLocal8Bit(argv[1])).size();
    const double decodedMb = double(size.width()) * size.height() * 4 / 1048576.0;
    const double peakMb = double(u.ru_maxrss) / 1024.0;
    std::printf("peak memory %.0f MB for %d pieces from %dx%d (decoded %.0f MB; target %.0f MB = 2 x decoded + 64)\n",
                peakMb, int(g.NumColumns) * g.NumRows, size.width(), size.height(), decodedMb, 2 * decodedMb + 64);
    return 0;
}
