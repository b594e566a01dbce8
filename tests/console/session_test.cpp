// The rows of the session through a window of three rows: the history of rows that left the
// screen buffer, the view that looks back into it, and the line editor on the bottom row.
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

class Session : public FakeTest {
  protected:
    void SetUp() override {
        FakeTest::SetUp();
        fc.clientHeight = ps->clientHeight = 48;
    }
};

// From the bottom of L0 ... L9 (seven rows in the history, a page of three; L0 in its own colour),
// one move after the other: whether it moved (output: no), how far back the view lies, and the
// row at the window's top, drawn in its colours. New output does not move a view that lies back;
// at the bottom the view follows it. A record of "L1n" takes 2 + 3 + 9 bytes and a slot of 8.
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
    {"past the byte bound the view on dropped rows shows the oldest kept",
     [](PromptState *p) {
         p->history.limit = 4 * 23;   // room for four records of "L1n", not five
         PromptViewToTop(p);
         Lines(p, 16, 24);
         return false;
     },
     false, 4, "L17"},
};

TEST_F(Session, TheViewMovesOverHistoryAndBuffer) {
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
        uint32_t topFore = c.top == std::string("L0") ? 0x123456u : (uint32_t)kPromptWhite;
        for (const FakeGlyph &g : fc.glyphs) {
            drawn += g.y == 0 ? g.bytes : "";
            EXPECT_EQ(g.fore, g.y == 0 ? topFore : kPromptWhite) << c.name;
        }
        EXPECT_EQ(drawn, c.top) << c.name;
    }
}

// The line editor: keys typed on a line (open or not) on the bottom row below a history of three,
// the view `back` rows up in it and the clipboard holding clip (null: no text); then the line,
// linePos, the echo, the cursor row and column. Any key on an open line first brings the view to
// the bottom; with no line open a key does nothing.
struct EditCase {
    const char *name;
    bool open;
    int32_t back;
    const char *clip;
    std::string keys, line;   // line: lineBuffer up to its first NUL
    int32_t pos;              // linePos afterwards; -1: handed over
    std::string echo, row;
    int32_t col;
};

const std::string k254(254, 'x'), k255(255, 'x');

const EditCase kEdits[] = {
    {"typed bytes, Backspace over one", true, 0, nullptr, "abc\b", "ab", 2, "abc", "ab", 2},
    {"Backspace drops a byte of a double-byte character", true, 0, nullptr, "a\x82\xa0\b", "a\x82",
     2, "a\x82\xa0", "a\x82", 2},
    {"Backspace on an empty line", true, 0, nullptr, "\b", "", 0, "", "", 0},
    {"Backspace stops at column 0 after a pasted line break", true, 0, "\r\n", "a\x16\b\b", "a", 1,
     "a\r\n", "", 0},
    {"Ctrl+V appends the clipboard's text", true, 0, "yz", "a\x16" "b", "ayzb", 4, "ayzb", "ayzb",
     4},
    {"a paste is cut at the room left", true, 0, "yz", k254 + "\x16", k254 + "y", 255, k254 + "y",
     k254, 255},
    {"a 256th byte is not even echoed", true, 0, nullptr, k255 + "y", k255, 255, k255, k254, 255},
    {"Backspace past the row's 254 bytes", true, 0, nullptr, k255 + "\b\b", k254.substr(1), 253,
     k255, k254.substr(1), 253},
    {"Enter hands the line over", true, 0, nullptr, "ab\r", "ab", -1, "ab\r\n", "", 0},
    {"a full line takes Enter, and nothing after it", true, 0, "yz", k255 + "\rb\b\x16", k255, -1,
     k255 + "\r\n", "", 0},
    {"a typed key brings the view to the bottom", true, 2, nullptr, "x", "x", 1, "x", "x", 1},
    {"so does a paste that finds no text", true, 3, nullptr, "\x16", "", 0, "", "", 0},
    {"no line open: the keys are lost, the view stays", false, 2, "yz", "x\x16\b\r", "", -1, "", "",
     0},
};

TEST_F(Session, KeysOnTheLine) {
    for (const EditCase &c : kEdits) {
        FakeClose(&fc);
        ps = FakeOpen(&fc);
        fc.clientHeight = ps->clientHeight = 48;
        PromptPrint(ps, StrLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n"));
        PromptViewScroll(ps, c.back);
        ps->linePos.store(c.open ? 0 : -1);
        fc.clip = c.clip;
        fc.printed.clear();
        for (char k : c.keys)
            PromptOnChar(ps, (uint8_t)k);
        EXPECT_EQ((const char *)ps->lineBuffer, c.line) << c.name;
        EXPECT_EQ(ps->linePos.load(), c.pos) << c.name;
        EXPECT_EQ(fc.printed, c.echo) << c.name;
        EXPECT_EQ(FakeRow(ps, ps->cursorRow), c.row) << c.name;
        EXPECT_EQ(ps->cursorCol, c.col) << c.name;
        EXPECT_EQ(ps->viewBack, c.open ? 0 : c.back) << c.name;
    }
}

}  // namespace
