// Whole games played offscreen with real mouse events on the play area,
// from Open and Scramble to the last piece, the name prompt and the
// best-times file.

#include "shell/harness.h"

using namespace pz;

class TestWholeGame : public QObject, test::GameFixture {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(dir_.filePath("program/besttimes.txt"));
        QVERIFY(Restart({{"Number of Pieces", "12"}}, 1000, 760));
        OpenWith(MakePicture("game.png", 480, 360));
        QVERIFY(Loaded());
        QCOMPARE(s_.NumberOfPieces, int16_t(12));
    }

    void dragJoinsNeighboursAndTheCursorShowsIt() {
        // Put piece 1 in the open, then bring piece 2 within 3 pixels of its place.
        const int W = m().PieceWidth;
        QVERIFY(DragTo(1, 40, 40) == 1);
        QCOMPARE(QPoint(m().Pieces[1].X, m().Pieces[1].Y), QPoint(40, 40));
        QCOMPARE(area()->cursor().shape(), Qt::ArrowCursor);
        const QPoint on2 = PointOn(2);
        QTest::mousePress(area(), Qt::LeftButton, {}, on2);
        QCOMPARE(area()->cursor().shape(), Qt::SizeAllCursor);
        QTest::mouseRelease(area(), Qt::LeftButton, {}, on2);
        QVERIFY(DragTo(2, 40 + W + 3, 42) != 0);
        QCOMPARE(m().Pieces[2].Group, m().Pieces[1].Group);
        QCOMPARE(QPoint(m().Pieces[2].X, m().Pieces[2].Y), QPoint(40 + W, 40));
        // The joined pair now drags as one.
        DragTo(1, 60, 50);
        QCOMPARE(m().Pieces[2].X, 60 + W);
        // Right button does nothing.
        QTest::mousePress(area(), Qt::RightButton, {}, PointOn(1));
        QVERIFY(!w_->session()->Dragging());
    }

    void playToTheEndAndEnterTheBestTime() {
        prompts_.inputAnswers.push_back("Tester");
        m().File.ElapsedSeconds = 0;
        w_->tmrPuzzle_Timer();
        w_->tmrPuzzle_Timer();   // two seconds of play
        int guard = 0;
        while (m().GroupCount > 0 && guard++ < 100) {
            const int p = m().Groups[m().GroupOrder[m().GroupCount]].PieceList[1];   // of the top group
            const int s = DragTo(p, m().Pieces[p].HomeX + 2, m().Pieces[p].HomeY - 3);
            QVERIFY2(s != 0, "a loose group could not be picked");
        }
        QVERIFY(m().PuzzleComplete);
        QVERIFY(!w_->tmrPuzzle().isActive());
        QCOMPARE(m().File.ElapsedSeconds, 0);
        QCOMPARE(prompts_.inputPrompts, QStringList{"You have achieved a new best time, please enter you name."});
        // The time entered as the file keeps it: name, hours, minutes, seconds, pieces, picture.
        const QByteArray text = test::ReadFile(ProgramFile("besttimes.txt"));
        QVERIFY(text.startsWith("\"Tester\"\r\n0\r\n0\r\n2\r\n12\r\n\"game.png\"\r\n"));
        // A press on the finished picture picks nothing.
        const RectL& r = m().PuzzleRect;
        QTest::mousePress(area(), Qt::LeftButton, {}, QPoint(r.Left + 20, r.Top + 20));
        QVERIFY(!w_->session()->Dragging());
        QTest::mouseRelease(area(), Qt::LeftButton, {}, QPoint(r.Left + 20, r.Top + 20));
        // Scrambled again, a finished game is not timed.
        w_->mnuFileScramble->trigger();
        QVERIFY(!m().PuzzleComplete && !w_->tmrPuzzle().isActive());
    }
};

QTEST_MAIN(TestWholeGame)
#include "tst_wholegame.moc"
