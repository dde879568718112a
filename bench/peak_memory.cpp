// Peak memory of a 324-piece game made from a 6000 x 4000 photo: opens it
// through the Open command, waits for the working bitmap, composes a frame,
// and prints the process's peak resident size beside the decoded picture's.
#include <QApplication>
#include <QImageReader>
#include <cstdio>
#include <sys/resource.h>

#include "game/shell/frmmain.h"
#include "shell/harness.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: peak_memory PICTURE.jpg\n");
        return 2;
    }
    pz::test::GameFixture game;
    game.Reset({{"Number of Pieces", "324"}});
    if (!game.Start(1920, 1140)) return 1;
    game.OpenWith(QString::fromLocal8Bit(argv[1]));
    pz::frmMain& w = *game.w_;
    w.picPuzzle_Paint();
    QCoreApplication::processEvents();
    if (!game.Loaded()) return 1;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const QSize size = QImageReader(QString::fromLocal8Bit(argv[1])).size();
    const double decodedMb = double(size.width()) * size.height() * 4 / 1048576.0;
    const double peakMb = double(u.ru_maxrss) / 1024.0;
    std::printf("peak memory %.0f MB for %d pieces from %dx%d (decoded %.0f MB; target %.0f MB = 2 x decoded + 64)\n",
                peakMb, int(game.grid().NumColumns) * game.grid().NumRows, size.width(), size.height(), decodedMb,
                2 * decodedMb + 64);
    return 0;
}
