// Writes the seed corpora: a few real state files, a best-times file and a
// settings store, each as the game itself would write them.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "game/model/grid.h"
#include "game/persist/besttimes.h"
#include "game/persist/statefile.h"
#include "tests/picture/bombs.h"

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
    pz::Grid g;
    g.NumberOfPieces = int16_t(cols * rows);
    g.NumColumns = int16_t(cols);
    g.NumRows = int16_t(rows);
    pz::PuzzleModel m;
    m.File.ElapsedSeconds = 1234;
    m.File.ImageFileName = "/home/player/Pictures/Meadow.png";
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

// Small pictures of every kind the reader takes, as Qt's writers and
// libheif's encoder write them, and a JPEG that says it was taken turned.
void Pictures(const std::string& dir) {
    QImage img(24, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) img.setPixel(x, y, qRgba(x * 10, y * 15, 128, x < 4 ? 0 : 255));
    const QString out = QString::fromStdString(dir + "/picture/");
    QDir().mkpath(out);
    for (const char* kind : {"png", "bmp", "jpg", "tif", "webp", "ppm", "ico"}) img.save(out + "seed." + kind);
    img.convertToFormat(QImage::Format_Indexed8).save(out + "indexed.png");
    img.convertToFormat(QImage::Format_Mono).save(out + "mono.bmp");
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    img.save(&jpeg, "JPEG", 80);
    // An APP1 block right after the start marker: Exif, a big-endian TIFF
    // header and one entry, orientation 6.
    const QByteArray exif("\xff\xe1\x00\x22" "Exif\0\0" "MM\0*\0\0\0\x08" "\0\x01" "\x01\x12\0\x03\0\0\0\x01\0\x06\0\0"
                          "\0\0\0\0", 36);
    QFile turned(out + "turned.jpg");
    if (turned.open(QIODevice::WriteOnly)) turned.write(jpeg.data().left(2) + exif + jpeg.data().mid(2));
    for (const char* kind : {"heic", "avif"}) {
        const std::string cmd = "heif-enc -q 50 " + std::string(std::string(kind) == "avif" ? "-A " : "") + out.toStdString() +
                                "seed.png -o " + out.toStdString() + "seed." + kind + " >/dev/null";
        if (std::system(cmd.c_str()) != 0) std::cerr << "heif-enc could not write the " << kind << " seed\n";
    }
}

// Small files that claim or cost far more than they hold: a progressive JPEG
// that says 65000 x 65000, one of 150 scans, GIF screens over and near the
// limits.
void Bombs(const std::string& dir) {
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    QImageWriter w(&jpeg, "jpeg");
    w.setProgressiveScanWrite(true);
    w.write(QImage(24, 16, QImage::Format_RGB32));
    Save(dir + "/picture/bomb-size.jpg", pz::test::JpegSized(jpeg.data(), 65000, 65000).toStdString());
    Save(dir + "/picture/bomb-scans.jpg", pz::test::JpegScans(jpeg.data(), 150).toStdString());
    Save(dir + "/picture/bomb-screen.gif", pz::test::GifScreen(16383, 16383).toStdString());
    Save(dir + "/picture/bomb-wide.gif", pz::test::GifScreen(65535, 4095).toStdString());
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);   // finds the image-format plugins
    const std::string dir = argc > 1 ? argv[1] : "fuzz/corpus";
    Pictures(dir);
    Bombs(dir);
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
