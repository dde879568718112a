// Games as separate processes. One is killed with SIGKILL in the middle of
// saving a puzzle state and of writing the best times, many times over: each
// time the files on disk are whole, either the one before or the new one,
// never a torn mixture. Two finish puzzles against one best-times file.
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

    void twoGamesKeepEachOthersBestTimes() {
        QTemporaryDir dir;
        QVERIFY(test::PatternPicture(480, 360).save(dir.filePath("pic.png")));
        QProcess a, b;
        auto reply = [](QProcess& p) {
            while (!p.canReadLine() && p.waitForReadyRead(60000)) {}
            return p.readLine().trimmed();
        };
        auto say = [&](QProcess& p, const QByteArray& line) {
            p.write(line + "\n");
            return reply(p);
        };
        for (QProcess* p : {&a, &b}) p->start(GAME_CHILD, {dir.path(), dir.filePath("pic.png")});
        for (QProcess* p : {&a, &b}) QCOMPARE(reply(*p), QByteArray("ready"));   // both read the table now
        auto names = [&] {
            QStringList out;
            for (const BestTimeEntry& e : ParseBestTimes(test::ReadFile(dir.filePath("besttimes.txt")).toStdString()))
                if (e.PieceTotal > 0) out << QString::fromStdString(e.PlayerName);
            out.sort();
            return out;
        };
        // Each finishes while the other sits at its name prompt, in both
        // orders: every result stays. Each is faster than those before it,
        // which a slower one would replace at position 20.
        QCOMPARE(say(a, "finish 90"), QByteArray("name?"));
        QCOMPARE(say(b, "finish 100"), QByteArray("name?"));
        QCOMPARE(say(b, "Bo"), QByteArray("done"));
        QCOMPARE(say(a, "Ann"), QByteArray("done"));
        QCOMPARE(say(b, "finish 70"), QByteArray("name?"));
        QCOMPARE(say(a, "finish 80"), QByteArray("name?"));
        QCOMPARE(say(a, "Di"), QByteArray("done"));
        QCOMPARE(say(b, "Cy"), QByteArray("done"));
        QCOMPARE(names().join(" "), QString("Ann Bo Cy Di"));
        // Clear All in one clears what the other entered, for good.
        QCOMPARE(say(a, "clear"), QByteArray("done"));
        QCOMPARE(say(b, "finish 60"), QByteArray("name?"));
        QCOMPARE(say(b, "Ed"), QByteArray("done"));
        QCOMPARE(names(), QStringList{"Ed"});
        for (QProcess* p : {&a, &b}) {
            p->closeWriteChannel();
            QVERIFY(p->waitForFinished());
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
