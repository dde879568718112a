#include "game/persist/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pz {

namespace {
QString& Chosen() {
    static QString dir;
    return dir;
}
}  // namespace

QString ProgramDirectory() {
    QString& dir = Chosen();
    if (dir.isEmpty()) {
        const QString exe = QCoreApplication::applicationDirPath();
        if (!exe.isEmpty() && QFileInfo(exe).isWritable()) {
            dir = exe;
        } else {
            dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
            QDir().mkpath(dir);
        }
    }
    return dir;
}

void SetProgramDirectory(const QString& dir) { Chosen() = dir; }

QString ProgramFile(const QString& name) { return QDir(ProgramDirectory()).filePath(name); }

}  // namespace pz
