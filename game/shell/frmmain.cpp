#include "game/shell/frmmain.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QFileInfo>

#include "game/dialogs/frmbesttimes.h"
#include "game/persist/besttimes.h"
#include "game/persist/keptpuzzle.h"
#include "game/persist/programdir.h"
#include "game/persist/statefilereader.h"
#include "game/persist/workingimage.h"
#include "game/picture/picture.h"
#include "game/picture/wall.h"
#include "game/shell/startup.h"

namespace pz {

namespace {

// The pictures first, every kind this build reads, then the state files.
QString OpenFilter() {
    return QStringLiteral("Supported Graphic Files|") + PicturePatterns() + QStringLiteral("|Puzzle State Files|*.psf");
}


bool FolderHasFile(const QString& dir) {
    return !dir.isEmpty() && !QDir(dir).entryList(QDir::Files).isEmpty();
}

}  // namespace

bool IsStateFileName(const QString& name) { return name.endsWith(QStringLiteral(".psf"), Qt::CaseSensitive); }

void frmMain::Form_Load(const QStringList& arguments) {
    // Before the game moves to its own folder.
    const bool resume = arguments == QStringList{QStringLiteral("--resume")};
    const QString given = resume ? QString() : CommandLineFile(arguments);
    QDir::setCurrent(ProgramDirectory());
    RemoveLeftoverWorkingCopy(WorkingBitmapPath());
    InitDirectDraw();
    LoadSettings(svc_.store, settings_);
    show();
    // The kept puzzle when asked for, by --resume or the setting with an
    // empty command line; with none kept, the start is the usual one.
    if (given.isEmpty() && (resume || settings_.ResumeLastPuzzle) && QFileInfo(KeptStatePath()).isFile()) {
        stateFileName_ = KeptStatePath();
        LoadPuzzleState();
    }
    // A picture is opened as File > Open opens it; anything else is taken
    // for a state file, with its message when it is none. A file that is
    // there and is neither is named as what it is.
    if (!given.isEmpty() && !IsStateFileName(given) && IsPictureBehindWall(given)) {
        OpenChosenFile(given);
    } else if (!given.isEmpty() && !IsStateFileName(given) && QFileInfo(given).isFile() && !ReadStateFile(given).ok) {
        TellError(QStringLiteral("The file \"%1\" is neither a picture nor a puzzle state file.")
                      .arg(QDir::toNativeSeparators(given)));
    } else if (!given.isEmpty()) {
        stateFileName_ = given;
        if (LoadPuzzleState()) RememberStateFile(given);
    }
    RegisterFileType();
    LoadBestTimes();
}

void frmMain::mnuFileSavePuzzleState_Click() {
    if (!session_) return;
    const std::optional<QString> name =
        svc_.files.SaveFile(this, QStringLiteral("Puzzle State Files|*.psf"), QString());
    if (!name || name->isEmpty()) return;
    const QString failure = session_->SaveTo(*name);
    if (!failure.isEmpty())
        TellError(QStringLiteral("The puzzle could not be saved to \"%1\": %2")
                      .arg(QDir::toNativeSeparators(*name), failure));
}

void frmMain::mnuFileLoadPuzzleState_Click() {
    const std::optional<QString> name =
        svc_.files.OpenFile(this, QStringLiteral("Puzzle State Files|*.psf"), QString());
    if (!name || name->isEmpty()) return;
    stateFileName_ = *name;
    LoadPuzzleState();
}

bool frmMain::LoadPuzzleState() {
    const QString file = stateFileName_;
    // Everything is read, checked and cut aside first; the puzzle on screen
    // changes only when the new one is complete.
    std::optional<Opening> opened = ReadAside(file, OpenStateFile);
    if (!opened) return false;
    const QString picturePath = QString::fromStdString(opened->session->model().File.ImageFileName);
    if (!PrepareWorkingCopy(picturePath)) return false;

    tmrPuzzle_.stop();
    settings_.NumberOfPieces = opened->session->grid().NumberOfPieces;
    FitToPlayArea(*opened);
    TakeOver(std::move(opened->session));
    keptOurs_ = QFileInfo(file) == QFileInfo(KeptStatePath());   // resumed: its kept copy is this puzzle's
    StartWorkingCopy(picturePath);
    picPuzzle_Paint();
    tmrPuzzle_.start();
    return true;
}

void frmMain::ChangeBestTimes(const BestTimesChange& change) {
    const QString failure = bestTimesFile_.Apply(change);
    if (!failure.isEmpty()) TellError(failure);
}

void frmMain::BestTimeEntry(int32_t seconds) {
    const int n = session_->grid().NumberOfPieces;
    const std::string picture = session_->model().File.ImageName;
    // Another game may have entered results since this one started.
    LoadBestTimes();
    if (!EntersBestTimes(bestTimes(), n, seconds)) return;   // also a result never timed
    picPuzzle_Paint();   // let the player see the finished picture first
    picPuzzle_->repaint();
    const std::string name = svc_.prompts
                                 .InputBox(this, QStringLiteral("Puzzora"),
                                           QStringLiteral("You have achieved a new best time, please enter you name."))
                                 .toStdString();
    // Entered into the table as the file holds it once the name is in,
    // where it may no longer be good enough.
    ChangeBestTimes([&](BestTimesTable& t) {
        if (EntersBestTimes(t, n, seconds)) InsertBestTime(t, n, seconds, name, picture);
    });
}

void frmMain::mnuFileOptions_Click() {
    frmOptions dlg(settings_, svc_.store, svc_.prompts, *this, this);
    dlg.exec();
    // Colours picked are in force whichever button closed the dialog.
    ResetOutlineColors();
    picPuzzle_Paint();
    picPuzzle_->update();
}

void frmMain::mnuViewBestTimes_Click() {
    LoadBestTimes();   // with what other games entered meanwhile
    frmBestTimes dlg(
        bestTimes(), svc_.prompts, [this](const BestTimesChange& change) { ChangeBestTimes(change); }, this);
    dlg.exec();
}

void frmMain::mnuFileHint_Click() {
    if (!session_) return;
    picPuzzle_->unsetCursor();   // the session ends any drag itself
    Played(session_->Hint(svc_.random));
}

void frmMain::mnuFileSolve_Click() {
    if (!session_) return;
    picPuzzle_->unsetCursor();
    Played(session_->Solve());
}

void frmMain::Played(const Outcome& done) {
    const uint64_t playing = taken_;
    for (int i = 1; i < done.locks; ++i) SaveBestTimes();
    if (done.completed) {
        tmrPuzzle_.stop();
        if (settings_.TimePuzzle) BestTimeEntry(done.seconds);   // lets events in
    }
    if (done.locks > 0) SaveBestTimes();
    Show(done.redraw);
    if (!session_ || taken_ != playing) return;   // replaced while a prompt was up
    moved_ = dirty_ = true;
    if (done.completed) {
        // Nothing is left to resume of a finished puzzle.
        if (keptOurs_) kept_.Remove();
        keptOurs_ = false;
        return;
    }
    if (done.locks > 0 || keepAfterDrag_) KeepPuzzle(false);
}

void frmMain::KeepPuzzle(bool wait) {
    if (session_ && moved_ && dirty_ && !session_->model().PuzzleComplete) {
        const QString picture = KeptPuzzle::PicturePathFor(QString::fromStdString(session_->model().File.ImageName));
        try {
            if (!picture.isEmpty()) {
                kept_.Keep(QByteArray::fromStdString(session_->StateNaming(picture.toStdString())),
                           session_->Picture(), picture);
                dirty_ = keepAfterDrag_ = false;
                keptOurs_ = true;
            }
        } catch (const StateFileError&) {
            // A puzzle the state file cannot hold is not kept.
        }
    }
    if (wait) kept_.Wait();
}

void frmMain::KeepTimer_Timer() {
    if (!dirty_) return;
    if (session_ && session_->Dragging()) keepAfterDrag_ = true;   // never in the middle of a drag
    else KeepPuzzle(false);
}

void frmMain::picPuzzle_MouseDown(int button, double x, double y) {
    if (!session_ || button != 1) return;
    Show(session_->Press(settings_, x, y));
    if (session_->Dragging()) picPuzzle_->setCursor(Qt::SizeAllCursor);
}

void frmMain::EndDragForCommand() {
    // A command chosen while the button is still held (a menu opened by
    // keyboard) leaves the group where it was dragged; the release then goes
    // to a dialog or nowhere.
    const bool dragging = session_ && session_->EndDrag();
    picPuzzle_->unsetCursor();
    if (dragging) picPuzzle_Paint();   // the picked group was raised
}

void frmMain::picPuzzle_MouseMove(double x, double y) {
    if (session_) Show(session_->Move(x, y, PlayNow()));
}

void frmMain::picPuzzle_MouseUp(int button, double, double) {
    if (button != 1) return;
    picPuzzle_->unsetCursor();
    if (!session_) return;
    const bool dragged = session_->Dragging();
    const Outcome done = session_->Release(PlayNow());
    if (dragged) Played(done);
    else Show(done.redraw);
}

QString frmMain::SamplesFolder() const { return PictureStartFolder(); }

void frmMain::mnuFileOpen_Click() {
    const QString initDir = QString::fromStdString(settings_.InitDir);
    const QString start = FolderHasFile(initDir) ? initDir : SamplesFolder();
    const std::optional<QString> name = svc_.files.OpenFile(this, OpenFilter(), start);
    if (!name || name->isEmpty()) return;
    OpenChosenFile(*name);
}

void frmMain::OpenChosenFile(const QString& name) {
    if (IsStateFileName(name)) {
        stateFileName_ = name;
        if (!LoadPuzzleState()) return;
    } else if (!OpenPicture(name)) {
        return;
    }
    StoreInitDir();
}

bool frmMain::OpenPicture(const QString& path) {
    std::optional<Opening> opened = ReadAside(path, OpenPictureFile);
    if (!opened) return false;
    if (!PrepareWorkingCopy(path)) return false;
    tmrPuzzle_.stop();
    KeepNames(*opened->session);
    FitToPlayArea(*opened);
    TakeOver(std::move(opened->session));
    tmrPuzzle_.start();
    StartWorkingCopy(path);
    const PuzzleFile& names = session_->model().File;
    session_->Rename(path.toStdString(), names.ImageName, names.StateFileName);
    mnuFileScramble_Click();
    return true;
}

std::optional<Opening> frmMain::ReadAside(const QString& file, Opener open) {
    EndDragForCommand();
    const bool wasRunning = tmrPuzzle_.isActive();
    tmrPuzzle_.stop();   // the puzzle on screen waits as it is
    // Every command waits but Close and Exit, which cancel the read.
    std::vector<std::pair<QAction*, bool>> commands;
    for (QAction* a : findChildren<QAction*>())   // the menus themselves stay open to reach them
        if (a != mnuFileClose && a != mnuFileExit && !a->menu<QMenu*>()) commands.emplace_back(a, a->isEnabled());
    for (auto& [a, on] : commands) a->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    qApp->installEventFilter(this);
    QTimer notice;
    notice.setSingleShot(true);
    connect(&notice, &QTimer::timeout, this, [this, file] {
        picPuzzle_->SetNotice(QStringLiteral("Reading \"%1\"... (Esc cancels)").arg(QFileInfo(file).fileName()));
    });
    notice.start(500);

    std::optional<Opening> opened = reading_.Run<Opening>(
        [open, file, settings = settings_, size = PlayNow()](const std::atomic<bool>& cancel) {
            return open(file, settings, size, cancel);
        });

    notice.stop();
    picPuzzle_->SetNotice(QString());
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    for (auto& [a, on] : commands) a->setEnabled(on);
    if (opened && opened->session) return opened;
    if (wasRunning && session_) tmrPuzzle_.start();   // the puzzle on screen goes on
    if (opened && !opened->message.isEmpty()) TellError(opened->message);
    return std::nullopt;
}

void frmMain::FitToPlayArea(Opening& opened) {
    const PlaySize now = PlayNow();
    if (now.width == opened.size.width && now.height == opened.size.height && now.ratio == opened.size.ratio)
        return;
    // Resized while it was read: cut again as a resize would. Too small a
    // play area keeps the cut it has, as a resize does.
    opened.session->Recut(settings_, now);
    opened.size = now;
}

void frmMain::KeepNames(PuzzleSession& next) const {
    if (!session_) return;
    const PuzzleFile& names = session_->model().File;
    next.Rename(names.ImageFileName, names.ImageName, names.StateFileName);
}

bool frmMain::eventFilter(QObject* watched, QEvent* e) {
    if (!reading_.Running()) return QMainWindow::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            if (e->type() == QEvent::KeyPress) reading_.Cancel();
            e->accept();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (watched == picPuzzle_) return true;
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void frmMain::TellError(const QString& text) { svc_.prompts.Message(this, QStringLiteral("Error:"), text); }

void frmMain::TellWorkingCopyFailed(const QString& picture, const QString& why) {
    TellError(QStringLiteral("The working copy of \"%1\" could not be written to \"%2\": %3")
                  .arg(QDir::toNativeSeparators(picture), QDir::toNativeSeparators(WorkingBitmapPath()), why));
}

bool frmMain::PrepareWorkingCopy(const QString& picture) {
    const QString err = bitmapWriter_.Prepare(WorkingBitmapPath());
    if (err.isEmpty()) return true;
    TellWorkingCopyFailed(picture, err);
    return false;
}

void frmMain::StartWorkingCopy(const QString& picture) {
    // The game plays from the decoded picture; its working copy is written
    // alongside and a late failure is reported when it happens.
    bitmapWriter_.Begin(session_->Picture(), [this, picture](const QString& why) {
        QMetaObject::invokeMethod(this, [this, picture, why] { TellWorkingCopyFailed(picture, why); },
                                  Qt::QueuedConnection);
    });
}

bool frmMain::SetWholeImage() {
    if (!session_) return false;
    const bool wasRunning = tmrPuzzle_.isActive();
    tmrPuzzle_.stop();
    // Built aside; taken over only when it is complete.
    PuzzleSession::Made made = PuzzleSession::FromPicture(session_->Picture(), settings_, PlayNow());
    if (!made.session) {
        TellError(made.refusal);
        if (wasRunning) tmrPuzzle_.start();   // the puzzle on screen goes on
        return false;
    }
    KeepNames(*made.session);
    TakeOver(std::move(made.session));
    tmrPuzzle_.start();
    return true;
}

void frmMain::TakeOver(std::unique_ptr<PuzzleSession> next) {
    picPuzzle_->unsetCursor();   // a drag goes with the puzzle it was in
    KeepPuzzle(false);           // the puzzle it replaces, if it was played
    session_ = std::move(next);
    ++taken_;
    frame_.EndDrag();
    moved_ = dirty_ = keepAfterDrag_ = keptOurs_ = false;
    EnableCommands();
}

void frmMain::InitPreview() {
    if (session_) session_->InitPreview(settings_, ScaleWidth());
}

void frmMain::ResetOutlineColors() {
    if (session_) session_->ResetOutlineColors(settings_.Outline.ColorFill);
}

void frmMain::StoreInitDir() {
    // The picture's folder, also for a state file: its picture may be anywhere.
    const PuzzleFile& names = session_->model().File;
    const QFileInfo fi(QString::fromStdString(names.ImageFileName));
    QString dir = fi.absolutePath();
    if (!dir.endsWith('/')) dir += '/';
    settings_.InitDir = dir.toStdString();
    session_->Rename(names.ImageFileName, fi.fileName().toStdString(), names.StateFileName);
    SaveSetting(svc_.store, settings_, Setting::InitDir);
}

void frmMain::mnuFileScramble_Click() {
    if (!session_) return;
    picPuzzle_->unsetCursor();
    Show(session_->Scramble(PlayNow(), svc_.random));
}

void frmMain::tmrPuzzle_Timer() {
    if (session_) session_->Tick();
}

void frmMain::mnuViewPreview_Click() {
    settings_.ViewPreview = !settings_.ViewPreview;
    if (settings_.ViewPreview) InitPreview();
    picPuzzle_Paint();
    SaveSetting(svc_.store, settings_, Setting::ViewPreview);
    mnuViewPreview->setChecked(settings_.ViewPreview);
}

void frmMain::mnuFileClose_Click() {
    reading_.Cancel();
    KeepPuzzle(true);
    tmrPuzzle_.stop();
    picPuzzle_->unsetCursor();
    session_.reset();   // its time, images, records, picture and drag go with it
    ++taken_;
    frame_.EndDrag();
    bitmapWriter_.Wait();
    const QString work = WorkingBitmapPath();
    if (QFile::exists(work)) QFile::remove(work);
    picPuzzle_->update();   // back to the bare background
    EnableCommands(false);
}

}  // namespace pz
