// The print walk, the drawing loop and the scroll rule of the screen buffer.
#include <gtest/gtest.h>

#include <string>

#include "tests/console/console_fake.h"
#include "tests/test_strings.h"

namespace {

class Print : public StringsTest {
  protected:
    void SetUp() override {
        ps = FakeOpen(&fc);
        StringsTest::SetUp();
    }
    void TearDown() override {
        EXPECT_EQ(fc.surfacesOut.load(), 0) << "a surface was not given back";
        FakeClose(&fc);
        StringsTest::TearDown();
    }
    void Say(const std::string &bytes) { PromptPrint(ps, TestString(bytes)); }
    FakeConsole fc;
    PromptState *ps = nullptr;
};

// ---- the walk and the scroll rule ----

// A print at one client height after another print at another: the rows, the cursor, and the
// rows drawn (their tops in pixels). The front end is handed both texts up to their first NUL.
struct PrintCase {
    const char *name;
    int32_t beforeHeight;
    std::string before;
    int32_t height;
    std::string text;
    std::vector<std::string> rows;   // rows 0, 1, ... afterwards
    int32_t cursorRow, cursorCol;
    std::vector<int32_t> tops;
};

const PrintCase kPrintCases[] = {
    {"tab at column 0", 480, "", 480, "\tB", {"        B", ""}, 0, 9, {0}},
    {"tab at column 7", 480, "", 480, "1234567\tx", {"1234567 x", ""}, 0, 9, {0}},
    {"tab at column 8", 480, "", 480, "12345678\tx", {"12345678        x", ""}, 0, 17, {0}},
    {"lone CR and lone LF are bytes", 480, "", 480, "a\rb\nc", {"a\rb\nc", ""}, 0, 5, {0}},
    {"CR LF moves to the next row", 480, "", 480, "ab\r\ncd", {"ab", "cd"}, 1, 2, {0, 16}},
    {"LF CR is two bytes", 480, "", 480, "a\n\rb", {"a\n\rb", ""}, 0, 4, {0}},
    {"CR at the very end is a byte", 480, "", 480, "a\r", {"a\r", ""}, 0, 2, {0}},
    {"ends at an embedded NUL", 480, "", 480, std::string("ab\0\r\ncd", 7), {"ab", ""}, 0, 2, {0}},
    {"empty text", 480, "", 480, "", {"", ""}, 0, 0, {0}},
    {"double-byte character is two columns", 480, "", 480, "\x82\xa0x", {"\x82\xa0x"}, 0, 3, {0}},
    {"row 0 never scrolls, height 0", 480, "", 0, "abc", {"abc"}, 0, 3, {}},
    {"row 0 never scrolls, height below one row", 480, "", 5, "abc", {"abc"}, 0, 3, {0}},
    {"height 0 scrolls to row 0", 480, "", 0, "a\r\nb\r\nc", {"c", ""}, 0, 1, {}},
    {"three-row window keeps the last three", 480, "", 48, "1\r\n2\r\n3\r\n4\r\n5",
     {"3", "4", "5", ""}, 2, 1, {0, 16, 32}},
    {"a row that just fits does not scroll", 480, "", 48, "1\r\n2\r\n3", {"1", "2", "3"}, 2, 1,
     {0, 16, 32}},
    {"line break at the end scrolls", 480, "", 48, "1\r\n2\r\n3\r\n", {"2", "3", ""}, 2, 0,
     {0, 16, 32}},
    {"draws only the rows it touched", 480, "x\r\ny\r\n", 480, "a\r\nb", {"x", "y", "a", "b"}, 3,
     1, {32, 48}},
    {"an empty print draws the cursor row", 480, "x\r\ny\r\n", 480, "", {"x", "y", ""}, 2, 0,
     {32}},
    {"a shorter window scrolls at the next print, drawing every visible row", 160,
     "1\r\n2\r\n3\r\n4", 32, "", {"3", "4", ""}, 1, 1, {0, 16}},
    {"a taller window brings nothing back", 32, "1\r\n2\r\n3\r\n4", 160, "", {"3", "4", ""}, 1, 1,
     {16}},
};

TEST_F(Print, WalkAndScroll) {
    for (const PrintCase &c : kPrintCases) {
        PromptRowsFree(ps);
        PromptRowsAlloc(ps);
        fc.printed.clear();
        fc.clientHeight = c.beforeHeight;
        Say(c.before);
        fc.clientHeight = c.height;
        FakeClearDrawing(&fc);
        Say(c.text);
        for (size_t i = 0; i < c.rows.size(); i++)
            EXPECT_EQ(FakeRow(ps, (int32_t)i), c.rows[i]) << c.name << " row " << i;
        EXPECT_EQ(ps->cursorRow, c.cursorRow) << c.name;
        EXPECT_EQ(ps->cursorCol, c.cursorCol) << c.name;
        EXPECT_EQ(fc.blankTops, c.tops) << c.name;
        EXPECT_EQ(fc.printed, c.before + c.text.c_str()) << c.name;
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
    const FakeGlyph want[] = {{0, 0, "a", 0xFFFFFF, 0}, {8, 0, "\x82\xa0", 0xFFFFFF, 0},
                              {24, 0, "b", 0xFFFFFF, 0}, {32, 0, "\x82", 0xFFFFFF, 0}};
    ASSERT_EQ(fc.glyphs.size(), 4u);
    for (size_t i = 0; i < 4; i++) {
        const FakeGlyph &g = fc.glyphs[i];
        EXPECT_TRUE(g.x == want[i].x && g.y == 0 && g.bytes == want[i].bytes &&
                    g.fore == 0xFFFFFFu && g.back == 0u)
            << "glyph " << i << " at " << g.x << "," << g.y << " in " << g.fore << "/" << g.back;
    }
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
    const struct { int32_t percent; const char *title; } cases[] = {
        {0, "BASIC PROMPT 0%"},     {7, "BASIC PROMPT 7%"},     {37, "BASIC PROMPT 37%"},
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
