#include <gtest/gtest.h>

#include "fakerandom.h"
#include "game/model/invariants.h"
#include "game/session/puzzlesession.h"
#include "testutil.h"

namespace pz {

namespace {
constexpr PlaySize kArea{900, 700, 1.0};

// A 12-piece puzzle of a w x h picture, scattered over the play area.
std::unique_ptr<PuzzleSession> Scattered(int w, int h, test::ReplayRandom& rnd) {
    Settings s;
    s.NumberOfPieces = 12;
    auto session = std::move(PuzzleSession::FromPicture(test::PatternPicture(w, h), s, kArea).session);
    session->Scramble(kArea, rnd);
    return session;
}
}  // namespace

// Hint, Solve and Scramble, as the menu runs them, and the preview dragged
// by its caption unless it is hidden.
TEST(Session, CommandsAndThePreviewDrag) {
    test::ReplayRandom rnd(1);
    const auto s = Scattered(480, 360, rnd);
    Settings settings;
    settings.TimePuzzle = false;
    test::CountingHost host;
    EXPECT_EQ(s->Hint(settings, rnd, host).kind, Redraw::Whole);
    EXPECT_EQ(QPoint(s->model().InPlaceCount, s->model().GroupCount), QPoint(1, 11));
    s->Solve(settings, host);
    EXPECT_TRUE(s->model().PuzzleComplete);
    EXPECT_EQ(host.saves, 12);   // the best times rewritten after every lock
    EXPECT_EQ(host.entries, 0);
    EXPECT_EQ(s->Hint(settings, rnd, host).kind, Redraw::Nothing);   // nothing left to place
    s->Scramble(kArea, rnd);
    EXPECT_EQ(QPoint(s->model().InPlaceCount, s->model().GroupCount), QPoint(0, 12));

    for (int p = 1; p <= 12; ++p) s->model().Pieces[p].X = 10;   // the caption clear of pieces
    const RectL c = s->model().PreviewCaptionRect;
    Surface frame(900, 700);
    ASSERT_TRUE(s->Press(settings, frame, c.Left + 30, c.Top + 8));
    EXPECT_EQ(s->Move(500, 200, kArea).kind, Redraw::Parts);
    EXPECT_EQ(s->Release(settings, host, kArea).kind, Redraw::Nothing);
    EXPECT_FALSE(s->Dragging());
    EXPECT_EQ(QPoint(s->model().PreviewCaptionRect.Left, s->model().PreviewCaptionRect.Top),
              QPoint(500 - s->model().PreviewWidth / 2, 192));
    settings.ViewPreview = false;
    EXPECT_FALSE(s->Press(settings, frame, 501, 200));
}

// Cut again for a larger play area and back: joined pieces stay in contact,
// pieces at home sit on the new home, and loose pieces come back close to
// where they were.
TEST(Session, RecutThereAndBack) {
    test::ReplayRandom rnd(2);
    const auto s = Scattered(1600, 1200, rnd);   // larger than the play area: cut to fit it
    PuzzleModel& m = s->model();
    Settings settings;
    test::CountingHost host;
    test::Place(m, 5, 300, 300);
    test::Place(m, 6, 300 + m.PieceWidth + 1, 301);
    m.SelectedGroup = m.Pieces[6].Group;
    JoinPass(s->grid(), m, kArea.width, kArea.height);
    ASSERT_EQ(m.Pieces[6].Group, m.Pieces[5].Group);
    s->Hint(settings, rnd, host);
    const PuzzleModel before = m;
    ASSERT_TRUE(s->Recut(settings, {1300, 950, 1.0}));
    EXPECT_GT(m.PieceWidth, before.PieceWidth);
    EXPECT_FALSE(CheckInvariants(s->grid(), m).has_value());   // joins in contact, home on home
    EXPECT_EQ(m.Pieces[6].X - m.Pieces[5].X, m.PieceWidth);
    EXPECT_NEAR(m.Pieces[5].Y, before.Pieces[5].Y * 950.0 / 700.0, 1.0);   // positions scale with the area
    ASSERT_TRUE(s->Recut(settings, kArea));
    for (int p = 1; p <= 12; ++p) EXPECT_LE(std::abs(m.Pieces[p].X - before.Pieces[p].X), 2) << p;
}

}  // namespace pz
