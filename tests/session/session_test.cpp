#include <gtest/gtest.h>

#include "fakerandom.h"
#include "game/session/puzzlesession.h"
#include "testutil.h"

namespace pz {

namespace {
constexpr PlaySize kArea{900, 700, 1.0};

std::unique_ptr<PuzzleSession> Made(int w, int h, int pieces, PlaySize area) {
    Settings s;
    s.NumberOfPieces = int16_t(pieces);
    return std::move(PuzzleSession::FromPicture(test::PatternPicture(w, h), s, area).session);
}
}  // namespace

// Hint, Solve and Scramble, as the menu runs them, and the preview dragged
// by its caption unless it is hidden.
TEST(Session, CommandsAndThePreviewDrag) {
    const auto s = Made(480, 360, 12, kArea);
    Settings settings;
    settings.TimePuzzle = false;
    test::ReplayRandom rnd(1);
    test::CountingHost host;
    EXPECT_EQ(s->Scramble(kArea, rnd).kind, Redraw::Whole);
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

}  // namespace pz
