#include "game/shell/frmmain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMouseEvent>

#include "game/interaction/groups.h"
#include "game/interaction/scatter.h"
#include "game/model/cutting.h"
#include "game/model/grid.h"
#include "game/persist/programdir.h"
#include "game/persist/workingimage.h"
#include "game/render/preview.h"

namespace pz {

namespace {

const QString kOpenFilter =
    QStringLiteral("Supported Graphic Files|*.bmp;*.jpg;*.gif;*.jpeg;*.png|Puzzle State Files|*.psf");

// Geometry, preview, line images and piece images of a cut for a play area
// of sw x sh. Throws where the geometry overflows; changes nothing visible.
PuzzleImages CutPuzzle(const Globals& g, PuzzleModel& m, const QImage& picture, float sw, float sh) {
    ComputeCutGeometry(g, m, sw, sh);
    const Surface whole = Surface::FromImage(picture, m.PuzzleWidth, m.PuzzleHeight);
    if (whole.Width() != m.PuzzleWidth || whole.Height() != m.PuzzleHeight)
        throw std::runtime_error("the working picture could not be made");
    PuzzleImages out;
    if (g.ViewPreview) {
        PlacePreview(g, m, sw);
        out.PreviewImage = Surface::FromImage(whole.Image(), m.PreviewWidth, m.PreviewHeight);
    }
    out.Lines = MakeLineImages(g, m);
    ResetOutlineColors(out.Lines, g.OutlineColorFill);
    out.PieceImages = CutPieces(g, m, whole);
    return out;
}

bool FolderHasFile(const QString& dir) {
    return !dir.isEmpty() && !QDir(dir).entryList(QDir::Files).isEmpty();
}

}  // namespace

frmMain::frmMain(Globals& g, MainServices services, QWidget* parent)
    : QMainWindow(parent), g_(g), svc_(services) {
    setWindowTitle(QStringLiteral("Puzzora"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/puzzora.png")));
    BuildMenus();

    picPuzzle_ = new PlayArea(this);
    picPuzzle_->setObjectName(QStringLiteral("picPuzzle"));
    picPuzzle_->frame = [this]() -> const QImage* {
        return g_.PuzzleLoaded && !backBuffer_.IsNull() ? &backBuffer_.Image() : nullptr;
    };
    picPuzzle_->background = [this] {
        const uint32_t c = uint32_t(g_.BackgroundColorFill);
        return QColor((c >> 16) & 0xff, (c >> 8) & 0xff, c & 0xff);
    };
    picPuzzle_->onResize = [this] { Form_Resize(); };
    setCentralWidget(picPuzzle_);

    tmrPuzzle_.setInterval(1000);
    connect(&tmrPuzzle_, &QTimer::timeout, this, [this] { tmrPuzzle_Timer(); });
    resize(800, 600);
}

frmMain::~frmMain() = default;

void frmMain::BuildMenus() {
    auto add = [this](QMenu* menu, const QString& text, const char* name, void (frmMain::*slot)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (slot) connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return a;
    };
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileOpen = add(mnuFile, QStringLiteral("&Open..."), "mnuFileOpen", &frmMain::mnuFileOpen_Click);
    mnuFileClose = add(mnuFile, QStringLiteral("Close"), "mnuFileClose", &frmMain::mnuFileClose_Click);
    mnuFile->addSeparator();
    mnuFileLoadPuzzleState = add(mnuFile, QStringLiteral("Load Puzzle State"), "mnuFileLoadPuzzleState", nullptr);
    mnuFileSavePuzzleState = add(mnuFile, QStringLiteral("Save Puzzle State"), "mnuFileSavePuzzleState", nullptr);
    mnuFile->addSeparator();
    mnuFileScramble = add(mnuFile, QStringLiteral("Scramble"), "mnuFileScramble", &frmMain::mnuFileScramble_Click);
    mnuFileHint = add(mnuFile, QStringLiteral("Hint"), "mnuFileHint", nullptr);
    mnuFileSolve = add(mnuFile, QStringLiteral("Solve"), "mnuFileSolve", nullptr);
    mnuFile->addSeparator();
    mnuFileOptions = add(mnuFile, QStringLiteral("Options..."), "mnuFileOptions", nullptr);
    mnuFile->addSeparator();
    mnuFileExit = add(mnuFile, QStringLiteral("E&xit"), "mnuFileExit", &frmMain::mnuFileExit_Click);

    mnuView = menuBar()->addMenu(QStringLiteral("View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewPreview = add(mnuView, QStringLiteral("Preview"), "mnuViewPreview", &frmMain::mnuViewPreview_Click);
    mnuViewPreview->setCheckable(true);
    mnuView->addSeparator();
    mnuViewBestTimes = add(mnuView, QStringLiteral("Best Times..."), "mnuViewBestTimes", nullptr);
    connect(mnuView, &QMenu::aboutToShow, this, [this] { mnuView_Click(); });

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout = add(mnuHelp, QStringLiteral("About..."), "mnuHelpAbout", nullptr);

    toolbar_ = addToolBar(QStringLiteral("Toolbar1"));
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbOpen_ = toolbar_->addAction(QIcon(QStringLiteral(":/icons/open.png")), QStringLiteral("Open"));
    tbSave_ = toolbar_->addAction(QIcon(QStringLiteral(":/icons/save.png")), QStringLiteral("Save Puzzle State"));
    connect(tbOpen_, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(1); });
    connect(tbSave_, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(2); });

    // Nothing to close or save until a puzzle is loaded.
    mnuFileClose->setEnabled(false);
    mnuFileSavePuzzleState->setEnabled(false);
    tbSave_->setEnabled(false);
}

void frmMain::Form_Load() {
    QDir::setCurrent(ProgramDirectory());
    InitDirectDraw();
    LoadSettings(svc_.store, g_);
    show();
}

void frmMain::InitDirectDraw() {
    backBuffer_ = Surface(picPuzzle_->width(), picPuzzle_->height());
}

void frmMain::EnableCommands() {
    mnuFileClose->setEnabled(true);
    mnuFileSavePuzzleState->setEnabled(true);
    tbSave_->setEnabled(true);
}

void frmMain::Toolbar1_ButtonClick(int index) {
    if (index == 1) mnuFileOpen_Click();
}

QString frmMain::SamplesFolder() const {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/samples");
    if (QFileInfo(beside).isDir()) return beside;
#ifdef PUZZORA_SAMPLES_DIR
    return QStringLiteral(PUZZORA_SAMPLES_DIR);
#else
    return QString();
#endif
}

void frmMain::mnuFileOpen_Click() {
    const QString initDir = QString::fromStdString(g_.InitDir);
    const QString start = FolderHasFile(initDir) ? initDir : SamplesFolder();
    const std::optional<QString> name = svc_.files.OpenFile(this, kOpenFilter, start);
    if (!name || name->isEmpty()) return;
    if (name->endsWith(QStringLiteral(".psf"), Qt::CaseSensitive)) {
        // Puzzle state files are loaded by the state-file reader.
        return;
    }
    if (!OpenPicture(*name)) return;
    StoreInitDir();
}

bool frmMain::OpenPicture(const QString& path) {
    PictureResult pic = ReadPicture(path);
    if (pic.image.isNull()) {
        svc_.prompts.Message(this, QStringLiteral("Error:"),
                             QStringLiteral("The picture \"%1\" could not be opened: %2")
                                 .arg(QDir::toNativeSeparators(path), pic.error));
        return false;
    }
    if (pic.image.height() <= 32 || pic.image.width() <= 32) {
        svc_.prompts.Message(this, QStringLiteral("Error:"), QStringLiteral("Image must be at least 33 x 32 pixels"));
        return false;
    }
    // The game plays from the decoded picture; its working copy is written
    // alongside. A folder that cannot be written is known before anything
    // changes; a later failure is reported when it happens.
    const QString work = WorkingBitmapPath();
    auto tell = [this, path, work](const QString& why) {
        svc_.prompts.Message(this, QStringLiteral("Error:"),
                             QStringLiteral("The working copy of \"%1\" could not be written to \"%2\": %3")
                                 .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(work), why));
    };
    const QString err = bitmapWriter_.Start(pic.image, work, [this, tell](const QString& why) {
        QMetaObject::invokeMethod(this, [tell, why] { tell(why); }, Qt::QueuedConnection);
    });
    if (!err.isEmpty()) {
        tell(err);
        return false;
    }
    QImage previous = std::move(workingPicture_);
    workingPicture_ = std::move(pic.image);
    if (!SetWholeImage()) {
        workingPicture_ = std::move(previous);
        return false;
    }
    m_.ImageFileName = path.toStdString();
    mnuFileScramble_Click();
    return true;
}

bool frmMain::SetWholeImage() {
    const bool wasRunning = tmrPuzzle_.isActive();
    tmrPuzzle_.stop();
    auto fail = [&](const QString& text) {
        if (!text.isEmpty()) svc_.prompts.Message(this, QStringLiteral("Error:"), text);
        if (wasRunning) tmrPuzzle_.start();   // the puzzle on screen goes on
        return false;
    };
    const QImage& pic = workingPicture_;
    if (pic.height() <= 32 || pic.width() <= 32)
        return fail(QStringLiteral("Image must be at least 33 x 32 pixels"));

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
    nm.PreviousWidth = m_.PreviousWidth;
    nm.PreviousHeight = m_.PreviousHeight;
    PuzzleImages imgs;
    try {
        imgs = CutPuzzle(next, nm, pic, ScaleWidth(), ScaleHeight());
    } catch (const std::exception& e) {
        return fail(QStringLiteral("The picture cannot be cut into %1 pieces at this window size (%2).")
                        .arg(next.NumberOfPieces)
                        .arg(QString::fromUtf8(e.what())));
    }
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

void frmMain::ResizePuzzle() {
    PuzzleModel next = m_;
    PuzzleImages imgs = CutPuzzle(g_, next, workingPicture_, ScaleWidth(), ScaleHeight());
    if (!g_.ViewPreview) imgs.PreviewImage = std::move(images_.PreviewImage);
    m_ = std::move(next);
    images_ = std::move(imgs);
}

void frmMain::InitPreview() {
    if (!g_.PuzzleLoaded || workingPicture_.isNull()) return;
    PlacePreview(g_, m_, ScaleWidth());
    images_.PreviewImage = Surface::FromImage(workingPicture_, m_.PreviewWidth, m_.PreviewHeight);
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
    g_.ElapsedSeconds = 0;
    images_.PreviewImage = Surface();
    if (g_.PuzzleLoaded) {
        images_.Release();
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
    backBuffer_ = Surface();
}

void frmMain::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

void frmMain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
}

void frmMain::Form_Resize() {
    if (isMinimized() || unloaded_) return;
    const float sw = ScaleWidth(), sh = ScaleHeight();
    backBuffer_ = Surface(int(sw), int(sh));
    if (g_.PuzzleLoaded) {
        try {
            ResizePuzzle();
            ScalePiecesPosition(m_, sw, sh);
            AlignAllGroups(m_, sw, sh);
        } catch (const std::exception&) {
            // Too small to cut: keep the last cut and positions until the
            // play area grows again.
            picPuzzle_Paint();
            return;
        }
    }
    picPuzzle_Paint();
    m_.PreviousHeight = sh;
    m_.PreviousWidth = sw;
}

void frmMain::picPuzzle_Paint() {
    if (isMinimized() || !g_.PuzzleLoaded || backBuffer_.IsNull()) return;
    ComposeFrame(g_, m_, images_, backBuffer_);
    picPuzzle_->update();
}

}  // namespace pz
