// The line editor: keys typed on a line (open or not) on the bottom row of three below a history
// of three, the view `back` rows up in it and the clipboard holding clip (null: no text); then the
// line, linePos, the echo, the cursor row and column. Any key on an open line first brings the
// view to the bottom; with no line open a key does nothing.
#include "tests/console/console_fake.h"

namespace {

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

class Editor : public StringsTest {};

TEST_F(Editor, KeysOnTheLine) {
    for (const EditCase &c : kEdits) {
        FakeConsole fc;
        PromptState *ps = FakeOpen(&fc);
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
        FakeClose(&fc);
    }
}

}  // namespace
