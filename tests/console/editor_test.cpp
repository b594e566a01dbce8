// The line editor: keys on an open line, their echo and the caret, with no console thread (the
// test thread is the console thread, so every send is a plain call).
#include "tests/console/console_fake.h"

namespace {

struct EditorCase {
    const char *name;
    std::string keys;   // WM_CHAR codes, in order, on a line opened behind "? "
    const char *clipboard;   // null: the clipboard holds no text
    std::string line;   // lineBuffer up to linePos (open) or up to its NUL (closed)
    int32_t linePos;
    std::string row0;
    int32_t cursorRow, cursorCol;
    int32_t caretShows, caretHides;   // after the line was opened
    bool noLine = false;              // the keys arrive with no line open, then a WM_SETFOCUS
};

const std::string k300(300, 'a'), a252(252, 'a'), b300(300, 'b');

const EditorCase kEditorCases[] = {
    {"digits and Enter", "12\r", nullptr, "12", -1, "? 12", 1, 0, 2, 3},
    {"Backspace at the start changes nothing", "\b", nullptr, "", 0, "? ", 0, 2, 1, 1},
    {"Backspace after a double-byte character takes its trail byte", "\x82\xa0\b", nullptr,
     "\x82", 1, "? \x82", 0, 3, 3, 3},
    {"Backspace after a tab moves back one column", "\t\b", nullptr, "", 0, "? " + std::string(5, ' '),
     0, 7, 2, 2},
    {"paste appends and echoes, the line stays open", "1\x16", "3,4", "13,4", 4, "? 13,4", 0, 6, 2, 2},
    {"paste with an empty clipboard text still echoes", "\x16", "", "", 0, "? ", 0, 2, 1, 1},
    {"paste with no clipboard text does nothing", "\x16", nullptr, "", 0, "? ", 0, 2, 0, 0},
    {"a 300-byte echo stops at 255 bytes", k300, nullptr, std::string(255, 'a'), 255, "? " + a252,
     0, 257, 255, 255},
    {"Backspace past the row's end stays in step", k300 + "\b\b\b\b", nullptr,
     std::string(251, 'a'), 251, "? " + std::string(251, 'a'), 0, 253, 259, 259},
    {"a 300-byte paste is cut at the room left", "1\x16", b300.c_str(),
     "1" + std::string(254, 'b'), 255, "? 1" + std::string(251, 'b'), 0, 257, 2, 2},
    {"a full line ignores a paste's text", k300 + "\x16", "zz", std::string(255, 'a'), 255,
     "? " + a252, 0, 257, 256, 256},
    {"Backspace never moves left of column 0", "\x16\b\b\b\b", "a\r\nb", "", 0, "? a", 1, 0, 5, 5},
    {"keys with no line open are lost", "7\b\x16\r", "zz", "", -1, "? ", 0, 2, 0, 0, true},
};

TEST(Editor, Keys) {
    for (const EditorCase &c : kEditorCases) {
        FakeConsole fc;
        PromptState *ps = FakeOpen(&fc);
        uint32_t base = StrLiveCount();
        fc.clipboard = c.clipboard;
        PromptPrint(ps, StrLiteral("? "));
        ps->linePos.store(c.noLine ? -1 : 0);
        fc.caretShows.clear();
        fc.caretHides = 0;
        for (char k : c.keys)
            PromptOnChar(ps, (uint8_t)k);
        if (c.noLine)
            PromptOnSetFocus(ps);

        int32_t pos = ps->linePos.load();
        const char *buffer = (const char *)ps->lineBuffer;
        EXPECT_EQ(pos >= 0 ? std::string(buffer, pos) : std::string(buffer), c.line) << c.name;
        EXPECT_EQ(pos, c.linePos) << c.name;
        EXPECT_EQ(FakeRow(ps, 0), c.row0) << c.name;
        EXPECT_EQ(ps->cursorRow, c.cursorRow) << c.name;
        EXPECT_EQ(ps->cursorCol, c.cursorCol) << c.name;
        EXPECT_EQ((int32_t)fc.caretShows.size(), c.caretShows) << c.name;
        EXPECT_EQ(fc.caretHides, c.caretHides) << c.name;
        if (pos >= 0 && !fc.caretShows.empty()) {
            // While the line is open the caret and the composition window follow the cursor.
            EXPECT_EQ(fc.caretShows.back().x, c.cursorCol * 8) << c.name;
            EXPECT_EQ(fc.caretShows.back().y, (c.cursorRow + 1) * 16 - 7) << c.name;
            EXPECT_EQ(fc.compositions.back().x, c.cursorCol * 8) << c.name;
            EXPECT_EQ(fc.compositions.back().y, c.cursorRow * 16) << c.name;
        }
        EXPECT_EQ(StrLiveCount(), base) << c.name << ": strings leaked";
        FakeClose(&fc);
    }
}

}  // namespace
