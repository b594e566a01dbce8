// prompt_select.cpp: the cells a selection covers and the text it copies (prompt_select.h).
//
// Characters are found by walking a row from its first byte: a lead byte of code page 932
// (0x81-0x9F, 0xE0-0xFC) with a byte behind it starts a two-cell character, any other byte (a
// lead byte that ends the row included) a one-cell one. A trail byte can look like a lead byte,
// so a row is never read from the middle.
#include "runtime/console/prompt.h"
#include "runtime/console/prompt_select.h"
#include "runtime/core/cp932_bytes.h"

#include <cstring>

// The start of the character that holds cell c of text (length n); c itself past the text.
static int32_t CharStart(const uint8_t *text, int32_t n, int32_t c) {
    for (int32_t j = 0; j < n;) {
        int32_t next = j + ((RtIsLeadByte(text[j]) && j + 1 < n) ? 2 : 1);
        if (c < next)
            return j;
        j = next;
    }
    return c;
}

// True when boundary (r1, c1) lies before (r2, c2).
static bool Before(int32_t r1, int32_t c1, int32_t r2, int32_t c2) {
    return r1 < r2 || (r1 == r2 && c1 < c2);
}

bool PromptSelectionEmpty(const PromptSelection *sel) {
    return sel->anchorRow == sel->focusRow && sel->anchorCol == sel->focusCol;
}

bool PromptSelectionSpan(const PromptSelection *sel, int32_t row, const uint8_t *text,
                         int32_t *from, int32_t *to) {
    if (PromptSelectionEmpty(sel))
        return false;
    bool forward = Before(sel->anchorRow, sel->anchorCol, sel->focusRow, sel->focusCol);
    int32_t r1 = forward ? sel->anchorRow : sel->focusRow;
    int32_t c1 = forward ? sel->anchorCol : sel->focusCol;
    int32_t r2 = forward ? sel->focusRow : sel->anchorRow;
    int32_t c2 = forward ? sel->focusCol : sel->anchorCol;
    if (row < r1 || row > r2)
        return false;
    int32_t n = (int32_t)strnlen((const char *)text, kPromptRowMaxText);
    *from = row == r1 ? CharStart(text, n, c1) : 0;
    *to = kPromptSelectRowEnd;
    if (row == r2 && c2 > 0) {
        int32_t last = CharStart(text, n, c2 - 1);   // the character of the last cell covered
        *to = last < n ? last + ((RtIsLeadByte(text[last]) && last + 1 < n) ? 2 : 1) : c2;
    } else if (row == r2) {
        *to = 0;
    }
    return *from < *to;
}

// Writes the selected text to out (null: only counts) and returns its length in bytes.
static uint32_t Collect(PromptState *ps, const PromptSelection *sel, uint8_t *out) {
    int32_t r1 = sel->anchorRow < sel->focusRow ? sel->anchorRow : sel->focusRow;
    int32_t r2 = sel->anchorRow < sel->focusRow ? sel->focusRow : sel->anchorRow;
    uint32_t put = 0;
    PromptRowCells cells;
    for (int32_t r = r1; r <= r2; r++) {
        if (r > r1) {
            if (out)
                std::memcpy(out + put, "\r\n", 2);
            put += 2;
        }
        const uint8_t *text = PromptSessionRow(ps, r, &cells).text;
        int32_t n = (int32_t)strnlen((const char *)text, kPromptRowMaxText);
        int32_t from = 0, to = 0;
        if (!PromptSelectionSpan(sel, r, text, &from, &to))
            continue;
        if (to > n)
            to = n;   // the cells past the text are blanks
        while (to > from && text[to - 1] == ' ')
            to--;
        if (to > from && out)
            std::memcpy(out + put, text + from, (size_t)(to - from));
        put += to > from ? (uint32_t)(to - from) : 0;
    }
    return put;
}

RtString PromptSelectionText(PromptState *ps, const PromptSelection *sel) {
    if (PromptSelectionEmpty(sel))
        return StrAlloc(0);
    RtString text = StrAlloc(Collect(ps, sel, nullptr));
    Collect(ps, sel, text);
    return text;
}
