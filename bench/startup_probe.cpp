// The game's own start-up, ending as soon as the main window is shown: run
// from the shell, its wall time is exec to window shown (plus a tear-down).
#include <QApplication>

#include "game/persist/qtsettingsstore.h"
#include "game/shell/frmmain.h"
#include "game/shell/qtdialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Puzzora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Puzzora"));
    pz::Globals globals;
    pz::QtSettingsStore store;
    pz::QtFileDialogs files;
    pz::QtPrompts prompts;
    pz::ClockRandom random;
    pz::frmMain main(globals, pz::MainServices{store, files, prompts, random});
    main.Form_Load(QCoreApplication::arguments().mid(1));
    QCoreApplication::processEvents();   // the first expose and paint
    return main.isVisible() ? 0 : 1;
}
