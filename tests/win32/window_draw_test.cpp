// window_draw_test.cpp: one session of prints (ASCII, Japanese, tabs, colour changes, more lines
// than the window holds) drawn in the console font twice: as the window draws it, in frames that
// move the pixels and draw runs of glyphs, and a glyph a call in one full paint at the end. The
// two bitmaps must match pixel for pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/window.h"
#include "tests/test_strings.h"

namespace {

// A 32-bit top-down bitmap in a memory context, all black.
struct Bitmap {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    uint32_t *bits = nullptr;
    int width = 0, height = 0;
    Bitmap(int w, int h) : width(w), height(h) {
        BITMAPINFO info = {{sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void **)&bits, nullptr, 0);
        SelectObject(dc, bitmap);
    }
    ~Bitmap() { DeleteDC(dc), DeleteObject(bitmap); }
};

// Lines of the session, and the colours each line is printed in.
struct Line {
    std::string text;
    uint32_t fore, back;
};

const Line kSession[] = {
    {"N=? 20000", 0xFFFFFF, 0},
    {"\x89\xf0\x90\xcd\x8c\x8b\x89\xca\t-5.83270428527685\t-0.0230224750091317", 0xFFFFFF, 0},
    {"a\tb\tc\t\x93\xfa\x96\x7b\x8c\xea,\x83\x65\x83\x58\x83\x67", 0x00FFFF, 0x800000},
    {"Wide and narrow: \x82\x60\x82\x61 AB \x88\xea\x93\xf1 12", 0x0000FF, 0},
    {"green on grey\t\x82\xa0\x82\xa2\x82\xa4", 0x00FF00, 0x808080},
    {"fjlWM|_gy[]{}", 0xFFFFFF, 0},
};

class WindowDraw : public StringsTest {
  protected:
    void SetUp() override {
        StringsTest::SetUp();
        ps = new PromptState();
        PromptRowsAlloc(ps);
        ps->linePos.store(-1);
        frontEnd.frameLater = [](PromptState *) {};   // the test draws the frames itself
        ps->frontEnd = &frontEnd;
        ps->frontEndData = &win;
        WinFontSpecFill(&win.fontSpec);
        ASSERT_TRUE(WinUseDpi(ps, 96));   // the font made and its cell measured, as the window does
        win.backdropDC = backdrop.dc;
        ps->clientHeight = 10 * ps->cellHeight + 5;   // ten rows and a part of the eleventh
    }
    void TearDown() override {
        PromptRowsFree(ps);
        DeleteObject(win.font);
        delete ps;
        StringsTest::TearDown();
    }

    // Prints line i of a session that runs through kSession again and again.
    void PrintLine(int i) {
        const Line &line = kSession[i % (sizeof kSession / sizeof kSession[0])];
        ps->curFore = line.fore;
        ps->curBack = line.back;
        PromptPrint(ps, TestString(std::to_string(i) + " " + line.text));
        ps->curFore = 0xFFFFFF;   // a colour change inside the row
        ps->curBack = 0x000080;
        PromptPrint(ps, TestString(" end\r\n"));
    }

    PromptState *ps = nullptr;
    WinWindow win{};
    PromptFrontEnd frontEnd = {};
    Bitmap backdrop{kWidth, kHeight};
    static const int kWidth = 800, kHeight = 400;
};

TEST_F(WindowDraw, FramesOfRunsGiveThePixelsOfGlyphByGlyph) {
    ASSERT_GT(ps->cellHeight, 0);
    Bitmap frames(kWidth, kHeight), glyphs(kWidth, kHeight);
    WinSurface fast, slow;
    for (auto surface : {std::make_pair(&fast, &frames), std::make_pair(&slow, &glyphs)}) {
        WinSurfaceInit(surface.first, ps, nullptr, surface.second->dc);
        surface.first->width = kWidth;
        surface.first->height = ps->clientHeight;
    }
    // Frames after 1, 2, ... lines: the pixels move by one row, by several, and (after 12 lines)
    // by more than the window holds; the last frame follows the last print.
    int line = 0;
    for (int batch = 1; batch <= 12; batch++) {
        for (int k = 0; k < batch; k++)
            PrintLine(line++);
        PromptOnFrame(ps, &fast.base);
    }
    for (int k = 0; k < 3; k++) {
        PrintLine(line++);
        PromptOnFrame(ps, &fast.base);
    }
    PromptPrint(ps, TestString("? \x96\xbc\x91\x4f"));   // a question and a half-typed answer
    PromptOnFrame(ps, &fast.base);

    PromptSurfaceOps oneByOne = *fast.base.ops;
    oneByOne.drawRun = nullptr;
    oneByOne.scrollUp = nullptr;
    slow.base.ops = &oneByOne;
    PromptOnPaint(ps, &slow.base);   // the rows were never scrolled in these pixels

    int differ = 0, first = -1, lit = 0;
    for (int i = 0; i < kWidth * kHeight; i++) {
        lit += (glyphs.bits[i] & 0xFFFFFF) != 0;
        if (frames.bits[i] != glyphs.bits[i] && differ++ == 0)
            first = i;
    }
    EXPECT_EQ(differ, 0) << "first at " << first % kWidth << "," << first / kWidth;
    EXPECT_GT(lit, kWidth * ps->cellHeight) << "too little drawn to compare";
}

}  // namespace
