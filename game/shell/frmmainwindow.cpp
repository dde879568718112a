// The main window's controls: the play area and its mouse, the menus, the
// toolbar, the timer and the controls its saved form data names.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QDesktopServices>
#include <QProcess>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>

#include "game/dialogs/frmabout.h"
#include "game/picture/picture.h"
#include "game/picture/wall.h"
#include "game/shell/frmmain.h"
#include "platform/winmsg/qtwindowsystem.h"

// The icons live in a static library; pull its resources in.
static void InitShellResources() { Q_INIT_RESOURCE(resources); }

namespace pz {

frmMain::frmMain(Settings& settings, MainServices services, QWidget* parent)
    : QMainWindow(parent), settings_(settings), svc_(services) {
    InitShellResources();
    setWindowTitle(QStringLiteral("Puzzora"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/puzzora.png")));
    BuildMenus();

    picPuzzle_ = new PlayArea(this);
    picPuzzle_->setObjectName(QStringLiteral("picPuzzle"));
    picPuzzle_->frame = [this]() -> const QImage* {
        return session_ && !frame_.IsNull() ? &frame_.View() : nullptr;
    };
    picPuzzle_->background = [this] {
        const uint32_t c = uint32_t(settings_.Background.ColorFill);
        return QColor((c >> 16) & 0xff, (c >> 8) & 0xff, c & 0xff);
    };
    picPuzzle_->onResize = [this] { Form_Resize(); };
    // The game plays in screen pixels.
    picPuzzle_->onPress = [this](int button, QPointF d) { picPuzzle_MouseDown(button, d.x(), d.y()); };
    picPuzzle_->onMove = [this](int, QPointF d) { picPuzzle_MouseMove(d.x(), d.y()); };
    picPuzzle_->onRelease = [this](int button, QPointF d) { picPuzzle_MouseUp(button, d.x(), d.y()); };
    setCentralWidget(picPuzzle_);

    tmrPuzzle_.setInterval(1000);
    connect(&tmrPuzzle_, &QTimer::timeout, this, [this] { tmrPuzzle_Timer(); });
    keepTimer_.setInterval(30000);
    connect(&keepTimer_, &QTimer::timeout, this, [this] { KeepTimer_Timer(); });
    keepTimer_.start();
    // The desktop session ending, or the application quitting by any way.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { KeepPuzzle(true); });
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, [this] { KeepPuzzle(true); });
    resize(800, 600);
    setAcceptDrops(true);

    hwnd_ = winmsg::QtWindowSystem::Instance().Register(this);
    LoadFormControls();
}

frmMain::~frmMain() {
    bitmapWriter_.Wait();
    winmsg::QtWindowSystem::Instance().Destroy(hwnd_);
    controls_.clear();   // each control terminates and detaches
}

void frmMain::LoadFormControls() {
    // The window's saved form data names its controls and their properties.
    QFile f(QStringLiteral(":/forms/frmMain.frm"));
    if (f.open(QIODevice::ReadOnly))
        controls_ = forms::CreateFormControls(f.readAll(), hwnd_, winmsg::QtWindowSystem::Instance());
}

forms::HostedControl* frmMain::FormControl(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.get();
}

void frmMain::BuildMenus() {
    auto add = [this](QMenu* menu, const QString& text, const char* name, void (frmMain::*slot)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (slot) connect(a, &QAction::triggered, this, [this, slot] {
            EndDragForCommand();
            (this->*slot)();
        });
        return a;
    };
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileOpen = add(mnuFile, QStringLiteral("&Open..."), "mnuFileOpen", &frmMain::mnuFileOpen_Click);
    mnuFileClose = add(mnuFile, QStringLiteral("Close"), "mnuFileClose", &frmMain::mnuFileClose_Click);
    mnuFile->addSeparator();
    mnuFileLoadPuzzleState = add(mnuFile, QStringLiteral("Load Puzzle State"), "mnuFileLoadPuzzleState",
                                 &frmMain::mnuFileLoadPuzzleState_Click);
    mnuFileSavePuzzleState = add(mnuFile, QStringLiteral("Save Puzzle State"), "mnuFileSavePuzzleState",
                                 &frmMain::mnuFileSavePuzzleState_Click);
    mnuFile->addSeparator();
    mnuFileScramble = add(mnuFile, QStringLiteral("Scramble"), "mnuFileScramble", &frmMain::mnuFileScramble_Click);
    mnuFileHint = add(mnuFile, QStringLiteral("Hint"), "mnuFileHint", &frmMain::mnuFileHint_Click);
    mnuFileSolve = add(mnuFile, QStringLiteral("Solve"), "mnuFileSolve", &frmMain::mnuFileSolve_Click);
    mnuFile->addSeparator();
    mnuFileOptions = add(mnuFile, QStringLiteral("Options..."), "mnuFileOptions", &frmMain::mnuFileOptions_Click);
    mnuFile->addSeparator();
    mnuFileExit = add(mnuFile, QStringLiteral("E&xit"), "mnuFileExit", &frmMain::mnuFileExit_Click);

    mnuView = menuBar()->addMenu(QStringLiteral("View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewPreview = add(mnuView, QStringLiteral("Preview"), "mnuViewPreview", &frmMain::mnuViewPreview_Click);
    mnuViewPreview->setCheckable(true);
    mnuView->addSeparator();
    mnuViewBestTimes =
        add(mnuView, QStringLiteral("Best Times..."), "mnuViewBestTimes", &frmMain::mnuViewBestTimes_Click);
    connect(mnuView, &QMenu::aboutToShow, this, [this] { mnuView_Click(); });

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout = add(mnuHelp, QStringLiteral("About..."), "mnuHelpAbout", &frmMain::mnuHelpAbout_Click);

    BuildToolbar();

    // Nothing to close or save until a puzzle is loaded.
    EnableCommands(false);
}

void frmMain::BuildToolbar() {
    toolbar_ = addToolBar(QStringLiteral("Toolbar1"));
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbOpen_ = toolbar_->addAction(QIcon(QStringLiteral(":/icons/open.png")), QStringLiteral("Open"));
    tbSave_ = toolbar_->addAction(QIcon(QStringLiteral(":/icons/save.png")), QStringLiteral("Save Puzzle State"));
    connect(tbOpen_, &QAction::triggered, this, [this] {
        EndDragForCommand();
        Toolbar1_ButtonClick(1);
    });
    connect(tbSave_, &QAction::triggered, this, [this] {
        EndDragForCommand();
        Toolbar1_ButtonClick(2);
    });
}

void frmMain::closeEvent(QCloseEvent* e) {
    reading_.Cancel();
    Form_Unload();
    e->accept();
}

void frmMain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // Back from minimised the window may only be shown again as it was; a
    // size or scale changed meanwhile is made good by painting afresh.
    if (e->type() == QEvent::WindowStateChange && !isMinimized()) picPuzzle_->update();
}

namespace {
// The one state file or picture a drop carries, or nothing.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile()) return {};
    const QString path = url.toLocalFile();
    return QFileInfo(path).isFile() && (IsStateFileName(path) || IsPictureBehindWall(path)) ? path : QString();
}
}  // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* e) {
    if (!reading_.Running() && !DroppedFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* e) {
    const QString path = DroppedFile(e->mimeData());
    if (path.isEmpty()) return;
    e->acceptProposedAction();
    // Opened once the drop is over, so that the file manager is not kept
    // waiting on a message the opening may show.
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            EndDragForCommand();
            OpenChosenFile(path);
        },
        Qt::QueuedConnection);
}

void frmMain::InitDirectDraw() { NewBackBuffer(); }

void frmMain::NewBackBuffer() { frame_.Resize(int(ScaleWidth()), int(ScaleHeight()), picPuzzle_->Ratio()); }

void frmMain::EnableCommands(bool on) {
    mnuFileClose->setEnabled(on);
    mnuFileSavePuzzleState->setEnabled(on);
    tbSave_->setEnabled(on);
}

void frmMain::Toolbar1_ButtonClick(int index) {
    if (index == 1) mnuFileOpen_Click();
    if (index == 2) mnuFileSavePuzzleState_Click();
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout dlg({svc_.prompts, [](const QUrl& url) { return QDesktopServices::openUrl(url); },
                  [](const QString& program) { return QProcess::startDetached(program, {}); }},
                 this);
    dlg.exec();
}

void frmMain::mnuView_Click() { mnuViewPreview->setChecked(settings_.ViewPreview); }

void frmMain::mnuFileExit_Click() { close(); }

void frmMain::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    mnuFileClose_Click();
    frame_.Release();
}

void frmMain::Form_Resize() {
    if (isMinimized() || unloaded_) return;
    NewBackBuffer();
    // A play area too small to cut keeps the last cut, its positions and the
    // size they belong to, until it grows again; the model always describes
    // the cut on screen.
    if (session_) session_->Recut(settings_, PlayNow());
    picPuzzle_Paint();
}

void frmMain::picPuzzle_Paint() {
    if (isMinimized() || !session_ || frame_.IsNull()) return;
    frame_.Whole(settings_, session_->scene(), session_->LiftedGroup());
    picPuzzle_->update();
}

void frmMain::Show(const Redraw& redraw) {
    if (redraw.kind == Redraw::Whole) return picPuzzle_Paint();
    if (redraw.kind == Redraw::Nothing || isMinimized() || !session_ || frame_.IsNull()) return;
    std::vector<QRect> shown;
    for (const Rect& r : frame_.Draw(settings_, session_->scene(), redraw))
        shown.emplace_back(r.Left, r.Top, r.Width(), r.Height());
    if (!shown.empty()) picPuzzle_->Present(shown);
}

}  // namespace pz
