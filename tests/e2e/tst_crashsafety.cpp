// Kills a program with SIGKILL in the middle of saving a puzzle state and of
// writing the best times, many times over: each time the files on disk are
// whole, either the one before or the new one, never a torn mixture.
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "game/persist/besttimes.h"
#include "game/persist/statefile.h"
#include "testutil.h"

using namespace pz;

class TestCrashSafety : public QObject {
    Q_OBJECT
private slots:
    void killedWhileWriting() {
        QTemporaryDir dir;
        QVERIFY(test::PatternPicture(1200, 900).save(dir.filePath("pic.png")));
        const QString state = dir.filePath("game.psf");
        const QString best = dir.filePath("besttimes.txt");
        for (int round = 0; round < 12; ++round) {
            QProcess p;
            p.start(CRASH_WRITER, {dir.path(), dir.filePath("pic.png"), state});
            QVERIFY(p.waitForStarted());
            QVERIFY2(p.waitForReadyRead(60000), "the writer never got going");
            QVERIFY(p.readAll().contains("ready"));
            QTest::qWait(5 + QRandomGenerator::global()->bounded(60));
            // The writer spends most of its time inside the two writes; a
            // kill at a random moment lands in one of them more often than not.
            ::kill(pid_t(p.processId()), SIGKILL);
            QVERIFY(p.waitForFinished());

            const QByteArray bytes = test::ReadFile(state);   // missing: refused below
            try {
                const LoadedState st = ReadState(bytes.toStdString());
                QCOMPARE(st.NumberOfPieces, int16_t(324));
            } catch (const StateFileError& e) {
                QFAIL(qPrintable("torn state file: " + QString::fromStdString(e.message)));
            }
            const QByteArray text = test::ReadFile(best);
            QCOMPARE(text.count("\r\n"), 120);
            QCOMPARE(ParseBestTimes(text.toStdString())[1].PlayerName, std::string("writer"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
