// The print walk, the drawing loop and the scroll rule of the screen buffer.
#include <gtest/gtest.h>

#include <string>

#include "tests/console/console_fake.h"

namespace {

class Print : public ::testing::Test {
  protected:
    void SetUp() override {
        ps = FakeOpen(&fc);
        base = StrLiveCount();
    }
    void TearDown() override {
        EXPECT_EQ(StrLiveCount(), base) << "strings leaked";
        EXPECT_EQ(fc.surfacesOut.load(), 0) << "a surface was not given back";
        FakeClose(&fc);
    }
    void Say(const std::string &bytes) { PromptPrint(ps, FakeText(bytes)); }
    FakeConsole fc;
    PromptState *ps = nullptr;
    uint32_t base = 0;
};

// ---- the walk ----

struct WalkCase {
    const char *name;
    std::string text;
    std::string row0, row1;
    int32_t cursorRow, cursorCol;
    std::string printed;   // what the front end is handed: the bytes up to the first NUL
};

const WalkCase kWalkCases[] = {
    {"tab at column 0", "\tB", "        B", "", 0, 9, "\tB"},
    {"A tab B", "A\tB", "A       B", "", 0, 9, "A\tB"},
    {"tab at column 7", "1234567\tx", "1234567 x", "", 0, 9, "1234567\tx"},
    {"tab at column 8", "12345678\tx", "12345678        x", "", 0, 17, "12345678\tx"},
    {"lone CR and lone LF are bytes", "a\rb\nc", "a\rb\nc", "", 0, 5, "a\rb\nc"},
    {"CR LF moves to the next row", "ab\r\ncd", "ab", "cd", 1, 2, "ab\r\ncd"},
    {"LF CR is two bytes", "a\n\rb", "a\n\rb", "", 0, 4, "a\n\rb"},
    {"CR at the very end is a byte", "a\r", "a\r", "", 0, 2, "a\r"},
    {"ends at an embedded NUL", std::string("ab\0\r\ncd", 7), "ab", "", 0, 2, "ab"},
    {"empty text", "", "", "", 0, 0, ""},
    {"double-byte character is two columns", "\x82\xa0x", "\x82\xa0x", "", 0, 3, "\x82\xa0x"},
};

TEST_F(Print, Walk) {
    for (const WalkCase &c : kWalkCases) {
        PromptRowsFree(ps);
        PromptRowsAlloc(ps);
        fc.printed.clear();
        Say(c.text);
        EXPECT_EQ(FakeRow(ps, 0), c.row0) << c.name;
        EXPECT_EQ(FakeRow(ps, 1), c.row1) << c.name;
        EXPECT_EQ(ps->cursorRow, c.cursorRow) << c.name;
        EXPECT_EQ(ps->cursorCol, c.cursorCol) << c.name;
        EXPECT_EQ(fc.printed, c.printed) << c.name;
    }
}

TEST_F(Print, BytesTakeTheColoursTabSpacesKeepTheirs) {
    ps->curFore = 0x111111;
    ps->curBack = 0x222222;
    Say("ab");
    ps->cursorCol = 0;
    ps->curFore = 0x333333;
    Say("\tz");
    EXPECT_EQ(ps->rowFore[0][0], 0x111111u);   // under the tab: unchanged
    EXPECT_EQ(ps->rowBack[0][1], 0x222222u);
    EXPECT_EQ(ps->rowFore[0][8], 0x333333u);   // z
    EXPECT_EQ(ps->rowBack[0][8], 0x222222u);
}

TEST_F(Print, DrawsEachGlyphInItsCellAndLeadByteAtTheEndAlone) {
    Say("a\x82\xa0" "b\x82");   // a, one double-byte character, b, a lone lead byte
    ASSERT_EQ(fc.glyphs.size(), 4u);
    struct {
        int32_t x;
        std::string bytes;
    } expect[] = {{0, "a"}, {8, "\x82\xa0"}, {24, "b"}, {32, "\x82"}};
    for (size_t i = 0; i < 4; i++) {
        EXPECT_EQ(fc.glyphs[i].x, expect[i].x) << i;
        EXPECT_EQ(fc.glyphs[i].y, 0) << i;
        EXPECT_EQ(fc.glyphs[i].bytes, expect[i].bytes) << i;
        EXPECT_EQ(fc.glyphs[i].fore, 0x00FFFFFFu) << i;
        EXPECT_EQ(fc.glyphs[i].back, 0u) << i;
    }
}

TEST_F(Print, DrawsOnlyTheRowsItTouched) {
    Say("x\r\ny\r\n");
    FakeClearDrawing(&fc);
    Say("a\r\nb");   // from row 2 to row 3
    EXPECT_EQ(fc.blankTops, (std::vector<int32_t>{2 * 16, 3 * 16}));
    FakeClearDrawing(&fc);
    Say("");   // draws the cursor row again
    EXPECT_EQ(fc.blankTops, (std::vector<int32_t>{3 * 16}));
}

// ---- the scroll rule ----

struct ScrollCase {
    const char *name;
    int32_t clientHeight;
    std::string text;
    std::vector<std::string> rows;   // rows 0, 1, ... afterwards
    int32_t cursorRow;
    size_t rowsDrawn;
};

const ScrollCase kScrollCases[] = {
    {"row 0 never scrolls, height 0", 0, "abc", {"abc"}, 0, 0},
    {"row 0 never scrolls, height below one row", 5, "abc", {"abc"}, 0, 1},
    {"height 0 scrolls to row 0", 0, "a\r\nb\r\nc", {"c", ""}, 0, 0},
    {"three-row window keeps the last three", 48, "1\r\n2\r\n3\r\n4\r\n5", {"3", "4", "5", ""}, 2, 3},
    {"a row that just fits does not scroll", 48, "1\r\n2\r\n3", {"1", "2", "3"}, 2, 3},
    {"line break at the end scrolls", 48, "1\r\n2\r\n3\r\n", {"2", "3", ""}, 2, 3},
};

TEST_F(Print, Scroll) {
    for (const ScrollCase &c : kScrollCases) {
        PromptRowsFree(ps);
        PromptRowsAlloc(ps);
        fc.clientHeight = c.clientHeight;
        FakeClearDrawing(&fc);
        Say(c.text);
        for (size_t i = 0; i < c.rows.size(); i++)
            EXPECT_EQ(FakeRow(ps, (int32_t)i), c.rows[i]) << c.name << " row " << i;
        EXPECT_EQ(ps->cursorRow, c.cursorRow) << c.name;
        EXPECT_EQ(fc.blankTops.size(), c.rowsDrawn) << c.name;
    }
}

TEST_F(Print, ShorterWindowScrollsAtNextPrintAndTallerBringsNothingBack) {
    fc.clientHeight = 160;
    Say("1\r\n2\r\n3\r\n4");
    EXPECT_EQ(ps->cursorRow, 3);
    fc.clientHeight = 32;
    EXPECT_EQ(FakeRow(ps, 0), "1") << "resizing alone changes nothing";
    FakeClearDrawing(&fc);
    Say("");
    EXPECT_EQ(ps->cursorRow, 1);
    EXPECT_EQ(FakeRow(ps, 0), "3");
    EXPECT_EQ(FakeRow(ps, 1), "4");
    EXPECT_EQ(fc.blankTops, (std::vector<int32_t>{0, 16})) << "a scroll draws every visible row";
    fc.clientHeight = 160;
    Say("");
    EXPECT_EQ(ps->cursorRow, 1);
    EXPECT_EQ(FakeRow(ps, 0), "3");
}

TEST_F(Print, PaintDrawsEveryVisibleRowAndSetsReady) {
    fc.clientHeight = 40;   // rows 0 to 2 begin inside
    Say("a\r\nb");
    FakeClearDrawing(&fc);
    EXPECT_EQ(ps->windowReady.load(), 0);
    PromptOnPaint(ps, &fc.surface.base);
    EXPECT_EQ(fc.blankTops, (std::vector<int32_t>{0, 16, 32}));
    EXPECT_EQ(ps->windowReady.load(), 1);
}

// ---- the decided limits ----

TEST_F(Print, RowKeeps254BytesButTheCursorGoesOn) {
    Say(std::string(300, 'x'));
    EXPECT_EQ(FakeRow(ps, 0), std::string(254, 'x'));
    EXPECT_EQ(ps->rowText[0][254], 0);
    EXPECT_EQ(ps->cursorCol, 300);
    Say("\ty\r\nz");   // a tab past the row still moves to the next stop; nothing is stored
    EXPECT_EQ(FakeRow(ps, 0), std::string(254, 'x'));
    EXPECT_EQ(FakeRow(ps, 1), "z");

    ps->cursorRow = 2;
    ps->cursorCol = 250;
    Say("\t");   // 6 spaces from column 250: four fit, two fall beyond the row
    EXPECT_EQ(ps->cursorCol, 256);
    EXPECT_EQ(ps->rowText[2][253], ' ');
    EXPECT_EQ(ps->rowText[2][254], 0);
}

TEST_F(Print, OneHundredFiftyLineBreaksStayInsideTheRows) {
    fc.clientHeight = 4000;   // taller than 101 rows: the scroll rule never fires
    std::string text;
    for (int i = 0; i < 150; i++)
        text += "L" + std::to_string(i) + "\r\n";
    text += "end";
    Say(text);
    EXPECT_EQ(ps->cursorRow, 100);
    EXPECT_EQ(FakeRow(ps, 0), "L50");
    EXPECT_EQ(FakeRow(ps, 99), "L149");
    EXPECT_EQ(FakeRow(ps, 100), "end");
    EXPECT_EQ(fc.blankTops.size(), 101u) << "the whole window is drawn after the scroll";
}

TEST_F(Print, ProgressGoesToTheTitleNeverTheBuffer) {
    const struct {
        int32_t percent;
        const char *title;
    } cases[] = {{0, "BASIC PROMPT 0%"},     {7, "BASIC PROMPT 7%"},   {37, "BASIC PROMPT 37%"},
                 {99, "BASIC PROMPT 99%"},   {100, "BASIC PROMPT 100%"}, {250, "BASIC PROMPT 100%"},
                 {-1, "BASIC PROMPT"}};
    for (const auto &c : cases)
        PromptShowProgress(ps, c.percent);
    ASSERT_EQ(fc.titles.size(), sizeof cases / sizeof cases[0]);
    for (size_t i = 0; i < fc.titles.size(); i++)
        EXPECT_EQ(fc.titles[i], cases[i].title) << "percent " << cases[i].percent;
    EXPECT_EQ(FakeRow(ps, 0), "");
    EXPECT_EQ(fc.printed, "");
}

}  // namespace
