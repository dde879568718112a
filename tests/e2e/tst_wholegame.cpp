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

    // Joining and locking are the session's; here the pointer shows a drag
    // under way, and the right button starts none.
    void dragMovesThePieceAndTheCursorShowsIt() {
        QVERIFY(DragTo(1, 40, 40) == 1);
        QCOMPARE(QPoint(m().Pieces[1].X, m().Pieces[1].Y), QPoint(40, 40));
        QCOMPARE(area()->cursor().shape(), Qt::ArrowCursor);
        const QPoint on1 = PointOn(1);
        QTest::mousePress(area(), Qt::LeftButton, {}, on1);
        QCOMPARE(area()->cursor().shape(), Qt::SizeAllCursor);
        QTest::mouseRelease(area(), Qt::LeftButton, {}, on1);
        QTest::mousePress(area(), Qt::RightButton, {}, on1);
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
        // Scrambled again, a finished game is not timed.
        w_->mnuFileScramble->trigger();
        QVERIFY(!m().PuzzleComplete && !w_->tmrPuzzle().isActive());
    }
};

QTEST_MAIN(TestWholeGame)
#include "tst_wholegame.moc"
