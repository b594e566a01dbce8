// fuzz_prompt_print.cpp: PromptPrint over arbitrary bytes from arbitrary cursor positions, on the
// headless front end (tests/console/console_fake.h), drawing on fuzz_surface.h's surface.
//
// Input: byte 0 the cursor row (0 to 100), bytes 1-2 the cursor column (0 to 1023), byte 3 the
// client area's height (0, one row, 480 pixels or taller than the buffer), and the rest the
// texts: each NUL-separated piece is one print (a print ends at its first NUL anyway).
// Checked beside the sanitizers (every row is a heap block of its own, so a write beyond a row
// is a report) after every print:
//   - the cursor row stays in 0 to 100 and every row's byte 254 stays NUL;
//   - the cursor column is where the walk puts it: +1 a byte, to the next multiple of 8 on TAB,
//     0 after CR LF;
//   - every surface taken was given back, and the front end saw the text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_surface.h"

static void Fail(const char *what, size_t piece) {
    std::fprintf(stderr, "fuzz_prompt_print: %s (print %zu)\n", what, piece);
    std::abort();
}

// The column after walking text from col.
static int32_t ModelColumn(int32_t col, const std::string &text) {
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\t')
            col += 8 - col % 8;
        else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            col = 0, i++;
        else
            col++;
    }
    return col;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4)
        return 0;
    static const int32_t kHeights[4] = {0, kFakeCellHeight, 480, kFakeCellHeight * 120};
    FakeConsole fc;
    PromptState *ps = FakeOpen(&fc);
    FuzzQuietSurface(&fc);
    fc.clientHeight = kHeights[data[3] % 4];
    ps->cursorRow = data[0] % kPromptRows;
    ps->cursorCol = (int32_t)((data[1] | data[2] << 8) % 1024);

    std::string all((const char *)data + 4, size - 4);
    std::string printedWant;
    size_t start = 0, piece = 0;
    while (start <= all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        std::string text = all.substr(start, end - start);
        int32_t colWant = ModelColumn(ps->cursorCol, text);
        PromptPrint(ps, StrLiteral(text.c_str()));   // a piece holds no NUL
        printedWant += text;

        if (ps->cursorRow < 0 || ps->cursorRow >= kPromptRows)
            Fail("the cursor row left the buffer", piece);
        if (ps->cursorCol != colWant)
            Fail("the cursor column is not where the walk puts it", piece);
        for (int32_t i = 0; i < kPromptRows; i++)
            if (ps->rowText[i][kPromptRowMaxText] != 0)
                Fail("a row's last byte is not NUL", piece);
        if (fc.surfacesOut.load() != 0)
            Fail("a surface was not given back", piece);
        start = end + 1;
        piece++;
    }
    if (fc.printed != printedWant)
        Fail("the front end did not see every text", piece);
    FakeClose(&fc);
    return 0;
}
