#include "game/shell/frmmain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

#include "game/dialogs/frmabout.h"
#include "game/dialogs/frmbesttimes.h"
#include "game/interaction/groups.h"
#include "game/interaction/hint.h"
#include "game/interaction/hittest.h"
#include "game/interaction/scatter.h"
#include "game/model/cutting.h"
#include "game/model/grid.h"
#include "game/persist/besttimes.h"
#include "game/persist/programdir.h"
#include "game/persist/statefilereader.h"
#include "game/persist/workingimage.h"
#include "game/render/preview.h"
#include "game/render/puzzlecut.h"
#include "platform/desktop/desktop.h"

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
    // The command line as one string; the desktop passes a state file, as a
    // path or a file: URL. A relative path is taken from the folder the game
    // was started in, before the game moves to its own.
    QString commandLine = arguments.join(' ');
    const bool given = !commandLine.isEmpty() && commandLine != QStringLiteral("%1");
    if (given) {
        const QUrl url(commandLine);
        commandLine = commandLine.startsWith(QStringLiteral("file:")) && url.isLocalFile()
                          ? url.toLocalFile()
                          : QDir::current().absoluteFilePath(commandLine);
    }
    QDir::setCurrent(ProgramDirectory());
    RemoveLeftoverWorkingCopy(WorkingBitmapPath());
    InitDirectDraw();
    LoadSettings(svc_.store, g_);
    show();
    // A picture is opened as File > Open opens it; anything else is taken
    // for a state file, with its message when it is none.
    if (given && !IsStateFileName(commandLine) && IsPictureFile(commandLine)) {
        OpenChosenFile(commandLine);
    } else if (given) {
        m_.StateFileName = commandLine.toStdString();
        if (LoadPuzzleState() && desktop::RememberRecentFiles()) {
            desktop::AddRecentDocument(desktop::RecentFile(), commandLine, QString::fromLatin1(desktop::kStateMimeType),
                                       QStringLiteral("Puzzora"), QCoreApplication::applicationFilePath(),
                                       QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
        }
    }
    RegisterFileType();
    LoadBestTimes();
}

void frmMain::RegisterFileType() {
    desktop::Registration r;
    r.executable = QCoreApplication::applicationFilePath();
    r.mimeTypes << PictureMimeTypes();   // "Open With" offers the game for photos
    r.icons = desktop::IconsIn(QStringLiteral(":/appicons/hicolor"));
    QFile icon(QStringLiteral(":/icons/puzzora.png"));
    if (icon.open(QIODevice::ReadOnly)) r.earlierIconPng = icon.readAll();
    if (desktop::WriteRegistration(r)) desktop::RefreshDesktopDatabases(r.dataHome);
}

void frmMain::mnuFileSavePuzzleState_Click() {
    if (!g_.PuzzleLoaded) return;
    const std::optional<QString> name =
        svc_.files.SaveFile(this, QStringLiteral("Puzzle State Files|*.psf"), QString());
    if (!name || name->isEmpty()) return;
    auto fail = [&](const QString& why) {
        TellError(QStringLiteral("The puzzle could not be saved to \"%1\": %2")
                      .arg(QDir::toNativeSeparators(*name), why));
    };
    std::string bytes;
    try {
        bytes = WriteState(g_, m_);
    } catch (const StateFileError& e) {
        return fail(QString::fromStdString(e.message));
    }
    // Written whole or not at all: an existing file survives a failed save.
    QSaveFile f(*name);
    if (!f.open(QIODevice::WriteOnly)) return fail(f.errorString());
    if (f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !f.commit())
        return fail(f.errorString());
}

void frmMain::mnuFileLoadPuzzleState_Click() {
    const std::optional<QString> name =
        svc_.files.OpenFile(this, QStringLiteral("Puzzle State Files|*.psf"), QString());
    if (!name || name->isEmpty()) return;
    m_.StateFileName = name->toStdString();
    LoadPuzzleState();
}

bool frmMain::LoadPuzzleState() {
    const QString file = QString::fromStdString(m_.StateFileName);
    auto fail = [&](const QString& why) {
        TellError(QStringLiteral("The puzzle state file \"%1\" could not be loaded: %2")
                      .arg(QDir::toNativeSeparators(file), why));
        return false;
    };
    // Everything is read and checked into a separate model first; the puzzle
    // on screen changes only when the new one is complete.
    StateFileRead read = ReadStateFile(file);
    if (read.picture.isNull()) return fail(read.error);
    LoadedState& st = read.state;
    QImage& picture = read.picture;
    const QString picturePath = QString::fromStdString(st.ImageFileName);

    Globals next = g_;
    next.NumberOfPieces = st.NumberOfPieces;
    next.NumColumns = st.NumColumns;
    next.NumRows = st.NumRows;
    PuzzleModel nm = std::move(st.model);
    nm.ImageWidth = int16_t(picture.width());
    nm.ImageHeight = int16_t(picture.height());
    nm.ImageFileName = st.ImageFileName;
    nm.ImageName = QFileInfo(picturePath).fileName().toStdString();
    nm.StateFileName = m_.StateFileName;
    const float sw = ScaleWidth(), sh = ScaleHeight();
    nm.PreviousWidth = sw;   // the positions are those of this play area
    nm.PreviousHeight = sh;
    PuzzleImages imgs;
    try {
        nm.PixelRatio = picPuzzle_->Ratio();
        imgs = CutPuzzleImages(next, nm, picture, sw, sh);
        ScalePiecesPosition(nm, sw, sh);
        AlignAllGroups(nm, sw, sh);
    } catch (const std::exception& e) {
        return fail(QStringLiteral("it cannot be cut at this window size (%1)").arg(QString::fromUtf8(e.what())));
    }
    if (!PrepareWorkingCopy(picturePath)) return false;

    tmrPuzzle_.stop();
    EndDrag();
    g_.NumberOfPieces = next.NumberOfPieces;
    g_.NumColumns = next.NumColumns;
    g_.NumRows = next.NumRows;
    g_.ElapsedSeconds = st.ElapsedSeconds;
    m_ = std::move(nm);
    images_ = std::move(imgs);
    workingPicture_ = std::move(picture);
    StartWorkingCopy(picturePath);
    g_.PuzzleLoaded = true;
    EnableCommands();
    picPuzzle_Paint();
    tmrPuzzle_.start();
    return true;
}

void frmMain::LoadBestTimes() {
    if (auto table = bestTimesFile_.Read()) g_.BestTimes = *table;
}

void frmMain::SaveBestTimes() { ChangeBestTimes({}); }

void frmMain::ChangeBestTimes(const BestTimesChange& change) {
    BestTimesFile::Update u = bestTimesFile_.Change(g_.BestTimes, change);
    g_.BestTimes = u.table;
    if (!u.failure.isEmpty()) TellError(u.failure);
}

void frmMain::BestTimeEntry() {
    const int n = g_.NumberOfPieces;
    const int32_t e = g_.ElapsedSeconds;
    // Another game may have entered results since this one started.
    LoadBestTimes();
    if (!EntersBestTimes(g_.BestTimes, n, e)) return;   // also a result never timed
    picPuzzle_Paint();   // let the player see the finished picture first
    picPuzzle_->repaint();
    const std::string name = svc_.prompts
                                 .InputBox(this, QStringLiteral("Puzzora"),
                                           QStringLiteral("You have achieved a new best time, please enter you name."))
                                 .toStdString();
    // Entered into the table as the file holds it once the name is in,
    // where it may no longer be good enough.
    const std::string picture = m_.ImageName;
    ChangeBestTimes([&](BestTimesTable& t) {
        if (EntersBestTimes(t, n, e)) InsertBestTime(t, n, e, name, picture);
    });
}

void frmMain::mnuFileOptions_Click() {
    frmOptions dlg(g_, svc_.store, svc_.prompts, *this, this);
    dlg.exec();
    // Colours picked are in force whichever button closed the dialog.
    ResetOutlineColors();
    picPuzzle_Paint();
    picPuzzle_->update();
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout dlg({svc_.prompts, [](const QUrl& url) { return QDesktopServices::openUrl(url); },
                  [](const QString& program) { return QProcess::startDetached(program, {}); }},
                 this);
    dlg.exec();
}

void frmMain::mnuViewBestTimes_Click() {
    LoadBestTimes();   // with what other games entered meanwhile
    frmBestTimes dlg(g_, svc_.prompts, [this](const BestTimesChange& change) { ChangeBestTimes(change); }, this);
    dlg.exec();
}

void frmMain::mnuFileHint_Click() {
    if (!g_.PuzzleLoaded || m_.GroupCount < 1) return;
    const int16_t grp = ChooseHintGroup(m_, svc_.random);
    EndDrag();
    MoveGroupToPlace(m_, grp);
    SetGroupInPlace(g_, m_, grp, *this);
    picPuzzle_Paint();
}

void frmMain::mnuFileSolve_Click() {
    if (!g_.PuzzleLoaded) return;
    EndDrag();
    const std::vector<int16_t> order(m_.GroupOrder.begin() + 1, m_.GroupOrder.begin() + 1 + m_.GroupCount);
    for (int16_t grp : order) SetGroupInPlace(g_, m_, grp, *this);
    picPuzzle_Paint();
}

void frmMain::picPuzzle_MouseDown(int button, double x, double y) {
    if (!g_.PuzzleLoaded || button != 1 || m_.DraggingGroup) return;
    if (!m_.DraggingPreview) {
        if (const int p = FindPieceAt(g_, m_, x, y)) {
            m_.SelectedPiece = int16_t(p);
            ReOrderGroups(m_);
            m_.DraggingGroup = true;
            dragLayer_.Begin(g_, m_, images_, drawCache_, backBuffer_, m_.Pieces[p].Group);
            picPuzzle_->setCursor(Qt::SizeAllCursor);
            return;
        }
    }
    // A hidden preview cannot be grabbed.
    if (!m_.DraggingPreview && g_.ViewPreview && OnPreviewCaption(m_, x, y)) {
        m_.DraggingPreview = true;
        picPuzzle_->setCursor(Qt::SizeAllCursor);
    }
}

void frmMain::EndDrag() {
    m_.DraggingGroup = false;
    m_.DraggingPreview = false;
    dragLayer_.End();
    picPuzzle_->unsetCursor();
}

void frmMain::EndDragForCommand() {
    // A command chosen while the button is still held (a menu opened by
    // keyboard) leaves the group where it was dragged; the release then goes
    // to a dialog or nowhere.
    const bool dragging = DragInProgress();
    EndDrag();
    if (dragging) picPuzzle_Paint();   // the picked group was raised
}

bool frmMain::DragInProgress() const {
    if (!g_.PuzzleLoaded) return false;
    if (m_.DraggingPreview) return true;
    return m_.DraggingGroup && m_.SelectedPiece >= 1 && m_.SelectedPiece <= g_.NumberOfPieces &&
           size_t(m_.SelectedPiece) < m_.Pieces.size() && m_.Pieces[m_.SelectedPiece].Group > 0;
}

void frmMain::picPuzzle_MouseMove(double x, double y) {
    if (!DragInProgress()) return;
    // Only what the dragged group or the preview left and entered is drawn.
    Damage d;
    if (m_.DraggingGroup) {
        const int16_t grp = m_.Pieces[m_.SelectedPiece].Group;
        d.AddGroup(m_, grp);
        DragGroupTo(m_, x, y, ScaleWidth(), ScaleHeight());
        d.AddGroup(m_, grp);
        PaintDamage(d, &dragLayer_);
    } else if (m_.DraggingPreview) {
        d.AddPreview(m_);
        DragPreviewTo(m_, x, y, ScaleWidth(), ScaleHeight());
        d.AddPreview(m_);
        PaintDamage(d);
    }
}

void frmMain::picPuzzle_MouseUp(int button, double, double) {
    if (button != 1) return;
    // Only a release that ends a drag places or joins anything: the
    // selection of an earlier drag may name a group merged away since.
    if (!DragInProgress() || m_.DraggingPreview) {
        EndDrag();
        return;
    }
    picPuzzle_->unsetCursor();
    m_.SelectedGroup = m_.Pieces[m_.SelectedPiece].Group;
    // The press lifted the group without drawing it; it shows on top now,
    // with whatever the drop moved, joined or locked.
    const PuzzleModel before = m_;
    Damage d;
    d.AddGroup(m_, m_.SelectedGroup);
    if (IsAtHome(m_, m_.SelectedPiece))
        SetGroupInPlace(g_, m_, m_.SelectedGroup, *this);
    else
        JoinPass(g_, m_, ScaleWidth(), ScaleHeight());
    m_.DraggingGroup = false;
    dragLayer_.End();
    if (m_.PuzzleComplete) {
        picPuzzle_Paint();   // the home frame goes
        return;
    }
    d.AddChanges(before, m_);
    PaintDamage(d);
}

void frmMain::InitDirectDraw() { NewBackBuffer(); }

void frmMain::NewBackBuffer() {
    frameView_ = QImage();
    dragLayer_.Release();
    backBuffer_ = Surface(int(ScaleWidth()), int(ScaleHeight()));
    backBuffer_.SetDevicePixelRatio(picPuzzle_->Ratio());
    // Every pixel of the back buffer is opaque: the same bytes read as RGB32.
    const QImage& img = backBuffer_.Image();
    if (!img.isNull())
        frameView_ = QImage(img.constBits(), img.width(), img.height(), img.bytesPerLine(), QImage::Format_RGB32);
    frameView_.setDevicePixelRatio(picPuzzle_->Ratio());
}

void frmMain::EnableCommands() {
    mnuFileClose->setEnabled(true);
    mnuFileSavePuzzleState->setEnabled(true);
    tbSave_->setEnabled(true);
}

void frmMain::Toolbar1_ButtonClick(int index) {
    if (index == 1) mnuFileOpen_Click();
    if (index == 2) mnuFileSavePuzzleState_Click();
}

QString frmMain::SamplesFolder() const { return PictureStartFolder(); }

void frmMain::mnuFileOpen_Click() {
    const QString initDir = QString::fromStdString(g_.InitDir);
    const QString start = FolderHasFile(initDir) ? initDir : SamplesFolder();
    const std::optional<QString> name = svc_.files.OpenFile(this, OpenFilter(), start);
    if (!name || name->isEmpty()) return;
    OpenChosenFile(*name);
}

void frmMain::OpenChosenFile(const QString& name) {
    if (IsStateFileName(name)) {
        m_.StateFileName = name.toStdString();
        if (!LoadPuzzleState()) return;
    } else if (!OpenPicture(name)) {
        return;
    }
    StoreInitDir();
}

bool frmMain::OpenPicture(const QString& path) {
    QImage picture = ReadPictureOrTell(path);
    if (picture.isNull()) return false;
    if (!PrepareWorkingCopy(path)) return false;
    QImage previous = std::move(workingPicture_);
    workingPicture_ = picture;
    if (!SetWholeImage()) {
        bitmapWriter_.Cancel();
        workingPicture_ = std::move(previous);
        return false;
    }
    StartWorkingCopy(path);
    m_.ImageFileName = path.toStdString();
    mnuFileScramble_Click();
    return true;
}

QImage frmMain::ReadPictureOrTell(const QString& path) {
    PictureResult pic = ReadPicture(path);
    if (pic.image.isNull()) {
        TellError(QStringLiteral("The picture \"%1\" could not be opened: %2")
                      .arg(QDir::toNativeSeparators(path), pic.error));
        return QImage();
    }
    if (TellIfTooSmall(pic.image)) return QImage();
    return std::move(pic.image);
}

void frmMain::TellError(const QString& text) { svc_.prompts.Message(this, QStringLiteral("Error:"), text); }

bool frmMain::TellIfTooSmall(const QImage& picture) {
    if (!IsTooSmallPicture(picture)) return false;
    TellError(QStringLiteral("Image must be at least 33 x 32 pixels"));
    return true;
}

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
    bitmapWriter_.Begin(workingPicture_, [this, picture](const QString& why) {
        QMetaObject::invokeMethod(this, [this, picture, why] { TellWorkingCopyFailed(picture, why); },
                                  Qt::QueuedConnection);
    });
}

bool frmMain::SetWholeImage() {
    const bool wasRunning = tmrPuzzle_.isActive();
    tmrPuzzle_.stop();
    auto fail = [&](const QString& text) {
        if (!text.isEmpty()) TellError(text);
        if (wasRunning) tmrPuzzle_.start();   // the puzzle on screen goes on
        return false;
    };
    const QImage& pic = workingPicture_;
    if (TellIfTooSmall(pic)) return fail(QString());

    // Build the new puzzle aside; take it over only when it is complete.
    Globals next = g_;
    SetDivisors(next);
    PuzzleModel nm;
    nm.ImageWidth = int16_t(pic.width());
    nm.ImageHeight = int16_t(pic.height());
    GridChoice grid;
    if (!ChooseGrid(next, nm.ImageWidth, nm.ImageHeight, grid))
        return fail(QStringLiteral("%1 pieces cannot be laid out in a grid.").arg(next.NumberOfPieces));
    next.NumColumns = grid.columns;
    next.NumRows = grid.rows;
    InitPieceRecords(next, nm);
    nm.ImageFileName = m_.ImageFileName;
    nm.ImageName = m_.ImageName;
    nm.StateFileName = m_.StateFileName;
    const float sw = ScaleWidth(), sh = ScaleHeight();
    nm.PreviousWidth = sw;   // the new cut belongs to this play area
    nm.PreviousHeight = sh;
    PuzzleImages imgs;
    try {
        nm.PixelRatio = picPuzzle_->Ratio();
        imgs = CutPuzzleImages(next, nm, pic, sw, sh);
    } catch (const std::exception& e) {
        return fail(QStringLiteral("The picture cannot be cut into %1 pieces at this window size (%2).")
                        .arg(next.NumberOfPieces)
                        .arg(QString::fromUtf8(e.what())));
    }
    EndDrag();
    g_.Divisors = next.Divisors;
    g_.DivisorCount = next.DivisorCount;
    g_.NumColumns = next.NumColumns;
    g_.NumRows = next.NumRows;
    m_ = std::move(nm);
    images_ = std::move(imgs);
    g_.PuzzleLoaded = true;
    EnableCommands();
    tmrPuzzle_.start();
    return true;
}

bool frmMain::ResizePuzzle() {
    const float sw = ScaleWidth(), sh = ScaleHeight();
    PuzzleModel next = m_;
    next.PixelRatio = picPuzzle_->Ratio();
    PuzzleImages imgs;
    try {
        imgs = CutPuzzleImages(g_, next, workingPicture_, sw, sh);
    } catch (const std::exception&) {
        return false;   // too small to cut: the last cut stays as it is
    }
    if (!g_.ViewPreview) imgs.PreviewImage = std::move(images_.PreviewImage);
    ScalePiecesPosition(next, sw, sh);
    AlignAllGroups(next, sw, sh);
    m_ = std::move(next);
    images_ = std::move(imgs);
    return true;
}

void frmMain::InitPreview() {
    if (!g_.PuzzleLoaded || workingPicture_.isNull()) return;
    PlacePreview(g_, m_, ScaleWidth());
    images_.PreviewImage = MakePreviewImage(workingPicture_, m_);
}

void frmMain::ResetOutlineColors() { pz::ResetOutlineColors(images_.Lines, g_.OutlineColorFill); }

void frmMain::StoreInitDir() {
    const QFileInfo fi(QString::fromStdString(m_.ImageFileName));
    QString dir = fi.absolutePath();
    if (!dir.endsWith('/')) dir += '/';
    g_.InitDir = dir.toStdString();
    m_.ImageName = fi.fileName().toStdString();
    SaveInitDir(svc_.store, g_);
}

void frmMain::mnuFileScramble_Click() {
    if (!g_.PuzzleLoaded) return;
    EndDrag();
    Scramble(g_, m_, ScaleWidth(), ScaleHeight(), svc_.random);
    picPuzzle_Paint();
}

void frmMain::tmrPuzzle_Timer() { ++g_.ElapsedSeconds; }

void frmMain::mnuView_Click() { mnuViewPreview->setChecked(g_.ViewPreview); }

void frmMain::mnuViewPreview_Click() {
    if (!g_.ViewPreview) {
        g_.ViewPreview = true;
        if (g_.PuzzleLoaded) InitPreview();
    } else {
        g_.ViewPreview = false;
    }
    picPuzzle_Paint();
    SaveViewPreview(svc_.store, g_);
    mnuViewPreview->setChecked(g_.ViewPreview);
}

void frmMain::mnuFileClose_Click() {
    tmrPuzzle_.stop();
    EndDrag();
    g_.ElapsedSeconds = 0;
    images_.PreviewImage = Surface();
    if (g_.PuzzleLoaded) {
        images_.Release();
        dragLayer_.Release();
        g_.PuzzleLoaded = false;
        m_.ShrinkLists();
        workingPicture_ = QImage();
    }
    bitmapWriter_.Wait();
    const QString work = WorkingBitmapPath();
    if (QFile::exists(work)) QFile::remove(work);
    picPuzzle_->update();   // back to the bare background
    mnuFileClose->setEnabled(false);
    mnuFileSavePuzzleState->setEnabled(false);
    tbSave_->setEnabled(false);
}

void frmMain::mnuFileExit_Click() { close(); }

void frmMain::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    mnuFileClose_Click();
    frameView_ = QImage();
    backBuffer_ = Surface();
}

void frmMain::Form_Resize() {
    if (isMinimized() || unloaded_) return;
    const float sw = ScaleWidth(), sh = ScaleHeight();
    NewBackBuffer();
    // A play area too small to cut keeps the last cut, its positions and the
    // size they belong to, until it grows again; the model always describes
    // the cut on screen.
    const bool cut = !g_.PuzzleLoaded || ResizePuzzle();
    picPuzzle_Paint();
    if (!cut) return;
    m_.PreviousHeight = sh;
    m_.PreviousWidth = sw;
}

void frmMain::picPuzzle_Paint() {
    if (isMinimized() || !g_.PuzzleLoaded || backBuffer_.IsNull()) return;
    ComposeFrame(g_, m_, images_, drawCache_, backBuffer_, &bandWorker_);
    // A frame made again in the middle of a drag (a resize) is what the rest
    // of the drag is drawn over.
    if (m_.DraggingGroup && DragInProgress())
        dragLayer_.Begin(g_, m_, images_, drawCache_, backBuffer_, m_.Pieces[m_.SelectedPiece].Group);
    else
        dragLayer_.End();
    picPuzzle_->update();
}

void frmMain::PaintDamage(const Damage& damage, const DragLayer* layer) {
    if (isMinimized() || !g_.PuzzleLoaded || backBuffer_.IsNull()) return;
    const std::vector<Rect> rects = damage.Rects(backBuffer_.Width(), backBuffer_.Height());
    if (layer)
        layer->Compose(g_, m_, images_, drawCache_, backBuffer_, rects);
    else
        ComposeRects(g_, m_, images_, drawCache_, backBuffer_, rects);
    std::vector<QRect> shown;
    shown.reserve(rects.size());
    for (const Rect& r : rects) shown.emplace_back(r.Left, r.Top, r.Width(), r.Height());
    picPuzzle_->Present(shown);
}

}  // namespace pz
