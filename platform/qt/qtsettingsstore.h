#pragma once
#include <QSettings>

#include "platform/settingsstore.h"
#include "platform/desktop/folders.h"

namespace pz {

// The settings store on this platform: an INI file in the user's config
// folder ("Puzzora/Puzzora.ini"), group "Settings". The folder is ours to
// decide: Qt would take a relative $XDG_CONFIG_HOME as it stands.
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore() : settings_(desktop::SettingsFile(), QSettings::IniFormat) {}
    std::optional<std::string> Get(const std::string& key) const override {
        const QString k = QStringLiteral("Settings/") + QString::fromStdString(key);
        if (!settings_.contains(k)) return std::nullopt;
        return settings_.value(k).toString().toStdString();
    }
    void Save(const std::string& key, const std::string& text) override {
        settings_.setValue(QStringLiteral("Settings/") + QString::fromStdString(key),
                           QString::fromStdString(text));
        settings_.sync();
    }

private:
    QSettings settings_;
};

}  // namespace pz
