// Helper of the real-window tests: looks at the X screen, and writes the
// state files those tests start the game with, together with the bytes the
// game must save after the moves the test makes.
//
//   xhelper probe OUT.png            screenshot; prints the play area "x y w h"
//   xhelper state PIC W H OUT MODE   MODE join: a game to join and lock in;
//                                    MODE finish: one piece short of complete
//   xhelper mime FILE                prints the file's type by QMimeDatabase
//   xhelper scatter PIC N W H OUT    N pieces scattered, the topmost at (1, 1)
//   xhelper centre PIC N W H         a piece body's centre from its corner
#include <QGuiApplication>
#include <QImage>
#include <QMimeDatabase>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "game/session/puzzlesession.h"
#include "testutil.h"

using namespace pz;

namespace {

int Probe(const QString& out) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QImage img = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    img.save(out);
    // The play area is where the background colour is.
    int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xffffff) == 0xD4D0C8) {
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    }
    if (x1 < 0) return 1;
    std::printf("%d %d %d %d\n", x0, y0, x1 - x0 + 1, y1 - y0 + 1);
    return 0;
}

bool WriteFile(const QString& path, const std::string& bytes) {
    return test::WriteFile(path, QByteArray::fromStdString(bytes));
}

int Picture(const QString& out) { return test::PatternPicture(240, 180).save(out) ? 0 : 1; }

// A cut of n pieces of the picture for a play area of w x h, made as the
// game makes it; none when the picture cannot be read or cut.
std::unique_ptr<PuzzleSession> Cut(const QString& picture, int n, int w, int h) {
    Settings s;
    s.NumberOfPieces = int16_t(n);
    auto session = std::move(PuzzleSession::FromPicture(QImage(picture), s, {float(w), float(h), 1.0}).session);
    if (session) test::SessionAccess::Model(*session).File.ImageFileName = picture.toStdString();
    return session;
}

int State(const QString& picture, int w, int h, const QString& out, const QString& mode) {
    const auto session = Cut(picture, 12, w, h);
    if (!session) return 1;
    const Grid& g = session->grid();
    PuzzleModel& m = test::SessionAccess::Model(*session);
    ClearSettings(g, m);
    m.File.ElapsedSeconds = 100;
    const int W = m.PieceWidth, H = m.PieceHeight, MX = m.MarginX, MY = m.MarginY;
    const int cx = (2 * MX + W) / 2, cy = (2 * MY + H) / 2;
    // Loose pieces in three columns at the left, not touching each other.
    for (int p = 1; p <= 12; ++p) {
        m.Pieces[p].X = 2 + ((p - 1) % 3) * (W + 2 * MX + 6);
        m.Pieces[p].Y = 2 + ((p - 1) / 3) * (H + 2 * MY + 6);
    }
    if (mode == "finish")
        for (int16_t p = 1; p < 12; ++p) SetGroupInPlace(g, m, p);
    if (!WriteFile(out, WriteState(g, m))) return 1;
    // Prints a move the test makes, from a point on the piece's body to
    // where its image goes, and makes it with the game's own rules.
    auto move = [&](int p, int x, int y) {
        std::printf("drag %d %d %d %d\n", m.Pieces[p].X + MX + W / 2, m.Pieces[p].Y + MY + H / 2, x + cx, y + cy);
        m.SelectedPiece = int16_t(p);
        ReOrderGroups(m);
        DragGroupTo(m, x + cx, y + cy, w, h);
        m.SelectedGroup = m.Pieces[p].Group;
    };
    if (mode == "finish") {
        move(12, m.Pieces[12].HomeX, m.Pieces[12].HomeY);
        return 0;
    }
    // Piece 2 dropped 2 right and 1 below its place beside piece 1; piece 5
    // dropped 2 right and 1 above its home. What the game must hold
    // afterwards is written beside the state file.
    move(2, m.Pieces[1].X + W + 2, m.Pieces[1].Y + 1);
    JoinPass(g, m, w, h);
    move(5, m.Pieces[5].HomeX + 2, m.Pieces[5].HomeY - 1);
    if (!IsAtHome(m, 5)) return 2;
    SetGroupInPlace(g, m, m.SelectedGroup);
    return WriteFile(out + ".expected", WriteState(g, m)) ? 0 : 1;
}

// A game of n pieces for a play area of w x h, scattered, its topmost piece
// at (1, 1) (for the drag benchmark).
int Scatter(const QString& picture, int n, int w, int h, const QString& out) {
    const auto session = Cut(picture, n, w, h);
    if (!session) return 1;
    ClockRandom rnd(1);
    session->Scramble({float(w), float(h), 1.0}, rnd);
    PuzzleModel& m = test::SessionAccess::Model(*session);
    const int top = m.Groups[m.GroupOrder[m.GroupCount]].PieceList[1];
    m.Pieces[top].X = 1;
    m.Pieces[top].Y = 1;
    return WriteFile(out, session->State()) ? 0 : 1;
}

// Where the centre of a piece's body lies from its image's corner, for a
// play area of w x h.
int Centre(const QString& picture, int n, int w, int h) {
    const auto session = Cut(picture, n, w, h);
    if (!session) return 1;
    const PuzzleModel& m = session->model();
    std::printf("%d %d\n", m.MarginX + m.PieceWidth / 2, m.MarginY + m.PieceHeight / 2);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() >= 3 && a[1] == "probe") return Probe(a[2]);
    if (a.size() >= 3 && a[1] == "picture") return Picture(a[2]);
    if (a.size() >= 3 && a[1] == "mime") {
        std::printf("%s\n", qPrintable(QMimeDatabase().mimeTypeForFile(a[2]).name()));
        return 0;
    }
    if (a.size() >= 7 && a[1] == "state") return State(a[2], a[3].toInt(), a[4].toInt(), a[5], a[6]);
    if (a.size() >= 7 && a[1] == "scatter") return Scatter(a[2], a[3].toInt(), a[4].toInt(), a[5].toInt(), a[6]);
    if (a.size() >= 6 && a[1] == "centre") return Centre(a[2], a[3].toInt(), a[4].toInt(), a[5].toInt());
    std::fprintf(stderr, "usage: xhelper probe OUT.png | picture OUT.png | state PIC W H OUT join|finish | mime FILE"
                         " | scatter PIC N W H OUT | centre PIC N W H\n");
    return 2;
}
