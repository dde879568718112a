#pragma once
// Where the settings are kept: text values by key.
#include <optional>
#include <string>

namespace pz {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text of a key, or nothing when the key is absent.
    virtual std::optional<std::string> Get(const std::string& key) const = 0;
    virtual void Save(const std::string& key, const std::string& text) = 0;
};

}  // namespace pz
