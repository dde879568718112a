// Runs the GoogleTest suites inside a (headless) Qt application, which text
// drawing on images needs, with folders of their own so that nothing a test
// writes reaches the real user's settings or desktop.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString dir = home.filePath(QString::fromLatin1(var));
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(var, dir.toLocal8Bit());
    }
    // The control library is built beside the game, not beside the tests.
    if (qEnvironmentVariableIsEmpty("PUZZORA_CONTROL_DIR")) qputenv("PUZZORA_CONTROL_DIR", PZ_BINARY_DIR);
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
