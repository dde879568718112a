// The game on a scaled screen (run with QT_SCALE_FACTOR at 2 and at 1.5):
// the puzzle is cut and drawn in screen pixels and shown one to one, the
// mouse is read in screen pixels, and what a player sees or feels scales.
#include <cmath>

#include "game/interaction/groups.h"
#include "shell/harness.h"

using namespace pz;

class TestScaled : public QObject, test::GameFixture {
    Q_OBJECT
    double scale_ = 1;

    void Open(int w, int h) {
        OpenWith(MakePicture("picture.png", w, h));
        QVERIFY(Loaded());
    }
    // A point of the play area in layout pixels, as the mouse gives it.
    QPoint Layout(double x, double y) const { return QPoint(int(std::ceil(x / scale_)), int(std::ceil(y / scale_))); }
private slots:
    void init() {
        QVERIFY(Restart());
        OddTop();   // and an odd height
        scale_ = w_->picPuzzle()->devicePixelRatio();
        QVERIFY2(scale_ > 1, "run with QT_SCALE_FACTOR above 1");
    }

    void cutAndShownInScreenPixels() {
        Open(2400, 1800);   // larger than the screen: cut at the screen's resolution
        const Surface& bb = w_->backBuffer();
        PlayArea* area = w_->picPuzzle();
        QCOMPARE(bb.Image().devicePixelRatio(), scale_);
        QVERIFY(m().PuzzleWidth > area->width());
        // Presented one to one and whole: the window shows the back buffer's
        // pixels, in just the screen pixels the play area holds.
        QVERIFY(area->height() % 2 && area->y() % 2);
        QVERIFY(WindowShowsFrame());

        // The caption bar, its gap and its text, and the outlines scale.
        const PuzzleModel& m = w_->session()->model();
        const RectL& c = m.View.PreviewCaptionRect;
        QCOMPARE(c.Bottom - c.Top, int(std::lround(17 * scale_)));
        QCOMPARE(c.Top, int(std::lround(4 * scale_)));
        QCOMPARE(m.View.PreviewRect.Top - c.Bottom, int(std::lround(scale_)));
        const Surface& bar = w_->frame().CaptionBar();
        int top = bar.Height(), bottom = -1;
        for (int y = 0; y < bar.Height(); ++y)
            for (int x = 0; x < bar.Width(); ++x)
                if (bar.Pixel(x, y) != uint32_t(s_.PreviewCaptionBack.ColorFill)) top = std::min(top, y), bottom = y;
        QVERIFY2(bottom - top + 1 > 12, "the caption text is as small as at scale 1");
        QCOMPARE(w_->session()->images().Lines.EdgeLineH.Height(), int(std::lround(scale_)));
        QCOMPARE(w_->session()->images().Lines.FrameLineV.Width(), int(std::lround(scale_)));

        // Moved to a screen of another scale: cut again before it is first
        // shown there, also when minimised at once; resized while minimised:
        // cut again when it comes back.
        QScreen* other = QGuiApplication::screens().value(1);   // from twoscreens.json
        QVERIFY(other && other->devicePixelRatio() != scale_);
        w_->move(other->geometry().topLeft());   // handled at once
        area->repaint();   // its first paint there
        QVERIFY(w_->screen() == other && WindowShowsFrame(false));
        for (const QSize by : {QSize(0, 0), QSize(31, -17)}) {
            w_->showMinimized();
            w_->resize(w_->size() + by);
            QApplication::processEvents();
            w_->showNormal();
            QVERIFY(ShowsWholeFrame() && WindowShowsFrame());
        }
    }

    // The pointer's way in screen pixels, and a frame drawn in parts during
    // the drag that is the whole frame (joining at a scaled tolerance is the
    // rules' own, tested there).
    void dragFollowsThePointerInScreenPixels() {
        Open(400, 300);
        PuzzleModel& m = test::SessionAccess::Model(*w_->session());
        const int piece = m.Groups[m.GroupOrder[m.GroupCount]].PieceList[1];   // the topmost
        const PieceInfo& p = m.Pieces[piece];
        PlayArea* area = w_->picPuzzle();
        const QPoint at = Layout(p.X + m.MarginX + m.PieceWidth / 2, p.Y + m.MarginY + m.PieceHeight / 2);
        QTest::mousePress(area, Qt::LeftButton, {}, at);
        QVERIFY(w_->session()->LiftedGroup());
        QTest::mouseMove(area, at + QPoint(3, 3));
        const int x0 = p.X, y0 = p.Y;
        // Towards the middle, clear of the edges.
        const QPoint by(2 * p.X < w_->backBuffer().Width() ? 20 : -20, 2 * p.Y < w_->backBuffer().Height() ? 12 : -12);
        for (int k = 1; k <= 5; ++k) QTest::mouseMove(area, at + QPoint(3, 3) + by * k / 5);
        QCOMPARE(p.X - x0, int(std::lround(by.x() * scale_)));
        QCOMPARE(p.Y - y0, int(std::lround(by.y() * scale_)));
        QVERIFY(ShowsWholeFrame() && WindowShowsFrame());
        QTest::mouseRelease(area, Qt::LeftButton, {}, at + QPoint(3, 3) + by);
        QVERIFY(ShowsWholeFrame());
    }
};

QTEST_MAIN(TestScaled)
#include "tst_scaled.moc"
