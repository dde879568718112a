#pragma once
// One main window with every service it needs, in a folder of its own: the
// whole-game tests, the crash writer and the benchmarks start their games
// here and play them with real mouse events on the play area.
#include <QBackingStore>
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
    Settings s_;
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
        s_ = Settings();
        const QString program = dir_.filePath(QStringLiteral("program"));
        QDir().mkpath(program);
        SetProgramDirectory(program);
        w_ = std::make_unique<frmMain>(s_, MainServices{store_, files_, prompts_, random_});
        w_->resize(width, height);
        w_->Form_Load(args);
        return QTest::qWaitForWindowExposed(w_.get());
    }

    // The play area's top on an odd pixel, as under some desktops' toolbars.
    void OddTop() {
        if (area()->y() % 2 == 0) w_->Toolbar1()->setFixedHeight(w_->Toolbar1()->height() + 1);
        QApplication::processEvents();
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
    bool Loaded() const { return w_->session() != nullptr; }
    PuzzleModel& m() const { return SessionAccess::Model(*w_->session()); }
    const Grid& grid() const { return w_->session()->grid(); }

    // True when the frame shown is a whole frame composed afresh now.
    bool ShowsWholeFrame() const {
        const Surface& shown = w_->backBuffer();
        Surface fresh(shown.Width(), shown.Height());
        fresh.SetDevicePixelRatio(shown.Image().devicePixelRatio());
        DrawCache cache;
        ComposeFrame(s_, grid(), m(), w_->session()->images(), cache, fresh);
        return fresh.Image() == shown.Image();
    }

    // True when the window shows the whole back buffer one to one in the
    // screen pixels the play area holds (each edge rounded to the nearest, as
    // the toolkit clips), once a held-back drag step is out and the events
    // due are handled (unless told not to wait).
    bool WindowShowsFrame(bool settle = true) const {
        PlayArea* area = w_->picPuzzle();
        for (QDeadlineTimer due(2000); settle && area->HoldsBack() && !due.hasExpired();) QTest::qWait(1);
        if (settle) QApplication::processEvents();
        if (!Loaded() || w_->isMinimized()) return true;
        const double s = area->devicePixelRatio();
        const QRect r = area->geometry();
        const QRect at(QPoint(qRound(r.x() * s), qRound(r.y() * s)),
                       QPoint(qRound((r.x() + r.width()) * s) - 1, qRound((r.y() + r.height()) * s) - 1));
        const QPaintDevice* pd = w_->backingStore()->paintDevice();   // every pixel, unlike a grab at 1.5
        const QImage win = pd->devType() == QInternal::Image ? static_cast<const QImage*>(pd)->convertToFormat(QImage::Format_RGB32) : QImage();
        const QImage frame = w_->backBuffer().Image().convertToFormat(QImage::Format_RGB32);
        // A window below its least size (without the size control) holds
        // only part of the play area.
        return frame.size() == at.size() && (!win.rect().contains(at) || win.copy(at) == frame);
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
                const int hit = FindPieceAt(grid(), pm, at.x(), at.y());
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
        if (!w_->session()->LiftedGroup()) return 0;
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
