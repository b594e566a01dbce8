// The print walk, the drawing loop and the scroll rule of the screen buffer, and the title.
#include "tests/console/console_fake.h"

namespace {

class Print : public FakeTest {
  protected:
    void TearDown() override {
        EXPECT_EQ(fc.surfacesOut, 0) << "a surface was not given back";
        FakeTest::TearDown();
    }
    void Say(const std::string &bytes) { PromptPrint(ps, TestString(bytes)); }
};

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

const std::string k250(250, 'x'), k254(254, 'x');

const PrintCase kPrintCases[] = {
    {"tab at column 7", 480, "", 480, "1234567\tx", {"1234567 x"}, 0, 9, {0}},
    {"tab at column 8", 480, "", 480, "12345678\tx", {"12345678        x"}, 0, 17, {0}},
    {"a tab past the row: four blanks fit, the cursor goes on", 480, "", 480, k250 + "\t",
     {k250 + "    "}, 0, 256, {0}},
    {"a row keeps 254 bytes, nothing past them", 480, "", 480, k254 + "xx\ty\r\nz", {k254, "z"}, 1,
     1, {0, 16}},
    {"lone CR, lone LF and LF CR are bytes", 480, "", 480, "a\rb\nc\n\r", {"a\rb\nc\n\r", ""}, 0, 7,
     {0}},
    {"CR LF moves to the next row", 480, "", 480, "ab\r\ncd", {"ab", "cd"}, 1, 2, {0, 16}},
    {"CR at the very end is a byte", 480, "", 480, "a\r", {"a\r", ""}, 0, 2, {0}},
    {"ends at an embedded NUL", 480, "", 480, std::string("ab\0\r\ncd", 7), {"ab", ""}, 0, 2, {0}},
    {"row 0 never scrolls, height 0", 480, "", 0, "abc", {"abc"}, 0, 3, {}},
    {"row 0 never scrolls, height below one row", 480, "", 5, "abc", {"abc"}, 0, 3, {0}},
    {"height 0 scrolls to row 0", 480, "", 0, "a\r\nb\r\nc", {"c", ""}, 0, 1, {}},
    {"a row that just fits does not scroll", 480, "", 48, "1\r\n2\r\n3", {"1", "2", "3"}, 2, 1,
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
        fc.blankTops.clear();
        Say(c.text);
        for (size_t i = 0; i < c.rows.size(); i++)
            EXPECT_EQ(FakeRow(ps, (int32_t)i), c.rows[i]) << c.name << " row " << i;
        EXPECT_EQ(ps->cursorRow, c.cursorRow) << c.name;
        EXPECT_EQ(ps->cursorCol, c.cursorCol) << c.name;
        EXPECT_EQ(fc.blankTops, c.tops) << c.name;
        EXPECT_EQ(fc.printed, c.before + c.text.c_str()) << c.name;
    }
}

// Each glyph in its own cell in its first byte's colours; a tab's spaces keep the colours under
// them; a lead byte that ends the row is drawn alone.
TEST_F(Print, GlyphsColoursAndALeadByteAtTheEnd) {
    ps->curFore = 0x111111;
    Say("a\x82\xa0" "b\x82");
    ps->cursorCol = 0;
    ps->curFore = 0x333333;
    Say("\t");
    const FakeGlyph want[] = {{0, 0, "a", 0x111111}, {8, 0, "\x82\xa0", 0x111111},
                              {24, 0, "b", 0x111111}, {32, 0, "\x82", 0x111111}};
    ASSERT_GE(fc.glyphs.size(), 4u);
    for (size_t i = 0; i < 4; i++) {
        const FakeGlyph &g = fc.glyphs[i];
        EXPECT_EQ(g.x, want[i].x) << "glyph " << i;
        EXPECT_EQ(g.y, 0) << "glyph " << i;
        EXPECT_EQ(g.bytes, want[i].bytes) << "glyph " << i;
        EXPECT_EQ(g.fore, want[i].fore) << "glyph " << i;
    }
    EXPECT_EQ(ps->rowFore[0][0], 0x111111u);
}

TEST_F(Print, OneHundredFiftyLineBreaksStayInsideTheRows) {
    fc.clientHeight = 4000;   // taller than 101 rows: the scroll rule never fires
    std::string text;
    for (int i = 0; i < 150; i++)
        text += "L" + std::to_string(i) + "\r\n";
    Say(text + "end");
    EXPECT_EQ(ps->cursorRow, 100);
    EXPECT_EQ(FakeRow(ps, 0), "L50");
    EXPECT_EQ(FakeRow(ps, 100), "end");
    EXPECT_EQ(fc.blankTops.size(), 101u) << "the whole window is drawn after the scroll";
}

}  // namespace
