// The terminal console's frames: the console's own print and drawing (PromptPrint) on a
// TermScreen, the frames played on a small terminal model, and the screen compared row by row.
// Checks the scroll rule's result on the terminal, cutting at the right edge, double-byte glyphs,
// erasing, and that a long scrolling print writes a little per line, not whole screens.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/term_screen.h"
#include "runtime/console/prompt.h"

namespace {

// A terminal as the frames use it: cursor moves, erase to end of row, clear, LF (scrolls on the
// bottom row), UTF-8 glyphs (two columns for CJK and full-width forms), autowrap off.
struct TermModel {
    int rows, cols, row = 0, col = 0;
    std::vector<std::vector<std::string>> cells;   // a glyph, "" for its second column, " " blank

    TermModel(int r, int c) : rows(r), cols(c), cells(r, std::vector<std::string>(c, " ")) {}

    static int Width(uint32_t cp) {
        return ((cp >= 0x3000 && cp <= 0x9FFF) || (cp >= 0xFF01 && cp <= 0xFF60)) ? 2 : 1;
    }

    void Put(const std::string &glyph, int width) {
        if (col + width > cols)
            return;
        cells[row][col] = glyph;
        if (width == 2)
            cells[row][col + 1] = "";
        col += width;
        if (col >= cols)
            col = cols - 1;
    }

    void Play(const uint8_t *p, size_t n) {
        for (size_t i = 0; i < n;) {
            if (p[i] == 0x1b && i + 1 < n && p[i + 1] == '[') {
                size_t j = i + 2;
                std::string params;
                while (j < n && !(p[j] >= 0x40 && p[j] <= 0x7E))
                    params += (char)p[j++];
                char final = (char)p[j];
                if (final == 'H') {
                    int r = 1, c = 1;
                    sscanf(params.c_str(), "%d;%d", &r, &c);
                    row = r - 1;
                    col = c - 1;
                } else if (final == 'K') {
                    for (int c = col; c < cols; c++)
                        cells[row][c] = " ";
                } else if (final == 'J') {
                    for (auto &r : cells)
                        r.assign(cols, " ");
                }
                i = j + 1;
            } else if (p[i] == '\n') {
                if (row == rows - 1) {
                    cells.erase(cells.begin());
                    cells.push_back(std::vector<std::string>(cols, " "));
                } else {
                    row++;
                }
                i++;
            } else {
                int len = p[i] < 0x80 ? 1 : p[i] < 0xE0 ? 2 : p[i] < 0xF0 ? 3 : 4;
                uint32_t cp = len == 1 ? p[i] : p[i] & (0x7F >> len);
                for (int k = 1; k < len; k++)
                    cp = (cp << 6) | (p[i + k] & 0x3F);
                Put(std::string((const char *)p + i, len), Width(cp));
                i += len;
            }
        }
    }

    std::vector<std::string> Text() const {
        std::vector<std::string> out;
        for (const auto &r : cells) {
            std::string line;
            for (const auto &g : r)
                line += g;
            line.erase(line.find_last_not_of(' ') + 1);
            out.push_back(line);
        }
        return out;
    }
};

// A console whose window is a TermScreen; every frame is played on the model and counted.
struct Rig {
    TermScreen ts;
    TermModel model;
    size_t written = 0;
};
Rig *rig;

PromptSurface *GetSurface(PromptState *) {
    return &rig->ts.surface;
}
void ReleaseSurface(PromptState *, PromptSurface *) {
    TermScreenFrame(&rig->ts);
    rig->model.Play(rig->ts.out, rig->ts.outLength);
    rig->written += rig->ts.outLength;
    rig->ts.outLength = 0;
}
void Send(PromptState *, uint32_t) {}
RtString NoClip(PromptState *) { return nullptr; }
void CaretShow(PromptState *, int32_t, int32_t) {}
void CaretHide(PromptState *) {}
void CompositionAt(PromptState *, int32_t, int32_t) {}
const PromptFrontEnd kRigFrontEnd = {GetSurface, ReleaseSurface, Send, NoClip,
                                     CaretShow, CaretHide, CompositionAt, nullptr, nullptr};

struct ScreenCase {
    const char *name;
    int rows, cols;
    std::vector<std::string> prints;   // code page 932 texts, printed one after the other
    std::vector<std::string> screen;   // the terminal's rows afterwards (UTF-8, blanks trimmed)
};

const ScreenCase kScreenCases[] = {
    {"rows and line breaks", 4, 10, {"abc\r\nde"}, {"abc", "de", "", ""}},
    {"the bottom edge scrolls the rows", 3, 10, {"1\r\n2\r\n", "3\r\n", "4\r\n"},
     {"3", "4", ""}},
    {"several rows scroll at once", 3, 10, {"a\r\nb\r\nc\r\nd\r\ne\r\n"}, {"d", "e", ""}},
    {"a row wider than the terminal is cut", 2, 5, {"abcdefgh"}, {"abcde", ""}},
    {"a double-byte glyph at the edge is cut whole", 2, 5, {"abcd\x93\xfa"}, {"abcd", ""}},
    {"double-byte glyphs take two columns", 2, 10, {"\x93\xfa\x96\x7bx"}, {"日本x", ""}},
    {"half-width katakana take one", 2, 10, {"\xb6\xc5x"}, {"ｶﾅx", ""}},
    {"control bytes show as blanks", 2, 10, {"a\rb\nc"}, {"a b c", ""}},
    {"a long row scrolled under a short one", 2, 10, {"long line\r\n", "ab\r\n", "c"},
     {"ab", "c"}},
};

class TermFrames : public testing::TestWithParam<ScreenCase> {};

void StartConsole(PromptState *ps, int rows, int cols) {
    static std::once_flag strings;
    std::call_once(strings, StrInit);
    rig = new Rig{TermScreen{}, TermModel(rows, cols)};
    TermScreenInit(&rig->ts, rows, cols);
    PromptRowsAlloc(ps);
    ps->cellWidth = ps->cellHeight = 1;
    ps->frontEnd = &kRigFrontEnd;
}

void StopConsole(PromptState *ps) {
    PromptRowsFree(ps);
    TermScreenFree(&rig->ts);
    delete rig;
}

TEST_P(TermFrames, Screen) {
    const ScreenCase &c = GetParam();
    static PromptState ps;
    StartConsole(&ps, c.rows, c.cols);
    for (const std::string &text : c.prints)
        PromptPrint(&ps, StrLiteral(text.c_str()));
    EXPECT_EQ(rig->model.Text(), c.screen) << c.name;
    StopConsole(&ps);
}

INSTANTIATE_TEST_SUITE_P(Prints, TermFrames, testing::ValuesIn(kScreenCases));

// A row that gets shorter is erased behind its new end; an unchanged frame writes nothing.
TEST(TermFrame, ShorterRowErasedAndNothingTwice) {
    static PromptState ps;
    StartConsole(&ps, 3, 10);
    PromptPrint(&ps, StrLiteral("abcdef"));
    ps.rowText[0][2] = 0;   // as the line editor's Backspace leaves a row
    PromptPrint(&ps, StrLiteral(""));
    EXPECT_EQ(rig->model.Text()[0], "ab");
    size_t before = rig->written;
    PromptPrint(&ps, StrLiteral(""));
    EXPECT_EQ(rig->written, before);
    StopConsole(&ps);
}

// 100001 display lines on a 24-row terminal: the terminal scrolls itself, so each line costs a
// row or two of output; redrawing the screen per line would cost twenty rows and more.
TEST(TermFrame, LongScrollingPrintWritesLittlePerLine) {
    static PromptState ps;
    const int kLines = 100001;
    StartConsole(&ps, 24, 80);
    for (int i = 1; i <= kLines; i++) {
        std::string line = "line " + std::to_string(i) + "\r\n";
        PromptPrint(&ps, StrLiteral(line.c_str()));
    }
    std::vector<std::string> screen = rig->model.Text();
    EXPECT_EQ(screen[0], "line " + std::to_string(kLines - 22));
    EXPECT_EQ(screen[22], "line " + std::to_string(kLines));
    EXPECT_EQ(screen[23], "");
    EXPECT_LT(rig->written, (size_t)kLines * 64) << "bytes per line: " << rig->written / kLines;
    StopConsole(&ps);
}

}  // namespace
