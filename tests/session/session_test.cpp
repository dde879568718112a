// The rules of play through the session's own operations: press, move and
// release, Hint, Solve, Scramble and the re-cut, each answering what it did.
#include <gtest/gtest.h>

#include <functional>

#include "fakerandom.h"
#include "game/session/puzzlesession.h"
#include "testutil.h"

namespace pz {

namespace {
constexpr PlaySize kArea{900, 700, 1.0};

// A 12-piece puzzle (4 x 3) of a 480 x 360 picture, each piece a group of
// its own, laid out apart on a grid with the preview clear of them.
struct Play {
    test::ReplayRandom rnd{1};
    Settings settings;
    std::unique_ptr<PuzzleSession> s;
    explicit Play(int width = 480, int height = 360) {
        settings.NumberOfPieces = 12;
        s = std::move(PuzzleSession::FromPicture(test::PatternPicture(width, height), settings, kArea).session);
        s->Scramble(kArea, rnd);
        if (width > 480) return;   // too large to lay out apart
        for (int p = 1; p <= 12; ++p)
            test::Place(m(), p, 10 + (p - 1) % 4 * (Span().x() + 6), 140 + (p - 1) / 4 * (Span().y() + 6));
    }
    PuzzleModel& m() const { return test::SessionAccess::Model(*s); }
    QPoint Span() const { return {m().PieceWidth + 2 * m().MarginX, m().PieceHeight + 2 * m().MarginY}; }
    // A piece's image is centred on the pointer while it is dragged.
    QPoint Centre() const { return {Span().x() / 2, Span().y() / 2}; }
    QPoint At(int p) const { return QPoint(m().Pieces[p].X, m().Pieces[p].Y); }
    QPoint Home(int p) const { return QPoint(m().Pieces[p].HomeX, m().Pieces[p].HomeY); }
    int16_t GroupOf(int p) const { return m().Pieces[p].Group; }

    // Picks piece p on the middle of its body, drags it in two steps so that
    // its image's corner ends at `to`, and drops it there.
    Outcome Drag(int p, QPoint to) {
        const QPoint from = At(p) + Centre(), end = to + Centre();
        const Redraw lift = s->Press(settings, from.x(), from.y());
        EXPECT_TRUE(lift.kind == Redraw::Lift && lift.group == GroupOf(p));
        const QPoint mid = (from + end) / 2;
        EXPECT_EQ(s->Move(mid.x(), mid.y(), kArea).kind, Redraw::DragStep);
        s->Move(end.x(), end.y(), kArea);
        return s->Release(kArea);
    }
};

struct Case {
    const char* name;
    std::function<Outcome(Play&)> play;   // the operations; the answer of the last
    Redraw::Kind redraw;
    int locks;
    bool completed;
    std::function<bool(const Play&)> after;   // what the puzzle shows then
};
}  // namespace

// Drag, join, lock and completion, each checked for what the operation
// answered, what the puzzle shows after it, and every rule of the records.
TEST(Session, OperationsAnswerWhatTheyDid) {
    const int W = Play().m().PieceWidth;
    const Case cases[] = {
        {"a drag moves the group", [](Play& p) { return p.Drag(1, {40, 30}); }, Redraw::Parts, 0, false,
         [](const Play& p) { return p.At(1) == QPoint(40, 30) && p.m().GroupCount == 12 && !p.s->Dragging(); }},
        {"a neighbour within the tolerance joins and snaps",
         [W](Play& p) { return p.Drag(2, p.At(1) + QPoint(W + 4, -4)); }, Redraw::Parts, 0, false,
         [W](const Play& p) { return p.GroupOf(2) == p.GroupOf(1) && p.At(2) == p.At(1) + QPoint(W, 0); }},
        {"at the tolerance nothing joins", [W](Play& p) { return p.Drag(2, p.At(1) + QPoint(W + 5, 0)); },
         Redraw::Parts, 0, false, [](const Play& p) { return p.GroupOf(2) != p.GroupOf(1); }},
        {"never across the end of a row", [W](Play& p) { return p.Drag(5, p.At(4) + QPoint(W, 0)); },
         Redraw::Parts, 0, false, [](const Play& p) { return p.GroupOf(5) != p.GroupOf(4); }},
        {"a joined pair drags as one",
         [](Play& p) {
             p.Drag(5, p.At(1) + QPoint(1, p.m().PieceHeight - 2));
             return p.Drag(1, {300, 200});
         },
         Redraw::Parts, 0, false,
         [](const Play& p) { return p.At(5) == QPoint(300, 200 + p.m().PieceHeight); }},
        {"a group dropped near home locks there, every piece of it",
         [](Play& p) {
             p.Drag(6, p.At(5) + QPoint(p.m().PieceWidth, 0));
             return p.Drag(5, p.Home(5) + QPoint(4, -4));
         },
         Redraw::Parts, 1, false,
         [](const Play& p) {
             return p.GroupOf(6) == 0 && p.At(6) == p.Home(6) && p.At(5) == p.Home(5) &&
                    p.m().PiecesInPlace == std::vector<int16_t>{0, 5, 6};
         }},
        {"the last lock completes the puzzle in its time",
         [](Play& p) {
             for (int i = 0; i < 11; ++i) p.s->Hint(p.rnd);
             const int last = p.m().Groups[p.m().GroupOrder[1]].PieceList[1];
             return p.Drag(last, p.Home(last));
         },
         Redraw::Whole, 1, true, [](const Play& p) { return p.m().PuzzleComplete && p.m().File.ElapsedSeconds == 0; }},
        {"a hint locks one group", [](Play& p) { return p.s->Hint(p.rnd); }, Redraw::Whole, 1, false,
         [](const Play& p) { return p.m().InPlaceCount == 1 && p.m().GroupCount == 11; }},
        {"solve locks every group", [](Play& p) { return p.s->Solve(); }, Redraw::Whole, 12, true,
         [](const Play& p) { return p.m().InPlaceCount == 12 && p.m().GroupCount == 0; }},
        {"a press on nothing picks nothing",
         [](Play& p) { return Outcome(p.s->Press(p.settings, 895, 695)); }, Redraw::Nothing, 0, false,
         [](const Play& p) { return !p.s->Dragging(); }},
        {"a hidden preview cannot be grabbed",
         [](Play& p) {
             p.settings.ViewPreview = false;
             const RectL c = p.m().View.PreviewCaptionRect;
             return Outcome(p.s->Press(p.settings, c.Left + 30, c.Top + 8));
         },
         Redraw::Nothing, 0, false, [](const Play& p) { return !p.s->Dragging(); }},
        {"the preview drags by its caption bar",
         [](Play& p) {
             const RectL c = p.m().View.PreviewCaptionRect;
             p.s->Press(p.settings, c.Left + 30, c.Top + 8);
             EXPECT_EQ(p.s->Move(500, 200, kArea).kind, Redraw::Parts);
             return p.s->Release(kArea);
         },
         Redraw::Nothing, 0, false,
         [](const Play& p) {
             const RectL c = p.m().View.PreviewCaptionRect;
             return !p.s->Dragging() && QPoint(c.Left, c.Top) == QPoint(500 - p.m().View.PreviewWidth / 2, 192);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Play p;
        for (int i = 0; i < 7; ++i) p.s->Tick();
        const Outcome done = c.play(p);
        EXPECT_EQ(done.redraw.kind, c.redraw);
        EXPECT_EQ(done.locks, c.locks);
        EXPECT_EQ(done.completed, c.completed);
        EXPECT_EQ(done.seconds, c.completed ? 7 : 0);
        EXPECT_TRUE(c.after(p));
        EXPECT_EQ(test::Broken(p.s->grid(), p.m()), "");
    }
}

// Cut again for a larger play area and back: joined pieces stay in contact,
// pieces at home sit on the new home, and loose pieces come back close to
// where they were.
TEST(Session, RecutThereAndBack) {
    Play p(1600, 1200);   // larger than the play area: cut to fit it
    test::Place(p.m(), 5, 300, 300);
    p.m().SelectedPiece = 6;
    ReOrderGroups(p.m());   // on top, to be picked
    p.Drag(6, p.At(5) + QPoint(p.m().PieceWidth + 1, 1));
    ASSERT_EQ(p.GroupOf(6), p.GroupOf(5));
    p.s->Hint(p.rnd);
    const PuzzleModel before = p.m();
    ASSERT_TRUE(p.s->Recut(p.settings, {1300, 950, 1.0}));
    const PuzzleModel& m = p.m();
    EXPECT_GT(m.PieceWidth, before.PieceWidth);
    EXPECT_EQ(test::Broken(p.s->grid(), m), "");   // joins in contact, home on home
    EXPECT_EQ(m.Pieces[6].X - m.Pieces[5].X, m.PieceWidth);
    EXPECT_NEAR(m.Pieces[5].Y, before.Pieces[5].Y * 950.0 / 700.0, 1.0);   // positions scale with the area
    ASSERT_TRUE(p.s->Recut(p.settings, kArea));
    for (int q = 1; q <= 12; ++q) EXPECT_LE(std::abs(m.Pieces[q].X - before.Pieces[q].X), 2) << q;
}

}  // namespace pz
