#include "platform/desktop/folders.h"

#include <QDir>

namespace pz::desktop {

namespace {
QString BaseDir(const char* var, const char* fallback) {
    const QString env = qEnvironmentVariable(var);
    if (!env.isEmpty() && QDir::isAbsolutePath(env)) return QDir::cleanPath(env);
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback);
}
}  // namespace

QString ConfigHome() { return BaseDir("XDG_CONFIG_HOME", ".config"); }
QString DataHome() { return BaseDir("XDG_DATA_HOME", ".local/share"); }
QString CacheHome() { return BaseDir("XDG_CACHE_HOME", ".cache"); }

QStringList DataDirs() {
    QStringList dirs;
    for (const QString& d : qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d)) dirs << QDir::cleanPath(d);
    if (dirs.isEmpty()) dirs = QStringList{QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

QString SettingsFile() { return ConfigHome() + QStringLiteral("/Puzzora/Puzzora.ini"); }
QString GameDataFolder() { return DataHome() + QStringLiteral("/Puzzora/Puzzora"); }
QString GameCacheFolder() { return CacheHome() + QStringLiteral("/Puzzora"); }
QString RecentFile() { return DataHome() + QStringLiteral("/recently-used.xbel"); }

}  // namespace pz::desktop
