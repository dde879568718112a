// Writes the seed corpora: a few real state files, a best-times file and a
// settings store, each as the game itself would write them.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>

#include "game/model/grid.h"
#include "game/persist/besttimes.h"
#include "game/persist/statefile.h"

namespace {

void Save(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    if (path.size() > 4 && path.substr(path.size() - 4) == ".psf") {
        try {
            pz::ReadState(bytes);
        } catch (const pz::StateFileError& e) {
            std::cerr << path << ": not a valid seed: " << e.message << "\n";
        }
    }
}

// A puzzle of cols x rows with the first `joined` pieces of row 0 joined and
// the last piece locked home.
std::string State(int cols, int rows, int joined) {
    pz::Globals g;
    g.NumberOfPieces = int16_t(cols * rows);
    g.NumColumns = int16_t(cols);
    g.NumRows = int16_t(rows);
    g.ElapsedSeconds = 1234;
    pz::PuzzleModel m;
    m.ImageFileName = "/home/player/Pictures/Meadow.png";
    pz::InitPieceRecords(g, m);
    pz::ClearSettings(g, m);
    for (int p = 1; p <= g.NumberOfPieces; ++p) m.Pieces[p].X = 10 * p, m.Pieces[p].Y = 7 * p;
    for (int16_t p = 2; p <= joined; ++p) {
        if ((p - 1) % cols != 0)
            m.Pieces[p].LeftJoined = m.Pieces[p - 1].RightJoined = true;
        else
            m.Pieces[p].TopJoined = m.Pieces[p - cols].BottomJoined = true;
        auto& target = m.Groups[1];
        target.PieceList.push_back(p);
        target.PieceCount++;
        m.Pieces[p].Group = 1;
        m.Groups[p].PieceCount = 0;
        m.Groups[p].PieceList.assign(1, 0);
    }
    pz::SetGroupEdges(m, 1);
    std::vector<int16_t> order{0};
    for (int i = 1; i <= m.GroupCount; ++i)
        if (m.Groups[m.GroupOrder[i]].PieceCount > 0) order.push_back(m.GroupOrder[i]);
    const int16_t last = g.NumberOfPieces;
    if (joined < last) {
        m.Pieces[last].Group = 0;
        m.Groups[last].InPlace = true;
        m.Groups[last].PieceCount = 0;
        m.Groups[last].PieceList.assign(1, 0);
        order.erase(std::remove(order.begin(), order.end(), last), order.end());
        m.PiecesInPlace = {0, last};
        m.InPlaceCount = 1;
    }
    m.GroupOrder = order;
    m.GroupCount = int16_t(order.size() - 1);
    return pz::WriteState(g, m);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "fuzz/corpus";
    Save(dir + "/statefile/small.psf", State(2, 2, 0));
    Save(dir + "/statefile/joined.psf", State(4, 3, 3));
    Save(dir + "/statefile/large-group.psf", State(10, 6, 55));
    pz::BestTimesTable t{};
    pz::InsertBestTime(t, 64, 3725, "Ann", "Meadow.png");
    pz::InsertBestTime(t, 12, 30, "Bo \"quick\"", "Tiles.png");
    Save(dir + "/besttimes/besttimes.txt", pz::FormatBestTimes(t));
    Save(dir + "/settings/store.txt",
         "System Memory=False\nTime Puzzle=True\nInitDir=/home/p/\nList Index=21\nBackground Red=212\n"
         "Background Color=13160660\nOutline Pieces=True\nView Preview=0\nPreview Size=2\nNumber of Pieces=77\n");
    return 0;
}
