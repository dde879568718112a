#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "game/persist/qtsettingsstore.h"
#include "game/persist/settings.h"

namespace pz {

TEST(Settings, EmptyStoreGivesTheDefaults) {
    MemorySettingsStore store;
    Settings s;
    s.NumberOfPieces = 5;   // overwritten by loading
    LoadSettings(store, s);
    EXPECT_EQ(s.NumberOfPieces, 64);
    EXPECT_EQ(s.PiecesListIndex, 21);
    EXPECT_TRUE(s.OutlinePieces);
    EXPECT_TRUE(s.ViewPreview);
    EXPECT_EQ(s.PreviewSize, 3);
    EXPECT_TRUE(s.TimePuzzle);
    EXPECT_FALSE(s.SystemMemory);
    EXPECT_EQ(s.BackgroundColor, 13160660);
    EXPECT_EQ(s.BackgroundColorFill, 13947080);
    EXPECT_EQ(s.OutlineColor, 16777215);
    EXPECT_EQ(s.OutlineColorFill, 16777215);
    EXPECT_EQ(s.PreviewCaptionTextColor, 16777215);
    EXPECT_EQ(s.PreviewCaptionBackColor, 0);
    EXPECT_EQ(s.PreviewCaptionBackColorFill, 0);
    EXPECT_EQ(s.InitDir, "");
}

TEST(Settings, ColourDefaultsComeFromThePartsJustRead) {
    MemorySettingsStore store;
    store.Save("Background Red", "0");
    store.Save("Preview Caption Text Red", "10");
    store.Save("Preview Caption Text Green", "20");
    Settings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.BackgroundColor, 0 + 256 * 208 + 65536 * 200);
    EXPECT_EQ(s.BackgroundColorFill, 200 + 256 * 208);
    // The caption text colour's default is a constant, not computed.
    EXPECT_EQ(s.PreviewCaptionTextColor, 16777215);
}

TEST(Settings, StoredTextIsConvertedLikeTheOriginalConversions) {
    MemorySettingsStore store;
    store.Save("Outline Pieces", "False");
    store.Save("View Preview", "0");
    store.Save("Time Puzzle", "-1");
    store.Save("System Memory", "true");
    store.Save("Number of Pieces", " 100 ");
    store.Save("Preview Size", "2.5");   // rounds half to even: 2
    store.Save("InitDir", "/home/player/pictures/");
    Settings s;
    LoadSettings(store, s);
    EXPECT_FALSE(s.OutlinePieces);
    EXPECT_FALSE(s.ViewPreview);
    EXPECT_TRUE(s.TimePuzzle);
    EXPECT_TRUE(s.SystemMemory);
    EXPECT_EQ(s.NumberOfPieces, 100);
    EXPECT_EQ(s.PreviewSize, 2);
    EXPECT_EQ(s.InitDir, "/home/player/pictures/");
}

TEST(Settings, BadValuesFallBackToTheirDefaults) {
    MemorySettingsStore store;
    store.Save("Preview Size", "5");
    store.Save("List Index", "98");
    store.Save("Number of Pieces", "13");   // prime: no grid
    store.Save("Background Red", "256");
    store.Save("Background Green", "abc");
    store.Save("Outline Color", "-1");
    store.Save("Outline Pieces", "maybe");
    store.Save("Time Puzzle", "");
    store.Save("Outline Red", "0x10");
    Settings s;
    LoadSettings(store, s);
    EXPECT_EQ(s.PreviewSize, 3);
    EXPECT_EQ(s.PiecesListIndex, 21);
    EXPECT_EQ(s.NumberOfPieces, 64);
    EXPECT_EQ(s.BackgroundRed, 212);
    EXPECT_EQ(s.BackgroundGreen, 208);
    EXPECT_EQ(s.OutlineColor, 16777215);
    EXPECT_TRUE(s.OutlinePieces);
    EXPECT_TRUE(s.TimePuzzle);
    EXPECT_EQ(s.OutlineRed, 255);
    for (const char* n : {"3", "2", "-4", "601", "1e9", "nan", "inf"}) {
        store.Save("Number of Pieces", n);
        LoadSettings(store, s);
        EXPECT_EQ(s.NumberOfPieces, 64) << n;
    }
    store.Save("Number of Pieces", "4");
    LoadSettings(store, s);
    EXPECT_EQ(s.NumberOfPieces, 4);
}

TEST(Settings, TheUsersStoreKeepsEveryKeyForTheNextRun) {
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/Puzzora/Puzzora.ini");
    QFile::remove(file);
    Settings s;
    s.BackgroundRed = 7, s.BackgroundGreen = 8, s.BackgroundBlue = 9;
    s.BackgroundColor = 7 + 256 * 8 + 65536 * 9, s.BackgroundColorFill = 9 + 256 * 8 + 65536 * 7;
    s.ViewPreview = false;
    s.NumberOfPieces = 100;
    s.InitDir = "/home/a b/p, q; r=\"s\" \xc3\xa9t\xc3\xa9/";
    {
        QtSettingsStore first;
        SaveBackgroundColor(first, s);
        SaveViewPreview(first, s);
        SaveNumberOfPieces(first, s);
        SaveInitDir(first, s);
    }
    // Booleans as "True"/"False", numbers as plain decimals.
    QtSettingsStore second;
    EXPECT_EQ(second.Get("View Preview"), "False");
    EXPECT_EQ(second.Get("Background Color"), "591879");
    EXPECT_EQ(second.Get("Outline Color"), std::nullopt);
    Settings back;
    LoadSettings(second, back);
    EXPECT_EQ(back.BackgroundRed, 7);
    EXPECT_EQ(back.BackgroundColor, s.BackgroundColor);
    EXPECT_EQ(back.BackgroundColorFill, s.BackgroundColorFill);
    EXPECT_FALSE(back.ViewPreview);
    EXPECT_EQ(back.NumberOfPieces, 100);
    EXPECT_EQ(back.InitDir, s.InitDir);
    EXPECT_EQ(back.OutlineColor, 16777215);   // never written: the default
    // An INI file in the user's config folder, section "Settings".
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("[Settings]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nView%20Preview=False\n")) << text.toStdString();
}

}  // namespace pz
