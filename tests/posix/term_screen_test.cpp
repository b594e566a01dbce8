// The terminal console's frames: the console's own print (PromptPrint) drawn as the terminal
// draws it (PromptWrapDraw) on a TermScreen, the frames played on a small terminal model, and the
// screen compared row by row.
#include <algorithm>
#include <cstdio>

#include "platform/posix/term_screen.h"
#include "runtime/console/prompt.h"
#include "runtime/core/cp932_bytes.h"
#include "runtime/console/prompt_wrap.h"
#include "tests/test_strings.h"

namespace {

// A terminal as the frames use it: cursor moves, erase to end of row, clear, LF (scrolls on the
// bottom row), UTF-8 glyphs (two columns for CJK and full-width forms), autowrap off; the other
// sequences change nothing here.
struct TermModel {
    int rows, cols, row = 0, col = 0;
    std::vector<std::vector<std::string>> cells;   // a glyph, "" for its second column, " " blank

    TermModel(int r, int c) : rows(r), cols(c), cells(r, std::vector<std::string>(c, " ")) {}

    void Put(const uint8_t *p, int len) {
        uint32_t cp = len == 1 ? p[0] : p[0] & (0x7F >> len);
        for (int k = 1; k < len; k++)
            cp = (cp << 6) | (p[k] & 0x3F);
        int width = (cp >= 0x3000 && cp <= 0x9FFF) || (cp >= 0xFF01 && cp <= 0xFF60) ? 2 : 1;
        if (col + width > cols)
            return;
        cells[row][col] = std::string((const char *)p, len);
        if (width == 2)
            cells[row][col + 1] = "";
        col = col + width < cols ? col + width : cols - 1;
    }

    void Play(const uint8_t *p, size_t n) {
        for (size_t i = 0; i < n;) {
            int len = std::max(1, RtUtf8Length(p[i]));
            if (p[i] == 0x1b) {   // ESC [ parameters final
                size_t j = i + 2;
                while (j < n && !(p[j] >= 0x40 && p[j] <= 0x7E))
                    j++;
                len = (int)(j + 1 - i);
                if (p[j] == 'H' && std::sscanf((const char *)p + i + 2, "%d;%d", &row, &col) == 2) {
                    row--;
                    col--;
                } else if (p[j] == 'K') {
                    std::fill(cells[row].begin() + col, cells[row].end(), " ");
                } else if (p[j] == 'J') {
                    cells.assign(rows, std::vector<std::string>(cols, " "));
                }
            } else if (p[i] == '\n' && row < rows - 1) {
                row++;
            } else if (p[i] == '\n') {   // on the bottom row: the rows move up
                cells.erase(cells.begin());
                cells.emplace_back(cols, " ");
            } else {
                Put(p + i, len);
            }
            i += len;
        }
    }

    std::vector<std::string> Text() const {   // rows, blanks at the right trimmed
        std::vector<std::string> out;
        for (const auto &r : cells) {
            std::string line;
            for (const auto &g : r)
                line += g;
            out.push_back(line.erase(line.find_last_not_of(' ') + 1));
        }
        return out;
    }
};

// A console whose window is a TermScreen; every frame is played on the model and counted.
struct Rig {
    TermScreen ts;
    TermModel model;
    size_t written;
    PromptState ps;
    PromptWrapView view;
    const char *overlay;
};
Rig *rig;

void ReleaseSurface(PromptState *ps, PromptSurface *s) {
    PromptWrapDraw(ps, s, &rig->view, (const uint8_t *)rig->overlay, &rig->ts.caretRow,
                   &rig->ts.caretCol);
    TermScreenFrame(&rig->ts);
    rig->model.Play(rig->ts.out, rig->ts.outLength);
    rig->written += rig->ts.outLength;
    rig->ts.outLength = 0;
}
const PromptFrontEnd kRigFrontEnd = {
    [](PromptState *) { return &rig->ts.surface; }, ReleaseSurface, [](PromptState *, PromptRequest) {},
    [](PromptState *) -> RtString { return nullptr; }, [](PromptState *, int32_t, int32_t) {},
    [](PromptState *) {}, [](PromptState *, int32_t, int32_t) {}, nullptr, nullptr};

PromptState *StartConsole(int rows, int cols) {
    TestStringsReady();
    rig = new Rig{TermScreen{}, TermModel(rows, cols), 0, {}, {}, nullptr};
    TermScreenInit(&rig->ts, rows, cols);
    PromptRowsAlloc(&rig->ps);
    rig->ps.cellWidth = rig->ps.cellHeight = 1;
    rig->ps.frontEnd = &kRigFrontEnd;
    return &rig->ps;
}

void StopConsole() {
    PromptRowsFree(&rig->ps);
    TermScreenFree(&rig->ts);
    delete rig;
}

struct ScreenCase {
    const char *name;
    int rows, cols;
    std::vector<std::string> prints;   // code page 932 texts, printed one after the other
    std::vector<std::string> screen;   // the terminal's rows afterwards (UTF-8, blanks trimmed)
    int caretRow = -1, caretCol = 0;   // the caret's cell, where not -1
    const char *overlay = nullptr;
};

const ScreenCase kScreenCases[] = {
    {"the bottom edge scrolls the rows, one or several at once", 3, 10,
     {"1\r\n2\r\n", "3\r\n", "a\r\nb\r\nc\r\n"}, {"b", "c", ""}},
    {"a row wider than the terminal goes on below, a double-byte glyph whole", 4, 5,
     {"abcdefgh\r\nabcd\x93\xfa"}, {"abcde", "fgh", "abcd", "日"}, 3, 2},
    {"the caret after a full line has a line of its own; the top lines give way", 2, 4,
     {"ab\r\nabcdefgh"}, {"efgh", ""}, 1, 0},
    {"the progress stands at the caret's cell, in no row", 2, 10, {"ab\r\n"}, {"ab", "50%"},
     1, 0, "50%"},
    {"double-byte glyphs take two columns, half-width katakana one", 2, 10,
     {"\x93\xfa\x96\x7b\xb6\xc5x"}, {"日本ｶﾅx", ""}},
    {"control bytes show as blanks", 2, 10, {"a\rb\nc"}, {"a b c", ""}},
    {"a long row scrolled under a short one", 2, 10, {"long line\r\n", "ab\r\n", "c"},
     {"ab", "c"}},
};

TEST(TermFrame, Screens) {
    for (const ScreenCase &c : kScreenCases) {
        PromptState *ps = StartConsole(c.rows, c.cols);
        rig->overlay = c.overlay;
        for (const std::string &text : c.prints)
            PromptPrint(ps, StrLiteral(text.c_str()));
        EXPECT_EQ(rig->model.Text(), c.screen) << c.name;
        if (c.caretRow >= 0) {
            EXPECT_EQ(std::make_pair(rig->ts.caretRow, rig->ts.caretCol),
                      std::make_pair(c.caretRow, c.caretCol)) << c.name;
        }
        if (c.overlay) {
            EXPECT_EQ(ps->rowText[ps->cursorRow][0], 0) << c.name;
        }
        StopConsole();
    }
}

// A row that gets shorter is erased behind its new end; an unchanged frame writes nothing; and
// 100001 display lines on a 24-row terminal: the terminal scrolls itself, so each line costs a
// row or two of output; redrawing the screen per line would cost twenty rows and more.
TEST(TermFrame, ShorterRowErasedAndScrollingCheap) {
    PromptState *ps = StartConsole(24, 80);
    PromptPrint(ps, StrLiteral("abcdef"));
    ps->rowText[0][2] = 0;   // as the line editor's Backspace leaves a row
    PromptPrint(ps, StrLiteral(""));
    EXPECT_EQ(rig->model.Text()[0], "ab");
    size_t before = rig->written;
    PromptPrint(ps, StrLiteral(""));
    EXPECT_EQ(rig->written, before);
    PromptPrint(ps, StrLiteral("\r\n"));
    rig->written = 0;
    const int kLines = 100001;
    for (int i = 1; i <= kLines; i++)
        PromptPrint(ps, StrLiteral(("line " + std::to_string(i) + "\r\n").c_str()));
    std::vector<std::string> screen = rig->model.Text();
    EXPECT_EQ(screen[0], "line " + std::to_string(kLines - 22));
    EXPECT_EQ(screen[22], "line " + std::to_string(kLines));
    EXPECT_EQ(screen[23], "");
    EXPECT_LT(rig->written, (size_t)kLines * 64) << "bytes per line: " << rig->written / kLines;
    StopConsole();
}

}  // namespace
