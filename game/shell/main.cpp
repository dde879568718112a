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
    return app.exec();
}
