#pragma once
// Where the game keeps its files, decided here and nowhere else, by the XDG
// base-directory rules: a variable that is unset, empty or relative is
// ignored and its default under the home folder is used.
#include <QString>
#include <QStringList>

namespace pz::desktop {

QString ConfigHome();    // $XDG_CONFIG_HOME, or ~/.config
QString DataHome();      // $XDG_DATA_HOME, or ~/.local/share
QString CacheHome();     // $XDG_CACHE_HOME, or ~/.cache
// $XDG_DATA_DIRS, or /usr/local/share and /usr/share; relative entries are
// dropped.
QStringList DataDirs();

// The game's own files.
QString SettingsFile();      // ConfigHome()/Puzzora/Puzzora.ini
QString GameDataFolder();    // DataHome()/Puzzora/Puzzora: the best times
QString GameCacheFolder();   // CacheHome()/Puzzora: the working copy
QString RecentFile();        // DataHome()/recently-used.xbel

}  // namespace pz::desktop
