// The kept puzzle: a puzzle played and then ended comes back with --resume
// or the setting, the same puzzle and the same frame, even with its photo
// gone; a finished or untouched puzzle leaves nothing; a start without
// either loads nothing.
#include <QProcess>
#include <csignal>

#include "game/persist/keptpuzzle.h"
#include "game/persist/statefilereader.h"
#include "shell/harness.h"

using namespace pz;

class TestKept : public QObject, public test::GameFixture {
    Q_OBJECT

    // The folder the kept puzzle lives in, the same for every start.
    QString Program() const { return dir_.filePath("program"); }

    // A puzzle opened from a photo and one piece moved; the photo's path.
    QString Played() {
        const QString photo = MakePicture("photo.png", 400, 300);
        OpenWith(photo);
        return DragTo(1, 200, 150) ? photo : QString();
    }

    // Everything of the puzzle on screen that resuming must bring back.
    struct Seen {
        std::vector<PieceInfo> pieces;
        std::vector<int16_t> order;
        QImage frame;
        std::string picture;
    };
    Seen Now() const { return {m().Pieces, m().GroupOrder, w_->backBuffer().Image(), m().File.ImageName}; }
    static bool Same(const Seen& a, const Seen& b) {
        return a.pieces == b.pieces && a.order == b.order && a.frame == b.frame && a.picture == b.picture;
    }

private slots:
    void init() {
        QDir(Program()).removeRecursively();
        QVERIFY(Restart());
    }

    void endedEveryWayComesBack() {
        const std::function<void()> ways[] = {
            [&] { w_->mnuFileExit->trigger(); },
            [&] { w_->close(); },   // the close box
            [&] { w_->mnuFileClose->trigger(); },
            [&] { w_->KeepTimer_Timer(); },   // the 30-second keep, then a crash
        };
        for (const auto& end : ways) {
            QVERIFY(Restart());
            const QString photo = Played();
            QVERIFY(!photo.isEmpty());
            const Seen before = Now();
            end();
            w_->FlushKeptPuzzle();
            QVERIFY(QFile::remove(photo));   // moved away: the kept copy stands in
            QVERIFY(Start(900, 700, {"--resume"}));
            QVERIFY2(Loaded() && prompts_.messages.isEmpty(), qPrintable(prompts_.messages.join(' ')));
            QVERIFY(Same(before, Now()) && WindowShowsFrame());
            // The setting does the same with an empty command line; without
            // it nothing is loaded, as ever.
            Reset({{"Resume Last Puzzle", "True"}});
            QVERIFY(Start() && Loaded() && Same(before, Now()));
            Reset({{"Resume Last Puzzle", "False"}});
            QVERIFY(Start() && !Loaded());
            Reset();
            QVERIFY(Start() && !Loaded());
        }
        // A file on the command line is opened whatever the setting says.
        Reset({{"Resume Last Puzzle", "True"}});
        const QString other = MakePicture("other.png", 300, 400);
        QVERIFY(Start(900, 700, {other}) && Loaded() && m().File.ImageName == "other.png");
    }

    void finishedOrUntouchedLeavesNothing() {
        // Opened, not moved, closed: nothing kept.
        OpenWith(MakePicture("photo.png", 400, 300));
        w_->mnuFileClose->trigger();
        w_->FlushKeptPuzzle();
        QVERIFY(!QFile::exists(KeptStatePath()));
        // Played and kept, then finished after a resume: nothing to resume.
        QVERIFY(!Played().isEmpty());
        w_->mnuFileExit->trigger();
        w_->FlushKeptPuzzle();
        QVERIFY(QFile::exists(KeptStatePath()));
        QVERIFY(Start(900, 700, {"--resume"}) && Loaded());
        w_->mnuFileSolve->trigger();
        w_->FlushKeptPuzzle();
        QVERIFY(!QFile::exists(KeptStatePath()) && QDir(Program() + "/kept").isEmpty());
        // --resume with nothing kept starts as an empty command line does.
        QVERIFY(Start(900, 700, {"--resume"}) && !Loaded() && prompts_.messages.isEmpty());
    }

    // Real games ended by SIGTERM, and killed outright after the periodic
    // keep; two of them at once leave one whole puzzle.
    void signalledGamesLeaveOneWholePuzzle() {
        for (const int signal : {SIGTERM, SIGKILL}) {
            QProcess a, b;
            const QString photos[] = {MakePicture("a.png", 400, 300), MakePicture("b.png", 300, 400)};
            a.start(GAME_CHILD, {"keep", Program(), photos[0]});
            b.start(GAME_CHILD, {"keep", Program(), photos[1]});
            for (QProcess* p : {&a, &b}) {
                QVERIFY(p->waitForReadyRead(60000) && p->readAll().contains("kept"));
                ::kill(pid_t(p->processId()), signal);
            }
            QVERIFY(a.waitForFinished() && b.waitForFinished());
            QCOMPARE(a.exitStatus() == QProcess::NormalExit, signal == SIGTERM);
            const StateFileRead kept = ReadStateFile(KeptStatePath());
            QVERIFY(kept.ok);
            const QString picture = QString::fromStdString(kept.state.ImageFileName);
            // The picture the state names is the one it was cut from.
            QVERIFY(QImage(picture).size() == (picture.endsWith("a.png") ? QSize(400, 300) : QSize(300, 400)));
            QCOMPARE(QDir(Program() + "/kept").entryList(QDir::Files).size(), 1);
            QVERIFY(Start(900, 700, {"--resume"}) && Loaded() && prompts_.messages.isEmpty());
            Reset();
        }
    }
};

QTEST_MAIN(TestKept)
#include "tst_kept.moc"
