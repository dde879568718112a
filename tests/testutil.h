#pragma once
// Small builders shared by the unit tests.
#include <QFile>
#include <QImage>
#include <initializer_list>
#include <tuple>
#include <utility>
#include <vector>

#include "game/interaction/groups.h"
#include "game/interaction/play.h"
#include "game/interaction/scatter.h"
#include "game/model/cutting.h"
#include "game/model/grid.h"
#include "game/model/invariants.h"
#include "game/render/compose.h"
#include "game/render/draglayer.h"
#include "game/render/preview.h"
#include "game/render/puzzlecut.h"
#include "game/session/puzzlesession.h"

namespace pz::test {

// The whole file, or nothing when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// True when the file now holds exactly bytes.
inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Environment variables set for a scope, then put back as they were (unset
// if they were), so later tests do not depend on the order they run in.
struct ScopedEnv {
    ScopedEnv(std::initializer_list<std::pair<const char*, QByteArray>> vars) {
        for (const auto& [name, value] : vars) saved.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        for (const auto& [name, value] : vars) qputenv(name, value);
    }
    ~ScopedEnv() {
        for (const auto& [name, set, value] : saved) set ? void(qputenv(name, value)) : void(qunsetenv(name));
    }
    ScopedEnv(const ScopedEnv&) = delete;
    std::vector<std::tuple<const char*, bool, QByteArray>> saved;
};

// A picture whose every pixel is distinct enough to catch misplaced copies.
inline QImage PatternPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb((x * 7) & 0xff, (y * 5) & 0xff, (x + y) & 0xff));
    return img;
}

struct CutPuzzle {
    Settings s;
    Grid g;
    PuzzleModel m;
    PuzzleImages images;
    DrawCache cache;
    Surface whole;
};

// A cut puzzle of cols x rows on a picture of imageW x imageH in a play area
// of scaleW x scaleH at a pixel ratio, every piece its own group (not yet
// scattered).
inline CutPuzzle MakeCut(int cols, int rows, int imageW, int imageH, float scaleW, float scaleH,
                         const QImage* picture = nullptr, double ratio = 1.0) {
    CutPuzzle c;
    c.m.View.PixelRatio = ratio;
    c.g.NumberOfPieces = int16_t(cols * rows);
    c.g.NumColumns = int16_t(cols);
    c.g.NumRows = int16_t(rows);
    c.m.ImageWidth = int16_t(imageW);
    c.m.ImageHeight = int16_t(imageH);
    InitPieceRecords(c.g, c.m);
    const QImage pic = picture ? *picture : PatternPicture(imageW, imageH);
    c.images = CutPuzzleImages(c.s, c.g, c.m, pic, scaleW, scaleH);
    c.whole = Surface::FromImage(pic, c.m.PuzzleWidth, c.m.PuzzleHeight);   // what the pieces were cut from
    ClearSettings(c.g, c.m);
    return c;
}

// Puts the image of piece p at (x, y).
inline void Place(PuzzleModel& m, int p, int x, int y) { m.Pieces[p].X = x, m.Pieces[p].Y = y; }

// Joins the group of piece moving into the group of stationary, as a drop
// does once the joined flags are set.
inline void Join(PuzzleModel& m, int16_t moving, int16_t stationary) {
    m.SelectedPiece = moving;
    m.SelectedGroup = m.Pieces[moving].Group;
    SetPieceGroup(m, stationary);
}

// Locks the one-piece group of piece p at home, where it lies, telling no one.
inline void LockHome(PuzzleModel& m, int16_t p) {
    m.Pieces[p].Group = 0;
    m.Groups[p].InPlace = true;
    RemoveGroup(m, p);
    m.PiecesInPlace.push_back(p);
    ++m.InPlaceCount;
}

// What is wrong with the puzzle (the rule broken, in words), or nothing.
inline std::string Broken(const Grid& g, const PuzzleModel& m) {
    const std::optional<InvariantFailure> f = CheckInvariants(g, m);
    return f ? f->message : std::string();
}

// Lays a session's pieces out directly, as no operation would.
struct SessionAccess {
    static PuzzleModel& Model(PuzzleSession& s) { return s.m_; }
};

}  // namespace pz::test
