// Saving and reopening unfinished puzzles through the menus, the command
// line, and the desktop registration, offscreen.

#include <QMimeData>
#include <QProcess>

#include "game/model/invariants.h"
#include "game/persist/statefile.h"
#include "platform/desktop/desktop.h"
#include "shell/harness.h"

using namespace pz;

class TestStateFile : public QObject, test::GameFixture {
    Q_OBJECT

    // A game with joins, a locked group and some time on the clock.
    void PlayABit() {
        OpenWith(MakePicture("pic.png", 480, 360));
        QVERIFY(Loaded());
        PuzzleModel& m = this->m();
        m.Pieces[1].X = 100, m.Pieces[1].Y = 100;
        QVERIFY(DragTo(2, 100 + m.PieceWidth + 2, 101));
        QCOMPARE(m.Pieces[2].Group, m.Pieces[1].Group);
        w_->mnuFileHint->trigger();
        m.File.ElapsedSeconds = 321;
    }

private slots:
    void init() { QVERIFY(Restart({{"Number of Pieces", "12"}}, 1000, 760)); }

    void saveAndLoadBackByEitherCommand() {
        PlayABit();
        QDir().mkpath(dir_.filePath("states"));
        const QString path = dir_.filePath("states/game");   // not beside the picture; no extension is added
        files_.answers.push_back(path);
        w_->toolbarButton(2)->trigger();
        QCOMPARE(files_.filters.last(), QString("Puzzle State Files|*.psf"));
        QVERIFY(prompts_.messages.isEmpty());
        const QByteArray saved = test::ReadFile(path);
        QVERIFY(!saved.isEmpty() && QFile::copy(path, path + ".psf"));
        // Lost by Scramble and back by Load Puzzle State; closed and back by
        // Open. Saved again at the same size: the same bytes, so the same game.
        for (QAction* load : {w_->mnuFileLoadPuzzleState, w_->mnuFileOpen}) {
            (load == w_->mnuFileOpen ? w_->mnuFileClose : w_->mnuFileScramble)->trigger();
            files_.answers.push_back(path + ".psf");
            load->trigger();
            w_->FlushWorkingFile();
            QVERIFY(prompts_.messages.isEmpty() && w_->tmrPuzzle().isActive() && w_->mnuFileSavePuzzleState->isEnabled());
            files_.answers.push_back(dir_.filePath("again.psf"));
            w_->mnuFileSavePuzzleState->trigger();
            QVERIFY(test::ReadFile(dir_.filePath("again.psf")) == saved);
        }
        QCOMPARE(QString::fromStdString(s_.InitDir), dir_.path() + "/");   // the picture's folder
        QVERIFY(QFile::exists(desktop::CacheHome() + "/Puzzora/WholeImageTemp.bmp"));
    }

    void damagedFilesLeaveThePuzzleAsItWas() {
        PlayABit();
        const QString path = dir_.filePath("good.psf");
        files_.answers.push_back(path);
        w_->mnuFileSavePuzzleState->trigger();
        const QByteArray good = test::ReadFile(path);

        auto tryLoad = [&](const QByteArray& bytes, const QString& name) {
            QVERIFY(test::WriteFile(dir_.filePath(name), bytes));
            prompts_.messages.clear();
            files_.answers.push_back(dir_.filePath(name));
            w_->mnuFileLoadPuzzleState->trigger();
            QCOMPARE(prompts_.messages.size(), 1);
            QVERIFY2(prompts_.messages[0].contains(name), qPrintable(prompts_.messages[0]));
            QVERIFY(Loaded() && w_->session()->State() == good.toStdString());   // the game as saved
        };
        tryLoad(good.left(1000), "short.psf");
        tryLoad(QByteArray(good).replace(0, 20, "/nowhere/missing.png"), "lost-picture.psf");
        QVERIFY(prompts_.messages[0].contains("missing.png"));
        // Cancel is silent.
        prompts_.messages.clear();
        files_.answers.push_back(QString());
        w_->mnuFileLoadPuzzleState->trigger();
        QVERIFY(prompts_.messages.isEmpty());
    }

    void aFailedSaveKeepsTheOldFile() {
        PlayABit();
        const QString path = dir_.filePath("keep.psf");
        QVERIFY(test::WriteFile(path, "precious"));
        m().File.ImageFileName = "/" + std::string(200, 'x') + ".png";   // cannot be stored
        files_.answers.push_back(path);
        w_->mnuFileSavePuzzleState->trigger();
        QCOMPARE(prompts_.messages.size(), 1);
        QVERIFY(prompts_.messages[0].contains("keep.psf"));
        QCOMPARE(test::ReadFile(path), QByteArray("precious"));
        // A folder that is not there.
        files_.answers.push_back(dir_.filePath("no/such/folder/x.psf"));
        w_->mnuFileSavePuzzleState->trigger();
        QCOMPARE(prompts_.messages.size(), 2);
    }

    void commandLine() {
        PlayABit();
        const QString path = dir_.filePath("cmd line.psf");
        files_.answers.push_back(path);
        w_->mnuFileSavePuzzleState->trigger();
        const QString xbel = desktop::RecentFile();
        QFile::remove(xbel);

        // An unexpanded field code, nothing, a missing file (told as a state
        // file), a text file (told as neither): no game, no record.
        QVERIFY(test::WriteFile(dir_.filePath("notes.txt"), "shopping list\n"));
        const QString said[] = {"", "", "The puzzle state file", "is neither a picture nor a puzzle state file"};
        int i = 0;
        for (const QStringList& args : {QStringList{"%1"}, QStringList{}, QStringList{dir_.filePath("missing.psf")},
                                        QStringList{dir_.filePath("notes.txt")}}) {
            prompts_.messages.clear();
            Start(1000, 760, args);
            QVERIFY(!Loaded() && !QFile::exists(xbel));
            QCOMPARE(prompts_.messages.size(), args.isEmpty() || args[0] == "%1" ? 0 : 1);
            QVERIFY(prompts_.messages.join("").contains(said[i++]));
        }
        // A path with a space arrives as two arguments joined by one space; a
        // path relative to the folder the game starts in and a file: URL name
        // the same file.
        for (const QStringList& args : {path.split(' '), QStringList{"cmd", "line.psf"}, QStringList{QUrl::fromLocalFile(path).toString()}}) {
            QFile::remove(xbel);
            QDir::setCurrent(dir_.path());
            Start(1000, 760, args);
            QVERIFY2(Loaded() && w_->mnuFileClose->isEnabled() && m().File.ElapsedSeconds == 321, qPrintable(args.join(' ')));
            const QByteArray recent = test::ReadFile(xbel);
            QVERIFY(recent.contains(QUrl::fromLocalFile(path).toEncoded()) && recent.contains(desktop::kStateMimeType));
        }
    }

    // A photo taken with the phone upright opens upright by the menu, the
    // command line and a drop, and comes back from its state file as it was;
    // a puzzle saved when the game still showed it sideways loads too.
    void taggedPhotoFromEveryWay() {
        const QString photo = dir_.filePath("phone.jpg"), sideways = dir_.filePath("sideways.psf");
        QVERIFY(test::PatternPicture(480, 360).save(photo, "JPEG", 95));
        OpenWith(photo);
        files_.answers.push_back(sideways);
        w_->mnuFileSavePuzzleState->trigger();
        QVERIFY(QProcess::execute("exiftool", {"-q", "-overwrite_original", "-n", "-Orientation=6", photo}) == 0);
        const QString xbel = desktop::DataHome() + "/recently-used.xbel";
        QFile::remove(xbel);
        QVERIFY(Start(1000, 760, {photo}));
        QVERIFY(Loaded() && prompts_.messages.isEmpty() && !QFile::exists(xbel));
        QCOMPARE(QSize(m().ImageWidth, m().ImageHeight), QSize(360, 480));
        QCOMPARE(QString::fromStdString(s_.InitDir), dir_.path() + "/");
        files_.answers.push_back(dir_.filePath("phone.psf"));
        w_->mnuFileSavePuzzleState->trigger();
        const QImage frame = w_->backBuffer().Image().copy();
        // Dropped: one file opens, anything else is ignored.
        QMimeData two, junk, old, one;
        two.setUrls({QUrl::fromLocalFile(photo), QUrl::fromLocalFile(photo)});
        QVERIFY(test::WriteFile(dir_.filePath("notes.txt"), "not a picture"));
        junk.setUrls({QUrl::fromLocalFile(dir_.filePath("notes.txt"))});
        old.setUrls({QUrl::fromLocalFile(sideways)});
        one.setUrls({QUrl::fromLocalFile(dir_.filePath("phone.psf"))});
        for (QMimeData* data : {&two, &junk, &old, &one}) {
            w_->mnuFileScramble->trigger();
            QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, data, Qt::NoButton, {});
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, data, Qt::NoButton, {});
            QApplication::sendEvent(w_.get(), &enter);
            QApplication::sendEvent(w_.get(), &drop);
            QTest::qWait(20);
            QCOMPARE(w_->backBuffer().Image() == frame, data == &one);
            QVERIFY(!CheckInvariants(grid(), m()) && ShowsWholeFrame());
            for (int p = 1; p <= s_.NumberOfPieces; ++p)
                QVERIFY(QRect(QPoint(), w_->picPuzzle()->DeviceSize()).contains(m().Pieces[p].X, m().Pieces[p].Y));
        }
        QVERIFY(prompts_.messages.isEmpty());
    }

    void registrationIsWrittenAndAMenuEditSurvives() {
        // Run uninstalled: the game registers itself with its icons at every
        // size it has.
        const QString data = desktop::DataHome();
        const QString entry = data + "/applications/" + desktop::kAppId + ".desktop";
        const QByteArray exec = "\nExec=" + desktop::ExecLine(QCoreApplication::applicationFilePath()).toUtf8() + "\n";
        QVERIFY(test::ReadFile(entry).contains(exec));
        QCOMPARE(QDir(data + "/icons/hicolor").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 8);
        // A menu editor hid the game and renamed it: the next start keeps that.
        const QByteArray edited = test::ReadFile(entry).replace("Name=Puzzora", "Name=Jigsaw") + "NoDisplay=true\n";
        QVERIFY(test::WriteFile(entry, edited));
        Start(1000, 760);
        QCOMPARE(test::ReadFile(entry), edited);
    }
};

QTEST_MAIN(TestStateFile)
#include "tst_statefile.moc"
