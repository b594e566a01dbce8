// The history of rows that left the screen buffer, and the view that looks back into it, through
// a window of three rows.
#include "tests/console/console_fake.h"

namespace {

void Lines(PromptState *ps, int from, int to) {   // "L<from>" ... "L<to - 1>", each on its own row
    for (int i = from; i < to; i++)
        PromptPrint(ps, TestString((i ? "\r\nL" : "L") + std::to_string(i)));
}

std::string Shown(PromptState *ps, int32_t i) {   // row i of the window
    PromptRowCells cells;
    return (const char *)PromptViewRow(ps, i, &cells).text;
}

class History : public FakeTest {
  protected:
    void SetUp() override {
        FakeTest::SetUp();
        fc.clientHeight = ps->clientHeight = 48;
    }
};

TEST_F(History, RowsLeaveTheBufferInOrderWithTheirColours) {
    ps->curFore = 0x123456;
    Lines(ps, 0, 1);
    ps->curFore = kPromptWhite;
    Lines(ps, 1, 10);
    ASSERT_EQ(PromptHistoryRows(ps), 7);
    PromptRowCells cells;
    for (int32_t j = 0; j < 10; j++)
        EXPECT_EQ((const char *)PromptSessionRow(ps, j, &cells).text, "L" + std::to_string(j));
    PromptRowRef first = PromptSessionRow(ps, 0, &cells);
    EXPECT_EQ(first.fore[0], 0x123456u);
    EXPECT_EQ(first.fore[1], 0x123456u);
    EXPECT_EQ(PromptSessionRow(ps, 1, &cells).fore[0], kPromptWhite);
}

// A record of "Ln" takes 2 + 2 + 9 bytes and a slot of 8, "L1n" one more: 92 bytes hold
// L7 to L10 (85) but not L6 as well (106).
TEST_F(History, TheByteBoundDropsTheOldestRowsAndAViewOnThemMoves) {
    ps->history.limit = 4 * 23;
    Lines(ps, 0, 6);   // L0 L1 L2 in the history
    PromptViewToTop(ps);
    EXPECT_EQ(Shown(ps, 0), "L0");
    Lines(ps, 6, 14);   // 11 rows went in; the last four fit
    EXPECT_EQ(PromptHistoryRows(ps), 4);
    EXPECT_LE(ps->history.bytes, ps->history.limit);
    EXPECT_EQ(ps->viewBack, 4) << "the view's rows were dropped: it shows the oldest kept";
    EXPECT_EQ(Shown(ps, 0), "L7");
}

// From the bottom of L0 ... L9 (seven rows in the history, a page of three), one move after the
// other: whether it moved (output: no), how far back the view lies, and the row at the window's top. New
// output does not move a view that lies back, and one at the bottom follows it.
struct MoveCase {
    const char *name;
    bool (*move)(PromptState *);
    bool moved;
    int32_t back;
    const char *top;
};

const MoveCase kMoves[] = {
    {"a row up", [](PromptState *p) { return PromptViewScroll(p, 1); }, true, 1, "L6"},
    {"a page up", [](PromptState *p) { return PromptViewScrollPages(p, 1); }, true, 4, "L3"},
    {"to the top", PromptViewToTop, true, 7, "L0"},
    {"past the top", [](PromptState *p) { return PromptViewScroll(p, 5); }, false, 7, "L0"},
    {"a page down", [](PromptState *p) { return PromptViewScrollPages(p, -1); }, true, 4, "L3"},
    {"past the bottom", [](PromptState *p) { return PromptViewScroll(p, -9); }, true, 0, "L7"},
    {"at the bottom", PromptViewToBottom, false, 0, "L7"},
    {"set", [](PromptState *p) { return PromptViewSet(p, 2); }, true, 2, "L5"},
    {"output, the view back", [](PromptState *p) { Lines(p, 10, 14); return false; }, false, 6,
     "L5"},
    {"to the bottom", PromptViewToBottom, true, 0, "L11"},
    {"output, the view at the bottom", [](PromptState *p) { Lines(p, 14, 16); return false; },
     false, 0, "L13"},
};

TEST_F(History, TheViewMovesOverHistoryAndBuffer) {
    Lines(ps, 0, 10);
    for (const MoveCase &c : kMoves) {
        EXPECT_EQ(c.move(ps), c.moved) << c.name;
        EXPECT_EQ(PromptViewGet(ps).back, c.back) << c.name;
        EXPECT_EQ(Shown(ps, 0), c.top) << c.name;
        fc.glyphs.clear();
        PromptViewShow(ps);   // drawn as shown
        std::string drawn;
        for (const FakeGlyph &g : fc.glyphs)
            drawn += g.y == 0 ? g.bytes : "";
        EXPECT_EQ(drawn, c.top) << c.name;
    }
}

}  // namespace
