#include "game/shell/app.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

#include "game/shell/frmmain.h"
#include "platform/desktop/desktop.h"
#include "platform/qt/qtdialogs.h"
#include "platform/qt/qtsettingsstore.h"

namespace pz {

namespace {

// SIGTERM and SIGHUP end the game as its close box does, kept puzzle and
// all: the handler only wakes the event loop through a socket.
int signalled[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalled[0], &c, 1);
}

}  // namespace

void EndOnSignals(frmMain& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalled) != 0) return;
    auto* notifier = new QSocketNotifier(signalled[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(signalled[1], &c, 1);
        window.close();
        QCoreApplication::quit();   // also out of a dialog or prompt
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
}

namespace {

constexpr const char* kUsage =
    "Usage: puzzora [PICTURE | STATE-FILE.psf]\n"
    "       puzzora --resume\n"
    "\n"
    "A jigsaw puzzle game for your own pictures.\n"
    "\n"
    "  PICTURE          open a picture as a new puzzle\n"
    "  STATE-FILE.psf   load a saved puzzle\n"
    "  --resume         load the puzzle kept when the game last ended unfinished\n"
    "  --help           show this help\n";

}  // namespace

int RunPuzzora(int argc, char** argv, bool untilShown) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Puzzora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Puzzora"));
    // Ties the window to the desktop entry (its icon and name on Wayland).
    QGuiApplication::setDesktopFileName(QString::fromLatin1(desktop::kAppId));

    Settings settings;
    QtSettingsStore store;
    QtFileDialogs files;
    QtPrompts prompts;
    ClockRandom random;
    frmMain main(settings, MainServices{store, files, prompts, random});
    EndOnSignals(main);
    main.Form_Load(QCoreApplication::arguments().mid(1));
    if (untilShown) {
        QCoreApplication::processEvents();   // the first expose and paint
        return main.isVisible() ? 0 : 1;
    }
    // A window closed while its start-up file was read has nothing left to run.
    const int code = main.isVisible() ? app.exec() : 0;
    // A read the player cancelled may still be decoding on its own thread.
    // The game does not wait for it, nor unload its libraries under it:
    // everything it keeps is already written.
    if (OffThread::StillRunning() > 0) {
        main.FlushWorkingFile();
        main.FlushKeptPuzzle();
        std::_Exit(code);
    }
    return code;
}

}  // namespace pz
