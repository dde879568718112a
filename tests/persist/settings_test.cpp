#include <QFile>
#include <QStandardPaths>
#include <functional>
#include <gtest/gtest.h>

#include "game/persist/settings.h"
#include "platform/qt/qtsettingsstore.h"
#include "testutil.h"

namespace pz {

namespace {
template <class T>
std::string Text(const T& v) {
    if constexpr (std::is_same_v<T, bool>) return v ? "True" : "False";
    else if constexpr (std::is_arithmetic_v<T>) return std::to_string(+v);
    else return v;
}
#define FIELD(f) [](const Settings& s) { return Text(s.f); }

// The settings loaded from a store that holds only the given keys.
Settings Loaded(std::initializer_list<std::pair<const char*, const char*>> keys) {
    MemorySettingsStore store;
    for (const auto& [key, text] : keys) store.Save(key, text);
    Settings s;
    s.NumberOfPieces = 5;   // overwritten by loading
    LoadSettings(store, s);
    return s;
}
}  // namespace

TEST(Settings, EmptyStoreGivesTheDefaults) {
    const Settings s = Loaded({});
    EXPECT_EQ((std::vector{Text(s.NumberOfPieces), Text(s.PiecesListIndex), Text(s.OutlinePieces), Text(s.ViewPreview),
                           Text(s.PreviewSize), Text(s.TimePuzzle), Text(s.SystemMemory), s.InitDir}),
              (std::vector<std::string>{"64", "21", "True", "True", "3", "True", "False", ""}));
    EXPECT_EQ((std::array{s.Background.Color, s.Background.ColorFill, s.Outline.Color, s.Outline.ColorFill,
                          s.PreviewCaptionText.Color, s.PreviewCaptionBack.Color, s.PreviewCaptionBack.ColorFill}),
              (std::array{13160660, 13947080, 16777215, 16777215, 16777215, 0, 0}));
}

TEST(Settings, ColourDefaultsComeFromThePartsJustRead) {
    const Settings s =
        Loaded({{"Background Red", "0"}, {"Preview Caption Text Red", "10"}, {"Preview Caption Text Green", "20"}});
    EXPECT_EQ(s.Background.Color, 0 + 256 * 208 + 65536 * 200);
    EXPECT_EQ(s.Background.ColorFill, 200 + 256 * 208);
    // The caption text colour's default is a constant, not computed.
    EXPECT_EQ(s.PreviewCaptionText.Color, 16777215);
}

TEST(Settings, StoredTextIsConvertedAndBadTextFallsBackToTheDefault) {
    // Each key alone in an empty store, and the field it sets.
    const struct {
        const char *key, *text;
        std::function<std::string(const Settings&)> field;
        const char* want;
    } cases[] = {
        {"Outline Pieces", "False", FIELD(OutlinePieces), "False"},
        {"View Preview", "0", FIELD(ViewPreview), "False"},
        {"System Memory", "-1", FIELD(SystemMemory), "True"},
        {"System Memory", "true", FIELD(SystemMemory), "True"},
        {"Number of Pieces", " 100 ", FIELD(NumberOfPieces), "100"},
        {"Number of Pieces", "4", FIELD(NumberOfPieces), "4"},
        {"Preview Size", "2.5", FIELD(PreviewSize), "2"},   // rounds half to even
        {"InitDir", "/home/player/pictures/", FIELD(InitDir), "/home/player/pictures/"},
        {"Preview Size", "5", FIELD(PreviewSize), "3"},
        {"List Index", "98", FIELD(PiecesListIndex), "21"},
        {"Background Red", "256", FIELD(Background.Red), "212"},
        {"Background Green", "abc", FIELD(Background.Green), "208"},
        {"Outline Color", "-1", FIELD(Outline.Color), "16777215"},
        {"Outline Pieces", "maybe", FIELD(OutlinePieces), "True"},
        {"Time Puzzle", "", FIELD(TimePuzzle), "True"},
        {"Outline Red", "0x10", FIELD(Outline.Red), "255"},
    };
    for (const auto& k : cases) EXPECT_EQ(k.field(Loaded({{k.key, k.text}})), k.want) << k.key << " = \"" << k.text << "\"";
    // Counts with no grid or out of range.
    for (const char* n : {"13", "3", "2", "-4", "601", "1e9", "nan", "inf"})
        EXPECT_EQ(Loaded({{"Number of Pieces", n}}).NumberOfPieces, 64) << n;
}

TEST(Settings, TheUsersStoreKeepsEveryKeyForTheNextRun) {
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/Puzzora/Puzzora.ini");
    QFile::remove(file);
    Settings s;
    s.Background.Red = 7, s.Background.Green = 8, s.Background.Blue = 9;
    s.Background.Color = 7 + 256 * 8 + 65536 * 9, s.Background.ColorFill = 9 + 256 * 8 + 65536 * 7;
    s.ViewPreview = false;
    s.NumberOfPieces = 100;
    s.InitDir = "/home/a b/p, q; r=\"s\" \xc3\xa9t\xc3\xa9/";
    {
        QtSettingsStore first;
        SaveSetting(first, s, Setting::BackgroundColor);
        SaveSetting(first, s, Setting::ViewPreview);
        SaveSetting(first, s, Setting::NumberOfPieces);
        SaveSetting(first, s, Setting::InitDir);
    }
    // Booleans as "True"/"False", numbers as plain decimals.
    QtSettingsStore second;
    EXPECT_EQ(second.Get("View Preview"), "False");
    EXPECT_EQ(second.Get("Background Color"), "591879");
    EXPECT_EQ(second.Get("Outline Color"), std::nullopt);
    Settings back;
    LoadSettings(second, back);
    // All as written; the outline colour, never written, the default.
    EXPECT_EQ((std::vector{Text(back.Background.Red), Text(back.Background.Color), Text(back.Background.ColorFill),
                           Text(back.ViewPreview), Text(back.NumberOfPieces), back.InitDir, Text(back.Outline.Color)}),
              (std::vector<std::string>{"7", Text(s.Background.Color), Text(s.Background.ColorFill), "False", "100",
                                        s.InitDir, "16777215"}));
    // An INI file in the user's config folder, section "Settings".
    const QByteArray text = test::ReadFile(file);
    EXPECT_TRUE(text.startsWith("[Settings]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nView%20Preview=False\n")) << text.toStdString();
}

}  // namespace pz
