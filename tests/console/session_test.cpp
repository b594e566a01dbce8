// The rows of the session through a window of three rows: the history of rows that left the
// screen buffer, the view that looks back into it, and the selection's text, byte for byte.
#include "runtime/console/prompt_select.h"
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

// From the bottom of L0 ... L9 (seven rows in the history, a page of three; L0 in its own colour),
// one move after the other: whether it moved (output: no), how far back the view lies, and the
// row at the window's top, drawn in its colours. New output does not move a view that lies back;
// at the bottom the view follows it.
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
    ps->curFore = 0x123456;
    Lines(ps, 0, 1);
    ps->curFore = kPromptWhite;
    Lines(ps, 1, 10);
    for (const MoveCase &c : kMoves) {
        EXPECT_EQ(c.move(ps), c.moved) << c.name;
        EXPECT_EQ(PromptViewGet(ps).back, c.back) << c.name;
        EXPECT_EQ(Shown(ps, 0), c.top) << c.name;
        fc.glyphs.clear();
        PromptViewShow(ps);   // drawn as shown
        std::string drawn;
        uint32_t topFore = c.top == std::string("L0") ? 0x123456 : kPromptWhite;
        for (const FakeGlyph &g : fc.glyphs) {
            drawn += g.y == 0 ? g.bytes : "";
            EXPECT_EQ(g.fore, g.y == 0 ? topFore : kPromptWhite) << c.name;
        }
        EXPECT_EQ(drawn, c.top) << c.name;
    }
}

// Session rows 0 to 4, rows 0 and 1 in the history.
const char *const kRows[] = {"ab  cd  ", "\x82\xa0\x82\xa2x", "", "tail", "z\x82"};

struct SelectCase {
    const char *name;
    PromptSelection sel;
    std::string text;
};

const SelectCase kSelectCases[] = {
    {"within a row", {0, 0, 0, 2}, "ab"},
    {"dragged backwards", {0, 2, 0, 0}, "ab"},
    {"trailing blanks dropped", {0, 0, 0, 8}, "ab  cd"},
    {"past the text", {0, 3, 0, 40}, " cd"},
    {"start inside a character takes it whole", {1, 1, 1, 3}, "\x82\xa0\x82\xa2"},
    {"end inside a character takes it whole", {1, 2, 1, 3}, "\x82\xa2"},
    {"across rows, an empty row kept", {0, 4, 3, 2}, "cd\r\n\x82\xa0\x82\xa2x\r\n\r\nta"},
    {"ending at column 0 ends in CR LF", {2, 0, 3, 0}, "\r\n"},
    {"a lead byte ending its row stands alone", {4, 1, 4, 2}, "\x82"},
    {"a click without a drag", {1, 1, 1, 1}, ""},
};

TEST_F(History, TheSelectionCopiesWholeCharactersRowsJoinedByCrLfTrailingBlanksDropped) {
    for (int i = 0; i < 5; i++)
        PromptPrint(ps, TestString(std::string(i ? "\r\n" : "") + kRows[i]));
    ASSERT_EQ(PromptHistoryRows(ps), 2);
    for (const SelectCase &c : kSelectCases) {
        RtString text = PromptSelectionText(ps, &c.sel);
        EXPECT_EQ(std::string((const char *)text, StrLength(text)), c.text) << c.name;
        StrFree(text);
    }
    // A row between the ends is covered to its end, drawn so to the window's edge.
    PromptSelection across = {0, 4, 3, 2};
    int32_t from = -1, to = -1;
    EXPECT_TRUE(PromptSelectionSpan(&across, 2, (const uint8_t *)"", &from, &to));
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, kPromptSelectRowEnd);
    EXPECT_FALSE(PromptSelectionSpan(&across, 4, (const uint8_t *)"z", &from, &to));
}

}  // namespace
