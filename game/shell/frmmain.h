#pragma once
// The main window: start-up, shutdown, the commands and the play area.
#include <QAction>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <QToolBar>

#include "game/dialogs/frmoptions.h"
#include "game/interaction/random.h"
#include "game/persist/besttimesfile.h"
#include "game/persist/keptpuzzle.h"
#include "game/persist/settings.h"
#include "game/persist/workingimage.h"
#include "game/render/playframe.h"
#include "game/session/opening.h"
#include "game/session/puzzlesession.h"
#include "game/shell/offthread.h"
#include "game/shell/playarea.h"
#include "platform/filedialogs.h"
#include "platform/forms/qtforms.h"
#include "platform/winmsg/winmsg.h"

namespace pz {

// The services the main window is handed; tests hand it fakes.
struct MainServices {
    SettingsStore& store;
    FileDialogs& files;
    Prompts& prompts;
    Random& random;
};

// A chosen file is a state file when its name says so; anything else is
// taken for a picture.
bool IsStateFileName(const QString& name);

class frmMain : public QMainWindow, public OptionsHost {
    Q_OBJECT
public:
    // settings are the program's, read from the store at start-up.
    frmMain(Settings& settings, MainServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up, in its fixed order. Shows the window. The arguments are the
    // command line after the program's name.
    void Form_Load(const QStringList& arguments = {});

    // Commands.
    void mnuFileOpen_Click();
    // Opens a chosen file as Open does: a state file by its name, anything
    // else as a picture.
    void OpenChosenFile(const QString& name);
    void mnuFileClose_Click();
    void mnuFileExit_Click();
    void mnuFileScramble_Click() override;
    void mnuFileSavePuzzleState_Click();
    void mnuFileLoadPuzzleState_Click();
    // Reads the state file last chosen and takes its puzzle over; on any failure tells the
    // player and leaves the current puzzle as it was. True when loaded.
    bool LoadPuzzleState();
    void mnuFileHint_Click();
    void mnuFileSolve_Click();
    void mnuViewBestTimes_Click();
    void mnuFileOptions_Click();
    void mnuHelpAbout_Click();
    void mnuView_Click();
    void mnuViewPreview_Click();
    void tmrPuzzle_Timer();
    void Toolbar1_ButtonClick(int index);
    // Close and the two saves: enabled while a puzzle is loaded.
    void EnableCommands(bool on = true);

    // Building and showing a puzzle: a new cut of the picture on screen (of
    // the given one), taken over when it can be made.
    bool SetWholeImage() override;
    bool PuzzleLoaded() const override { return session_ != nullptr; }
    void InitPreview() override;
    void InitDirectDraw();
    void picPuzzle_Paint() override;
    void ResetOutlineColors() override;
    void Form_Resize();

    // The play area's mouse: button 1 is the left button; x, y in screen
    // pixels of the play area.
    void picPuzzle_MouseDown(int button, double x, double y);
    void picPuzzle_MouseMove(double x, double y);
    void picPuzzle_MouseUp(int button, double x, double y);

    // Best times: read at start-up, written after every lock; each change
    // is made to what the file holds at that moment, which the table then
    // shows.
    void LoadBestTimes() { bestTimesFile_.Reload(); }
    void SaveBestTimes() { ChangeBestTimes({}); }
    void ChangeBestTimes(const BestTimesChange& change);
    const BestTimesTable& bestTimes() const { return bestTimesFile_.Table(); }

    // The window's handle in the window system, and the controls on it.
    winmsg::HWND hWnd() const { return hwnd_; }
    forms::HostedControl* FormControl(const QString& name) const;

    // Whether a picture or state file is being read; Esc, Close, Exit and
    // the close box cancel the read.
    bool Reading() const { return reading_.Running(); }

    // The kept puzzle: written after every lock home, every 30 seconds while
    // the player moves pieces (never mid-drag), and on every way out (Close,
    // Exit, the close box, the end of the desktop session, SIGTERM).
    void KeepPuzzle(bool wait);
    void KeepTimer_Timer();
    void FlushKeptPuzzle() { kept_.Wait(); }

    // Blocks until the working bitmap is on disk.
    void FlushWorkingFile() { bitmapWriter_.Wait(); }

    // What tests and the other parts look at.
    Settings& settings() { return settings_; }
    PuzzleSession* session() const { return session_.get(); }
    const Surface& backBuffer() const { return frame_.Buffer(); }
    const PlayFrame& frame() const { return frame_; }
    PlayArea* picPuzzle() const { return picPuzzle_; }
    QTimer& tmrPuzzle() { return tmrPuzzle_; }
    QToolBar* Toolbar1() const { return toolbar_; }
    QAction* toolbarButton(int index) const { return index == 1 ? tbOpen_ : index == 2 ? tbSave_ : nullptr; }

    QAction *mnuFileOpen = nullptr, *mnuFileClose = nullptr, *mnuFileLoadPuzzleState = nullptr,
            *mnuFileSavePuzzleState = nullptr, *mnuFileScramble = nullptr, *mnuFileHint = nullptr,
            *mnuFileSolve = nullptr, *mnuFileOptions = nullptr, *mnuFileExit = nullptr,
            *mnuViewPreview = nullptr, *mnuViewBestTimes = nullptr, *mnuHelpAbout = nullptr;
    QMenu *mnuFile = nullptr, *mnuView = nullptr, *mnuHelp = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    // While a file is read: Esc cancels, and the play area takes no mouse.
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    // One file dropped from a file manager opens as Open would open it.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // After the player changed the puzzle: what the locks of an operation
    // call for, in their order (the best times rewritten after each; at the
    // last, the timer stopped and a timed result offered first), then the
    // change drawn; the puzzle is kept when a group locked home, and
    // forgotten once complete.
    void Played(const Outcome& done);
    // The player's name for a new best time of the puzzle just completed.
    void BestTimeEntry(int32_t seconds);
    // A command chosen in the middle of a drag ends it first.
    void EndDragForCommand();
    // The one place a new puzzle replaces the one on screen.
    void TakeOver(std::unique_ptr<PuzzleSession> next);
    // Draws what a change asked for.
    void Show(const Redraw& redraw);
    PlaySize PlayNow() const { return {ScaleWidth(), ScaleHeight(), picPuzzle_->Ratio()}; }
    void BuildMenus();
    void BuildToolbar();
    void Form_Unload();
    bool OpenPicture(const QString& path);
    // Reads a file and cuts its puzzle off the interface thread while the
    // window stays alive: it paints, moves and resizes, shows that it is
    // busy, and after half a second says what it reads. The commands wait,
    // but for those that cancel. The new puzzle; nothing when cancelled, or
    // when it cannot be had, which the player is told.
    using Opener = Opening (*)(const QString&, const Settings&, PlaySize, const std::atomic<bool>&);
    std::optional<Opening> ReadAside(const QString& file, Opener open);
    // The puzzle read aside, cut again if the play area changed meanwhile.
    void FitToPlayArea(Opening& opened);
    // A new puzzle from the same picture keeps the names of the one on screen.
    void KeepNames(PuzzleSession& next) const;
    void StoreInitDir();
    // The play area's size in screen pixels: everything is cut, composed and
    // played at the screen's own resolution.
    float ScaleWidth() const { return float(picPuzzle_->DeviceSize().width()); }
    float ScaleHeight() const { return float(picPuzzle_->DeviceSize().height()); }
    void NewBackBuffer();
    QString SamplesFolder() const;
    void LoadFormControls();
    // The player is told of every failure the same way: a box titled "Error:".
    void TellError(const QString& text);
    bool PrepareWorkingCopy(const QString& picture);
    void StartWorkingCopy(const QString& picture);
    void TellWorkingCopyFailed(const QString& picture, const QString& why);

    Settings& settings_;
    MainServices svc_;
    // The puzzle on screen, none when closed.
    std::unique_ptr<PuzzleSession> session_;
    uint64_t taken_ = 0;   // puzzles taken over (or closed) so far
    PlayFrame frame_;
    BitmapWriter bitmapWriter_;
    QTimer tmrPuzzle_;
    PlayArea* picPuzzle_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction *tbOpen_ = nullptr, *tbSave_ = nullptr;
    bool unloaded_ = false;
    QString stateFileName_;   // the state file to load next
    OffThread reading_;       // the file being read, if any
    KeptPuzzle kept_;
    QTimer keepTimer_;
    bool moved_ = false;           // the player changed the puzzle on screen
    bool dirty_ = false;           // ... since it was last kept
    bool keepAfterDrag_ = false;   // the timer came during a drag
    bool keptOurs_ = false;        // the kept puzzle is this one
    winmsg::HWND hwnd_ = 0;
    std::map<QString, std::unique_ptr<forms::HostedControl>> controls_;
    BestTimesFile bestTimesFile_;
};

}  // namespace pz
