#pragma once
// The per-user settings store: 27 keys under application "Puzzora",
// section "Settings", all kept as text.
#include <map>
#include <optional>
#include <string>

#include "game/model/settings.h"
#include "platform/settingsstore.h"

namespace pz {

// An in-memory store, for tests and tools.
class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> Get(const std::string& key) const override {
        auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void Save(const std::string& key, const std::string& text) override { values[key] = text; }
    std::map<std::string, std::string> values;
};

// The text conversions of the store. A value that does not convert gives
// nothing, so the caller can fall back to its default.
std::optional<bool> ParseBoolText(const std::string& text);
// A decimal number, rounded half to even to a whole number.
std::optional<long long> ParseWholeText(const std::string& text);
std::string BoolText(bool v);

// Reads all 27 keys in their fixed order, then "Resume Last Puzzle". A missing key takes its default;
// a value that does not convert or lies outside its range takes the default
// too, so that nothing later can divide by zero or index out of range.
void LoadSettings(const SettingsStore& store, Settings& s);

// True when N can be cut: at least 4 pieces, at most 600, with a divisor
// between 2 and N \ 2.
bool IsCuttablePieceCount(long long n);

// What a writer stores: one option, or one colour with all its keys.
enum class Setting {
    InitDir,
    ViewPreview,
    NumberOfPieces,
    PiecesListIndex,   // stored apart from the count: a refused count keeps neither
    PreviewSize,
    OutlinePieces,
    SystemMemory,
    TimePuzzle,
    BackgroundColor,
    OutlineColor,
    PreviewCaptionBackColor,
    PreviewCaptionTextColor,   // its parts and colour; it keeps no fill
    ResumeLastPuzzle,
};

// Stores one setting's keys from the current values at once; no other code
// writes a key.
void SaveSetting(SettingsStore& store, const Settings& s, Setting which);

}  // namespace pz
