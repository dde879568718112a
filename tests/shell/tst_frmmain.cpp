// The main window as a player meets it, offscreen: menus, toolbar, opening a
// picture through the (scripted) dialog, the painted frame, closing.
#include <QMenuBar>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "game/dialogs/frmbesttimes.h"
#include "platform/desktop/folders.h"
#include "game/persist/workingimage.h"
#include "shell/harness.h"

using namespace pz;

class TestFrmMain : public QObject, test::GameFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(Restart()); }

    void menusAndToolbarAsDesigned() {
        QCOMPARE(w_->windowTitle(), QString("Puzzora"));
        QStringList menus;
        for (QAction* a : w_->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "View", "&Help"}));
        auto entries = [](QMenu* m) {
            QStringList out;
            for (QAction* a : m->actions()) out << (a->isSeparator() ? QString("-") : a->text());
            return out;
        };
        QCOMPARE(entries(w_->mnuFile),
                 (QStringList{"&Open...", "Close", "-", "Load Puzzle State", "Save Puzzle State", "-", "Scramble",
                              "Hint", "Solve", "-", "Options...", "-", "E&xit"}));
        QCOMPARE(entries(w_->mnuView), (QStringList{"Preview", "-", "Best Times..."}));
        QCOMPARE(entries(w_->mnuHelp), (QStringList{"About..."}));
        for (QMenu* m : {w_->mnuFile, w_->mnuView, w_->mnuHelp})
            for (QAction* a : m->actions()) QVERIFY(a->shortcut().isEmpty());
        QCOMPARE(w_->toolbarButton(1)->text(), QString("Open"));
        QCOMPARE(w_->toolbarButton(2)->text(), QString("Save Puzzle State"));
        QVERIFY(!w_->toolbarButton(1)->icon().pixmap(24).isNull());
        QVERIFY(!w_->toolbarButton(2)->icon().pixmap(24).isNull());
        QCOMPARE(w_->tmrPuzzle().interval(), 1000);
        // Command state at start.
        QVERIFY(!w_->mnuFileClose->isEnabled() && !w_->mnuFileSavePuzzleState->isEnabled() &&
                !w_->toolbarButton(2)->isEnabled());
        QVERIFY(w_->mnuFileScramble->isEnabled() && w_->mnuFileHint->isEnabled() && w_->mnuFileSolve->isEnabled());
    }

    void openScrambleAndPaint() {
        files_.answers.push_back(MakePicture("landscape.png", 400, 300));
        w_->toolbarButton(1)->trigger();   // the toolbar's Open runs the Open command
        w_->FlushWorkingFile();
        QVERIFY(prompts_.messages.isEmpty());
        QVERIFY(Loaded() && grid().NumColumns == 8 && grid().NumRows == 8);
        QVERIFY(w_->mnuFileClose->isEnabled() && w_->mnuFileSavePuzzleState->isEnabled() &&
                w_->toolbarButton(2)->isEnabled());
        QVERIFY(w_->tmrPuzzle().isActive());
        QCOMPARE(QImage(WorkingBitmapPath()).size(), QSize(400, 300));   // the working copy
        // The dialog started in the samples folder, with both filters.
        QVERIFY(files_.filters.last().startsWith("Supported Graphic Files|*.bmp;*.jpg;*.gif"));
        QVERIFY(files_.filters.last().endsWith("|Puzzle State Files|*.psf"));
        QVERIFY(files_.startDirs.last().endsWith("share/puzzora/samples"));
        QVERIFY(QFile::exists(files_.startDirs.last() + "/Meadow.png"));
        // InitDir is stored with its trailing separator; the next dialog starts there.
        QCOMPARE(QString::fromStdString(s_.InitDir), dir_.path() + "/");
        QCOMPARE(QString::fromStdString(store_.values["InitDir"]), dir_.path() + "/");
        QCOMPARE(QString::fromStdString(m().File.ImageName), QString("landscape.png"));

        // The frame, as big as the play area, reaches the screen.
        QVERIFY(ShowsWholeFrame() && WindowShowsFrame());

        files_.answers.push_back(QString());   // Cancel
        w_->mnuFileOpen->trigger();
        QCOMPARE(files_.startDirs.last(), dir_.path() + "/");
        QVERIFY(prompts_.messages.isEmpty());
        QVERIFY(Loaded());
    }

    void closeReleasesAndDisables() {
        OpenWith(MakePicture("a.png", 400, 300));
        QVERIFY(Loaded());
        m().File.ElapsedSeconds = 12;
        w_->mnuFileClose->trigger();
        QVERIFY(!Loaded() && !w_->tmrPuzzle().isActive());
        QVERIFY(!QFile::exists(WorkingBitmapPath()));
        QCOMPARE(s_.NumberOfPieces, int16_t(64));
        QVERIFY(!w_->mnuFileClose->isEnabled() && !w_->toolbarButton(2)->isEnabled());
        // The play area shows the bare background.
        const QImage shown = w_->picPuzzle()->grab().toImage();
        QCOMPARE(shown.pixel(50, 50) & 0xffffff, 0xD4D0C8u);
        // Scramble, Hint and Solve after Close stay enabled and do nothing.
        for (QAction* a : {w_->mnuFileScramble, w_->mnuFileHint, w_->mnuFileSolve}) {
            QVERIFY(a->isEnabled());
            a->trigger();
        }
        QVERIFY(!Loaded() && !w_->tmrPuzzle().isActive());
    }

    void closeWithoutPuzzleDeletesLeftoverWorkingFile() {
        QVERIFY(test::WriteFile(WorkingBitmapPath(), "left over"));
        w_->mnuFileSavePuzzleState->setEnabled(true);   // whatever state it was in
        w_->mnuFileClose_Click();   // the menu entry is disabled; unloading runs it
        QVERIFY(!QFile::exists(WorkingBitmapPath()));
        QVERIFY(!w_->mnuFileSavePuzzleState->isEnabled());
    }

    void refusedFilesKeepThePuzzle() {
        OpenWith(MakePicture("good.png", 400, 300));
        const PuzzleModel before = m();
        QVERIFY(test::WriteFile(dir_.filePath("broken.jpg"), "this is not a picture"));
        MakePicture("small.png", 33, 32);
        // A state file name goes to the state loader; only the exact
        // lower-case ending counts, so game.PSF is taken for a picture.
        const struct { const char* file; const char* message; bool whole; } refused[] = {
            {"broken.jpg", "broken.jpg", false}, {"small.png", "Image must be at least 33 x 32 pixels", true},
            {"missing.png", "missing.png", false}, {"game.psf", "game.psf", false}, {"game.PSF", "The picture", false}};
        for (const auto& r : refused) {
            prompts_ = test::RecordingPrompts();
            OpenWith(dir_.filePath(r.file));
            QCOMPARE(prompts_.messages.size(), 1);
            const QString& said = prompts_.messages[0];
            QVERIFY2(r.whole ? said == r.message : said.contains(r.message), qPrintable(r.file + (": " + said)));
            QCOMPARE(prompts_.titles[0], QString("Error:"));
            QVERIFY(Loaded() && w_->tmrPuzzle().isActive());
            QCOMPARE(m().Pieces, before.Pieces);
            QCOMPARE(QString::fromStdString(m().File.ImageName), QString("good.png"));
            QCOMPARE(QImage(WorkingBitmapPath()).size(), QSize(400, 300));
        }
        OpenWith(MakePicture("just.png", 33, 33));   // 33 x 33 is accepted, silently
        QCOMPARE(prompts_.messages.size(), 1);
        QCOMPARE(QString::fromStdString(m().File.ImageName), QString("just.png"));
        // A decoder that dies or reaches for a file costs a message, not the puzzle.
        const auto kept = m().Pieces;
        for (const char* probe : {"crash", "open"}) {
            prompts_ = test::RecordingPrompts();
            qputenv("PUZZORA_DECODER_PROBE", probe);
            OpenWith(MakePicture("fine.png", 400, 300));
            qunsetenv("PUZZORA_DECODER_PROBE");
            QVERIFY(prompts_.messages.size() == 1 && prompts_.messages[0].contains("could not be read safely"));
            QVERIFY(Loaded() && m().Pieces == kept && QString::fromStdString(m().File.ImageName) == "just.png");
        }
    }

    // A file that takes its time (a pipe nobody writes yet): the window
    // paints, resizes and says what it reads; Esc cancels and the puzzle on
    // screen is as it was.
    void slowReadKeepsTheWindowAliveAndCancels() {
        OpenWith(MakePicture("good.png", 400, 300));
        const std::string before = w_->session()->State();
        const PuzzleSession* shown = w_->session();
        const QString pipe = dir_.filePath("slow.png");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        bool sawAlive = false;
        QTimer::singleShot(800, this, [&] {
            const QSize was = w_->backBuffer().Image().size();
            w_->resize(w_->width() + 40, w_->height());
            QTest::qWait(50);
            sawAlive = w_->Reading() && w_->backBuffer().Image().size() != was &&
                       w_->picPuzzle()->Notice().contains("slow.png") && !w_->mnuFileOptions->isEnabled() &&
                       w_->mnuFile->menuAction()->isEnabled() && w_->mnuFileExit->isEnabled() &&
                       QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
            QTest::keyClick(w_.get(), Qt::Key_Escape);
        });
        OpenWith(pipe);
        QVERIFY(sawAlive);
        QVERIFY(!w_->Reading() && w_->picPuzzle()->Notice().isEmpty() && !QApplication::overrideCursor());
        QVERIFY(prompts_.messages.isEmpty() && w_->mnuFileOptions->isEnabled() && w_->tmrPuzzle().isActive());
        QVERIFY(w_->session() == shown && w_->session()->State() != before);   // cut again for the wider window
        QCOMPARE(QString::fromStdString(m().File.ImageName), QString("good.png"));
        QVERIFY(WindowShowsFrame());
        // The abandoned read ends once the pipe has a writer, and drops what it made.
        const int writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(writer >= 0);
        ::close(writer);
        QTRY_COMPARE(OffThread::StillRunning(), 0);
        QVERIFY(prompts_.messages.isEmpty() && w_->session() == shown);
    }

    void unwritableCacheFolderIsReported() {
        OpenWith(MakePicture("good.png", 400, 300));
        const auto before = m().Pieces;
        QFile::remove(WorkingBitmapPath());
        // A folder where the working copy cannot go (a file stands in its way).
        const QString blocked = dir_.filePath("blocked");
        QVERIFY(test::WriteFile(blocked, ""));
        SetCacheDirectory(blocked + "/sub");
        OpenWith(MakePicture("other.png", 300, 200));
        QCOMPARE(prompts_.messages.size(), 1);
        QVERIFY(prompts_.messages[0].contains("other.png") && prompts_.messages[0].contains("WholeImageTemp.bmp"));
        QCOMPARE(m().Pieces, before);
        QCOMPARE(QString::fromStdString(m().File.ImageName), QString("good.png"));
        SetCacheDirectory(QString());
    }

    void previewMenuShowsAndStoresTheSetting() {
        emit w_->mnuView->aboutToShow();
        QVERIFY(w_->mnuViewPreview->isChecked());
        w_->mnuViewPreview->trigger();
        QVERIFY(!s_.ViewPreview);
        QCOMPARE(QString::fromStdString(store_.values["View Preview"]), QString("False"));
        s_.ViewPreview = true;   // changed elsewhere (the options)
        emit w_->mnuView->aboutToShow();
        QVERIFY(w_->mnuViewPreview->isChecked());

        OpenWith(MakePicture("p.png", 600, 400));
        const RectL cap = m().View.PreviewCaptionRect;   // at the top right
        QCOMPARE(QPoint(cap.Right, cap.Top), QPoint(w_->picPuzzle()->width() - 4, 4));
        QCOMPARE(m().View.PreviewWidth, m().PuzzleWidth / 3);
        const QImage cutPreview = w_->session()->images().PreviewImage.Image();
        w_->mnuViewPreview->trigger();   // off
        m().View.PreviewCaptionRect.Left -= 100;   // dragged away
        w_->mnuViewPreview->trigger();   // on again: back at the top right, the same picture
        QCOMPARE(m().View.PreviewCaptionRect.Right, w_->picPuzzle()->width() - 4);
        QVERIFY(w_->session()->images().PreviewImage.Image() == cutPreview);
        QCOMPARE(QString::fromStdString(store_.values["View Preview"]), QString("True"));
    }

    void bestTimesDialogListsAndClears() {
        w_->ChangeBestTimes([](BestTimesTable& t) {
            t[1] = {.PlayerName = "Ann", .Minutes = 5, .Seconds = 7, .PieceTotal = 64, .PictureName = "Meadow.png"};
            t[20] = {.PlayerName = "Bo", .Hours = 1, .Minutes = 0, .Seconds = 0, .PieceTotal = 12, .PictureName = "x"};
        });
        int saves = 0;
        frmBestTimes dlg(w_->bestTimes(), prompts_, [&](const BestTimesChange& change) {
            ++saves;
            w_->ChangeBestTimes(change);
        }, w_.get());
        QCOMPARE(dlg.windowTitle(), QString("Puzzora - Best Times"));
        QTreeWidget* list = dlg.lstViewBestTimes;
        QStringList headers;
        for (int i = 0; i < list->columnCount(); ++i) headers << list->headerItem()->text(i);
        QCOMPARE(headers, (QStringList{"Name", "Elapsed Time", "Pieces", "Image Name"}));
        QCOMPARE(list->topLevelItemCount(), 20);   // empty entries are listed too
        QCOMPARE(list->topLevelItem(0)->text(1), QString("0:5:7"));
        QCOMPARE(list->topLevelItem(0)->text(3), QString("Meadow.png"));
        QCOMPARE(list->topLevelItem(1)->text(2), QString("0"));
        prompts_.yesAnswers = {false};
        QTest::mouseClick(dlg.cmdClearAll, Qt::LeftButton);
        QCOMPARE(prompts_.questions.last(), QString("Are you sure you want to clear all of the entries?"));
        QCOMPARE(prompts_.titles.last(), QString("Puzzora"));
        QCOMPARE(saves, 1);   // written even after No
        QCOMPARE(list->topLevelItem(0)->text(0), QString("Ann"));
        prompts_.yesAnswers = {true};
        QTest::mouseClick(dlg.cmdClearAll, Qt::LeftButton);
        QCOMPARE(saves, 2);
        QCOMPARE(list->topLevelItem(0)->text(0), QString(""));
        QCOMPARE(FormatBestTimes(w_->bestTimes()), FormatBestTimes(BestTimesTable{}));   // every field of every entry
        QCOMPARE(list->topLevelItemCount(), 20);
    }

    void bestTimesAreReadAtStartUp() {
        QVERIFY(test::WriteFile(ProgramFile("besttimes.txt"), "\"Bo\"\r\n0\r\n1\r\n2\r\n36\r\n\"x.jpg\"\r\n\"broken\r\n"));
        QVERIFY(Start());
        QCOMPARE(w_->bestTimes()[1].PlayerName, std::string("Bo"));
        QCOMPARE(w_->bestTimes()[1].PieceTotal, int16_t(36));
        QCOMPARE(w_->bestTimes()[2].PieceTotal, int16_t(0));
        QFile::remove(ProgramFile("besttimes.txt"));
    }

    void windowKeepsItsMinimumSize() {
        QVERIFY(w_->FormControl("MinMax") != nullptr);
        w_->resize(200, 100);
        QCOMPARE(w_->frameGeometry().size(), QSize(468, 350));
        w_->resize(1000, 800);
        QCOMPARE(w_->width(), 1000);
        // Without the control library the game still starts, without limits.
        const QByteArray dir = qgetenv("PUZZORA_CONTROL_DIR");
        qputenv("PUZZORA_CONTROL_DIR", "/nonexistent");
        frmMain bare(s_, MainServices{store_, files_, prompts_, random_});
        bare.show();
        QVERIFY(bare.FormControl("MinMax") == nullptr);
        bare.resize(200, 100);
        QCOMPARE(bare.width(), 200);
        qputenv("PUZZORA_CONTROL_DIR", dir);
    }

    void exitClosesThePuzzle() {
        OpenWith(MakePicture("x.png", 400, 300));
        QVERIFY(QFile::exists(desktop::CacheHome() + "/Puzzora/WholeImageTemp.bmp"));   // a cache, not data
        w_->mnuFileExit->trigger();
        QVERIFY(!w_->isVisible() && !Loaded());
        QVERIFY(!QFile::exists(WorkingBitmapPath()));
        // Left behind by a game that crashed: gone at the next start.
        QVERIFY(test::WriteFile(WorkingBitmapPath(), "left"));
        QVERIFY(Start());
        QVERIFY(!QFile::exists(WorkingBitmapPath()));
    }

    // A drag step shows at once when the screen's next refresh (60 Hz here)
    // is due before the next step is halfway; else with the next step, or
    // one refresh later.
    void presentationKeepsPaceWithTheScreen() {
        PlayArea* area = w_->picPuzzle();
        static qint64 now, ms = 1000000;
        area->clock = [] { return now; };
        for (const auto& [after, shown] : std::initializer_list<std::pair<int, bool>>{
                 {0, true}, {2, false}, {2, false}, {10, true}, {17, true}, {1, false}}) {
            area->Present({QRect(int((now += after * ms) / ms), 0, 4, 4)});
            QVERIFY2(area->HoldsBack() != shown, qPrintable(QString("at %1 ms").arg(now / ms)));
        }
        QTRY_VERIFY(!area->HoldsBack());
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
