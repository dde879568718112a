#pragma once
// One main window with every service it needs, in a folder of its own: the
// whole-game tests, the crash writer and the benchmarks start their games
// here and play them with real mouse events on the play area.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <map>
#include <memory>

#include "game/interaction/hittest.h"
#include "game/persist/programdir.h"
#include "game/shell/frmmain.h"
#include "fakerandom.h"
#include "shell/fakes.h"
#include "testutil.h"

namespace pz::test {

// The members keep the names the tests use; a QtTest class takes them by
// deriving from QObject and then from this.
struct GameFixture {
    QTemporaryDir dir_;
    Globals g_;
    MemorySettingsStore store_;
    ScriptedFileDialogs files_;
    RecordingPrompts prompts_;
    ReplayRandom random_;
    std::unique_ptr<frmMain> w_;

    explicit GameFixture(uint64_t seed = 1) : random_(seed) {}

    // A new player: empty settings but those given, no messages or answers.
    void Reset(std::map<std::string, std::string> settings = {}) {
        w_.reset();
        store_.values = std::move(settings);
        prompts_ = RecordingPrompts();
        files_ = ScriptedFileDialogs();
    }

    // A new player's fresh window (Reset, then Start).
    bool Restart(std::map<std::string, std::string> settings = {}, int width = 900, int height = 700) {
        Reset(std::move(settings));
        return Start(width, height);
    }

    // A fresh window of width x height, started as the program starts with
    // the command line args; the program folder (best times, working
    // bitmap) is dir_/program. True once the window is shown.
    bool Start(int width = 900, int height = 700, const QStringList& args = {}) {
        w_.reset();
        g_ = Globals();
        const QString program = dir_.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        SetProgramDirectory(program);
        w_ = std::make_unique<frmMain>(g_, MainServices{store_, files_, prompts_, random_});
        w_->resize(width, height);
        w_->Form_Load(args);
        return QTest::qWaitForWindowExposed(w_.get());
    }

    // A picture whose pixels differ enough to catch misplaced copies.
    QString MakePicture(const QString& name, int width, int height) const {
        PatternPicture(width, height).save(dir_.filePath(name));
        return dir_.filePath(name);
    }

    // File > Open through the scripted dialog.
    void OpenWith(const QString& path) {
        files_.answers.push_back(path);
        w_->mnuFileOpen->trigger();
        w_->FlushWorkingFile();
    }

    QWidget* area() const { return w_->picPuzzle(); }
    PuzzleModel& m() const { return w_->model(); }

    // True when the frame shown is a whole frame composed afresh now.
    bool ShowsWholeFrame() const {
        const Surface& shown = w_->backBuffer();
        Surface fresh(shown.Width(), shown.Height());
        fresh.SetDevicePixelRatio(shown.Image().devicePixelRatio());
        DrawCache cache;
        ComposeFrame(g_, m(), w_->images(), cache, fresh);
        return fresh.Image() == shown.Image();
    }

    // True when the window shows the frame one to one, where it holds the
    // play area, once a drag step held back for the next refresh is out.
    bool WindowShowsFrame() const {
        PlayArea* area = w_->picPuzzle();
        for (QDeadlineTimer due(2000); area->HoldsBack() && !due.hasExpired();) QTest::qWait(1);
        QApplication::processEvents();
        const QImage* frame = area->frame ? area->frame() : nullptr;
        if (!frame || frame->isNull() || w_->isMinimized()) return true;
        const QRect at(area->mapTo(w_.get(), QPoint(0, 0)) * area->Ratio(), area->DeviceSize());
        const QImage win = w_->screen()->grabWindow(w_->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QRect part = at.intersected(QRect(at.topLeft(), frame->size())).intersected(win.rect());
        return part.isEmpty() || win.copy(part) == frame->copy(part.translated(-at.topLeft()));
    }

    // A point of the play area where a press picks piece p (or a piece of
    // its group), or (-1, -1).
    QPoint PointOn(int p) const {
        const PuzzleModel& pm = m();
        const PieceInfo& pc = pm.Pieces[p];
        for (int v = 1; v < pm.PieceHeight + 2 * pm.MarginY; v += 2)
            for (int u = 1; u < pm.PieceWidth + 2 * pm.MarginX; u += 2) {
                const QPoint at(pc.X + u, pc.Y + v);
                if (at.x() < 0 || at.y() < 0 || at.x() >= area()->width() || at.y() >= area()->height()) continue;
                const int hit = FindPieceAt(g_, pm, at.x(), at.y());
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
