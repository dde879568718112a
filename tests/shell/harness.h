#pragma once
// One main window with every service it needs, in a folder of its own: the
// whole-game tests, the crash writer and the benchmarks start their games
// here and play them with real mouse events on the play area.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "game/interaction/hittest.h"
#include "game/persist/programdir.h"
#include "game/shell/frmmain.h"
#include "shell/fakes.h"

namespace pz::test {

struct Game {
    QTemporaryDir dir;
    Globals g;
    MemorySettingsStore store;
    ScriptedFileDialogs files;
    RecordingPrompts prompts;
    ClockRandom random;
    std::unique_ptr<frmMain> w;

    explicit Game(uint64_t seed = 1) : random(seed) {}

    // A fresh window of width x height, started as the program starts; the
    // program folder (best times, working bitmap) is dir/program. True once
    // the window is shown.
    bool Start(int width = 900, int height = 700) {
        w.reset();
        const QString program = dir.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        SetProgramDirectory(program);
        w = std::make_unique<frmMain>(g, MainServices{store, files, prompts, random});
        w->resize(width, height);
        w->Form_Load();
        return QTest::qWaitForWindowExposed(w.get());
    }

    // A picture whose pixels differ enough to catch misplaced copies.
    QString MakePicture(const QString& name, int width, int height) {
        QImage img(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) img.setPixel(x, y, qRgb((x * 3) & 0xff, (y * 3) & 0xff, (x + y) & 0xff));
        const QString path = dir.filePath(name);
        img.save(path);
        return path;
    }

    // File > Open through the scripted dialog.
    void Open(const QString& path) {
        files.answers.push_back(path);
        w->mnuFileOpen->trigger();
        w->FlushWorkingFile();
    }

    QWidget* area() const { return w->picPuzzle(); }
    const PuzzleModel& m() const { return w->model(); }

    // A point of the play area where a press picks piece p (or a piece of
    // its group), or (-1, -1).
    QPoint PointOn(int p) const {
        const PuzzleModel& pm = m();
        const PieceInfo& pc = pm.Pieces[p];
        for (int v = 1; v < pm.PieceHeight + 2 * pm.MarginY; v += 2)
            for (int u = 1; u < pm.PieceWidth + 2 * pm.MarginX; u += 2) {
                const QPoint at(pc.X + u, pc.Y + v);
                if (at.x() < 0 || at.y() < 0 || at.x() >= area()->width() || at.y() >= area()->height()) continue;
                const int hit = FindPieceAt(g, pm, at.x(), at.y());
                if (hit && pm.Pieces[hit].Group == pc.Group) return at;
            }
        return {-1, -1};
    }

    // Presses on piece p, drags so that the piece picked ends with its image
    // at (x, y), releases. Returns the piece picked, 0 when none was.
    int DragTo(int p, int x, int y) {
        const QPoint from = PointOn(p);
        if (from.x() < 0) return 0;
        QTest::mousePress(area(), Qt::LeftButton, {}, from);
        const int s = m().SelectedPiece;
        if (!m().DraggingGroup) return 0;
        const int cx = (2 * m().MarginX + m().PieceWidth) / 2, cy = (2 * m().MarginY + m().PieceHeight) / 2;
        const int dx = m().Pieces[p].X - m().Pieces[s].X, dy = m().Pieces[p].Y - m().Pieces[s].Y;
        const QPoint to(x - dx + cx, y - dy + cy);
        QTest::mouseMove(area(), (from + to) / 2);
        QTest::mouseMove(area(), to);
        QTest::mouseRelease(area(), Qt::LeftButton, {}, to);
        return s;
    }
};

}  // namespace pz::test
