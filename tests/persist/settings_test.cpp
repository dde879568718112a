#include <gtest/gtest.h>

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

TEST(Settings, WritersStoreTrueFalseAndPlainNumbers) {
    MemorySettingsStore store;
    Settings s;
    s.OutlinePieces = false;
    s.PiecesListIndex = 40;
    SaveOptionKeys(store, s);
    SaveBackgroundColor(store, s);
    SaveViewPreview(store, s);
    EXPECT_EQ(store.values["Outline Pieces"], "False");
    EXPECT_EQ(store.values["Time Puzzle"], "True");
    EXPECT_EQ(store.values["List Index"], "40");
    EXPECT_EQ(store.values["Background Color"], "13160660");
    EXPECT_EQ(store.values["Background Red"], "212");
    EXPECT_EQ(store.values["View Preview"], "True");
    EXPECT_EQ(store.values.count("Number of Pieces"), 0u);   // only when it changed
    // What is written reads back the same.
    Settings back;
    back.OutlinePieces = true;
    LoadSettings(store, back);
    EXPECT_FALSE(back.OutlinePieces);
    EXPECT_EQ(back.PiecesListIndex, 40);
}

}  // namespace pz
