// Every input the fuzzers were seeded with or ever found goes through the
// readers again on each test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <QBuffer>

#include "game/persist/besttimes.h"
#include "game/picture/picture.h"
#include "game/persist/settings.h"
#include "game/persist/statefile.h"
#include "testutil.h"

namespace pz {

namespace {
std::vector<std::string> Inputs(const std::string& target) {
    std::vector<std::string> out;
    for (const char* kind : {"corpus", "regressions"}) {
        const std::filesystem::path dir = std::filesystem::path(PZ_SOURCE_DIR) / "fuzz" / kind / target;
        if (!std::filesystem::exists(dir)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            if (e.is_regular_file()) out.push_back(test::ReadFile(QString::fromStdString(e.path().string())).toStdString());
        }
    }
    return out;
}
}  // namespace

TEST(FuzzCorpus, StateFilesAreReadOrRefused) {
    const auto inputs = Inputs("statefile");
    EXPECT_FALSE(inputs.empty());
    int accepted = 0;
    for (const std::string& in : inputs) {
        try {
            ReadState(in);
            ++accepted;
        } catch (const StateFileError&) {
        }
    }
    EXPECT_GE(accepted, 3);   // the seeds are real state files
}

TEST(FuzzCorpus, PicturesAreReadOrRefusedWithAReason) {
    int accepted = 0;
    for (const std::string& in : Inputs("picture")) {
        QByteArray bytes = QByteArray::fromStdString(in);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const PictureResult r = DecodePicture(buffer, 4 << 20);
        EXPECT_NE(r.image.isNull(), r.error.isEmpty());
        accepted += !r.image.isNull();
    }
    EXPECT_GE(accepted, 12);   // the seeds are real pictures of every kind
}

TEST(FuzzCorpus, BestTimesAndSettingsAlwaysRead) {
    for (const std::string& in : Inputs("besttimes")) {
        const BestTimesTable t = ParseBestTimes(in);
        for (int i = 1; i <= BestTimesCount; ++i) EXPECT_LE(t[i].Minutes, 59);
    }
    for (const std::string& in : Inputs("settings")) {
        MemorySettingsStore store;
        std::istringstream lines(in);
        for (std::string line; std::getline(lines, line);)
            if (auto eq = line.find('='); eq != std::string::npos) store.Save(line.substr(0, eq), line.substr(eq + 1));
        Settings s;
        LoadSettings(store, s);
        EXPECT_TRUE(IsCuttablePieceCount(s.NumberOfPieces));
    }
}

}  // namespace pz
