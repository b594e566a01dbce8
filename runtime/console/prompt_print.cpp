// prompt_print.cpp: PromptPrint, the console's print: writes a text into the screen buffer at the
// cursor and draws the rows it touched, or marks them for the front end's next frame.
//
// The walk, byte by byte up to the text's first NUL (its stored length is not used):
//   TAB        spaces up to the next multiple of 8 columns (1 to 8 of them); colours untouched
//   CR LF      the cursor goes to column 0 of the next row
//   any other  the byte with curFore / curBack; a lone CR or LF is such a byte
// Limits that keep every write inside the row blocks:
//   - a row holds at most 254 bytes: a byte or tab space at column 254 or beyond is not stored,
//     but cursorCol still advances, so that the echo of typed keys and Backspace stay in step;
//   - cursorRow never passes 100: a CR LF on row 100 scrolls the buffer by one row there and
//     then, and the whole window is drawn afterwards.
// Otherwise the walk never scrolls: the scroll rule runs right after it, when PromptDraw draws or,
// with a front end that draws frames (frameLater), when the print marks what it changed.
//
// Locks: the surface is taken before the console lock and given back after it; the console lock
// is held across the walk and the drawing (or marking); the text is released after the lock is
// left.
#include "runtime/console/prompt.h"

#include <cstring>

enum : uint8_t { kByteTab = 9, kByteLf = 10, kByteCr = 13 };

static void PutByte(PromptState *ps, uint8_t b, bool withColours) {
    int32_t col = ps->cursorCol;
    if (col >= 0 && col < kPromptRowMaxText) {
        int32_t row = ps->cursorRow;
        ps->rowText[row][col] = b;
        if (withColours) {
            ps->rowFore[row][col] = ps->curFore;
            ps->rowBack[row][col] = ps->curBack;
        }
    }
    ps->cursorCol = col + 1;
}

// Walks text into the buffer. Returns true when it had to scroll (cursor at row 100).
static bool PrintWalk(PromptState *ps, const uint8_t *text) {
    bool scrolled = false;
    for (const uint8_t *p = text; *p != 0;) {
        if (p[0] == kByteTab) {
            int32_t n = 8 - (ps->cursorCol % 8);
            for (int32_t k = 0; k < n; k++)
                PutByte(ps, ' ', false);
            p += 1;
        } else if (p[0] == kByteCr && p[1] == kByteLf) {
            if (ps->cursorRow == kPromptRows - 1) {
                PromptRowsScroll(ps);
                scrolled = true;
            } else {
                ps->cursorRow++;
            }
            ps->cursorCol = 0;
            p += 2;
        } else {
            PutByte(ps, p[0], true);
            p += 1;
        }
    }
    return scrolled;
}

void PromptPrint(PromptState *ps, RtString text) {
    const PromptFrontEnd *fe = ps->frontEnd;
    if (fe->printed)
        fe->printed(ps, text, (uint32_t)std::strlen((const char *)text));

    if (fe->frameLater) {
        PlatLockEnter(&ps->lock);
        int32_t firstRow = ps->cursorRow;
        if (PrintWalk(ps, text))
            firstRow = -1;
        PromptMarkRows(ps, firstRow, ps->cursorRow);
        PromptScrollMarked(ps, ps->clientHeight);
        PlatLockLeave(&ps->lock);
        fe->frameLater(ps);
        StrFree(text);
        return;
    }

    PromptSurface *s = fe->getSurface(ps);
    PlatLockEnter(&ps->lock);
    int32_t firstRow = ps->cursorRow;
    if (PrintWalk(ps, text))
        firstRow = -1;
    if (s)
        PromptDraw(ps, s, firstRow, ps->cursorRow);
    PlatLockLeave(&ps->lock);
    if (s)
        fe->releaseSurface(ps, s);

    StrFree(text);
}
