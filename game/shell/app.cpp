#include "game/shell/app.h"

#include <QApplication>
#include <cstdlib>

#include "game/shell/frmmain.h"
#include "platform/desktop/desktop.h"
#include "platform/qt/qtdialogs.h"
#include "platform/qt/qtsettingsstore.h"

namespace pz {

int RunPuzzora(int argc, char** argv, bool untilShown) {
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
        std::_Exit(code);
    }
    return code;
}

}  // namespace pz
