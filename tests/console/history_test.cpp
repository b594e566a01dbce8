// The history of rows that left the screen buffer, and the view that looks back into it.
#include "tests/console/console_fake.h"

namespace {

class History : public StringsTest {
  protected:
    void SetUp() override {
        ps = FakeOpen(&fc);
        StringsTest::SetUp();
        fc.clientHeight = ps->clientHeight = 48;   // three rows of 16 pixels
    }
    void TearDown() override {
        FakeClose(&fc);
        StringsTest::TearDown();
    }
    void Lines(int from, int to) {   // "L<from>" ... "L<to - 1>", each on its own row
        for (int i = from; i < to; i++)
            PromptPrint(ps, TestString((i ? "\r\nL" : "L") + std::to_string(i)));
    }
    std::string Session(int32_t j) {
        PromptRowCells cells;
        return (const char *)PromptSessionRow(ps, j, &cells).text;
    }
    std::string Shown(int32_t i) {
        PromptRowCells cells;
        return (const char *)PromptViewRow(ps, i, &cells).text;
    }
    FakeConsole fc;
    PromptState *ps = nullptr;
};

TEST_F(History, RowsLeaveTheBufferInOrderWithTheirColours) {
    ps->curFore = 0x123456;
    Lines(0, 1);
    ps->curFore = kPromptWhite;
    Lines(1, 10);
    ASSERT_EQ(PromptHistoryRows(ps), 7);
    for (int32_t j = 0; j < 10; j++)
        EXPECT_EQ(Session(j), "L" + std::to_string(j)) << "session row " << j;
    PromptRowCells cells;
    PromptRowRef first = PromptSessionRow(ps, 0, &cells);
    EXPECT_EQ(first.fore[0], 0x123456u);
    EXPECT_EQ(first.fore[1], 0x123456u);
    EXPECT_EQ(PromptSessionRow(ps, 1, &cells).fore[0], kPromptWhite);
}

// A record of "Ln" takes 2 + 2 + 9 bytes and a slot of 8, "L1n" one more: 92 bytes hold
// L7 to L10 (85) but not L6 as well (106).
TEST_F(History, TheByteBoundDropsTheOldestRowsAndAViewOnThemMoves) {
    ps->history.limit = 4 * 23;
    Lines(0, 6);   // L0 L1 L2 in the history
    PromptViewToTop(ps);
    EXPECT_EQ(Shown(0), "L0");
    Lines(6, 14);   // 11 rows went in; the last four fit
    EXPECT_EQ(PromptHistoryRows(ps), 4);
    EXPECT_LE(ps->history.bytes, ps->history.limit);
    EXPECT_EQ(Session(0), "L7");
    EXPECT_EQ(ps->viewBack, 4) << "the view's rows were dropped: it shows the oldest kept";
    EXPECT_EQ(Shown(0), "L7");
}

// From the bottom of L0 ... L9 (seven rows in the history, a page of three), one move after the
// other: whether it moved, how far back the view lies, and the row at the window's top.
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
};

TEST_F(History, TheViewMovesOverHistoryAndBuffer) {
    Lines(0, 10);
    for (const MoveCase &c : kMoves) {
        fc.glyphs.clear();
        EXPECT_EQ(c.move(ps), c.moved) << c.name;
        EXPECT_EQ(PromptViewGet(ps).back, c.back) << c.name;
        EXPECT_EQ(Shown(0), c.top) << c.name;
        PromptViewShow(ps);   // drawn as shown
        ASSERT_FALSE(fc.glyphs.empty()) << c.name;
        EXPECT_EQ(fc.glyphs[0].bytes + fc.glyphs[1].bytes, c.top) << c.name;
    }
}

TEST_F(History, NewOutputDoesNotMoveAViewBackButFollowsAtTheBottom) {
    Lines(0, 10);
    PromptViewScroll(ps, 2);
    Lines(10, 14);
    EXPECT_EQ(ps->viewBack, 6);
    EXPECT_EQ(Shown(0) + Shown(1) + Shown(2), "L5L6L7");
    PromptViewToBottom(ps);
    Lines(14, 16);
    EXPECT_EQ(ps->viewBack, 0);
    EXPECT_EQ(Shown(2), "L15");
}

}  // namespace
