// Games as separate processes. One is killed with SIGKILL in the middle of
// saving a puzzle state and of writing the best times, many times over: each
// time the files on disk are whole, either the one before or the new one,
// never a torn mixture. Two finish puzzles against one best-times file.
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <tuple>

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
            p.start(GAME_CHILD, {"save", dir.path(), dir.filePath("pic.png"), state});
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
                QCOMPARE(st.grid.NumberOfPieces, int16_t(324));
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
        QProcess games[2];
        auto names = [&] {
            QStringList out;
            for (const BestTimeEntry& e : ParseBestTimes(test::ReadFile(dir.filePath("besttimes.txt")).toStdString()))
                if (e.PieceTotal > 0) out << QString::fromStdString(e.PlayerName);
            return out.join(' ');
        };
        for (QProcess& p : games) p.start(GAME_CHILD, {"play", dir.path(), dir.filePath("pic.png")});
        // Game, line, answer, names in the file after. Each finishes while the
        // other sits at its name prompt, in both orders; each is faster than
        // those before it (a slower one would take position 20, replacing
        // what is there). Then Clear All in one clears what the other entered.
        const std::tuple<int, QByteArray, QByteArray, QString> steps[] = {
            {0, "", "ready", ""},           {1, "", "ready", ""},           {0, "finish 90", "name?", ""},
            {1, "finish 100", "name?", ""}, {1, "Bo", "done", "Bo"},        {0, "Ann", "done", "Ann Bo"},
            {1, "finish 70", "name?", ""},  {0, "finish 80", "name?", ""},  {0, "Di", "done", "Di Ann Bo"},
            {1, "Cy", "done", "Cy Di Ann Bo"}, {0, "clear", "done", ""},    {1, "finish 60", "name?", ""},
            {1, "Ed", "done", "Ed"}};
        for (const auto& [game, line, answer, after] : steps) {
            QProcess& p = games[game];
            if (!line.isEmpty()) p.write(line + "\n");
            while (!p.canReadLine() && p.waitForReadyRead(60000)) {}
            QCOMPARE(p.readLine().trimmed(), answer);
            if (!after.isEmpty()) QCOMPARE(names(), after);
        }
        for (QProcess& p : games) {
            p.closeWriteChannel();
            QVERIFY(p.waitForFinished());
        }
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
