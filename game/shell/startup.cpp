#include "game/shell/startup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QUrl>

#include "game/picture/picture.h"
#include "platform/desktop/desktop.h"

namespace pz {

QString CommandLineFile(const QStringList& arguments) {
    const QString commandLine = arguments.join(' ');
    if (commandLine.isEmpty() || commandLine == QStringLiteral("%1")) return {};
    const QUrl url(commandLine);
    return commandLine.startsWith(QStringLiteral("file:")) && url.isLocalFile()
               ? url.toLocalFile()
               : QDir::current().absoluteFilePath(commandLine);
}

void RegisterFileType() {
    desktop::Registration r;
    r.executable = QCoreApplication::applicationFilePath();
    r.mimeTypes << PictureMimeTypes();   // "Open With" offers the game for photos
    r.icons = desktop::IconsIn(QStringLiteral(":/appicons/hicolor"));
    QFile icon(QStringLiteral(":/icons/puzzora.png"));
    if (icon.open(QIODevice::ReadOnly)) r.earlierIconPng = icon.readAll();
    if (desktop::WriteRegistration(r)) desktop::RefreshDesktopDatabases(r.dataHome);
}

void RememberStateFile(const QString& path) {
    if (!desktop::RememberRecentFiles()) return;
    desktop::AddRecentDocument(desktop::RecentFile(), path, QString::fromLatin1(desktop::kStateMimeType),
                               QStringLiteral("Puzzora"), QCoreApplication::applicationFilePath(),
                               QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
}

}  // namespace pz
