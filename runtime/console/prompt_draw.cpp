// prompt_draw.cpp: PromptDraw, which scrolls the screen buffer when the cursor row has left the
// bottom of the client area and draws rows of it on a surface; and the paint handler.
//
// Scroll rule: while the cursor row's bottom edge, (cursorRow + 1) * cellHeight pixels, lies below
// the client height and the cursor is not on row 0, drop the top row. Afterwards the cursor row
// fits, unless it is row 0 (a window shorter than one row, or minimised to height 0). Scrolled
// rows are gone: a taller window never brings them back. Any scroll draws every row.
//
// Drawing row i: the part right of its text is blanked from the backdrop, then each character is
// drawn on its own in its first cell's colours at x = column * cellWidth, y = i * cellHeight;
// a lead byte and the byte behind it make one glyph, a lead byte that ends the row is drawn alone.
// Rows are drawn from the top while their top edge lies inside the client area.
//
// The caller holds the console lock.
#include "runtime/console/prompt.h"

#include <cstring>

static void DrawRow(PromptState *ps, PromptSurface *s, int32_t i, int32_t clientWidth) {
    const PromptSurfaceOps *ops = s->ops;
    const uint8_t *text = ps->rowText[i];
    int32_t length = (int32_t)std::strlen((const char *)text);   // byte 254 is always NUL
    int32_t y = i * ps->cellHeight;

    int32_t w = ops->textWidth(s, text, length);
    ops->blank(s, w, y, clientWidth, ps->cellHeight);

    for (int32_t j = 0; j < length;) {
        ops->setColours(s, ps->rowFore[i][j], ps->rowBack[i][j]);
        int32_t n = (ops->isLeadByte(text[j]) && text[j + 1] != 0) ? 2 : 1;
        ops->drawGlyph(s, j * ps->cellWidth, y, text + j, n);
        j += ops->isLeadByte(text[j]) ? 2 : 1;
    }
}

void PromptDraw(PromptState *ps, PromptSurface *s, int32_t firstRow, int32_t lastRow) {
    const PromptSurfaceOps *ops = s->ops;
    ops->selectFont(s);
    int32_t width = 0, height = 0;
    ops->clientSize(s, &width, &height);

    while ((ps->cursorRow + 1) * ps->cellHeight > height && ps->cursorRow > 0) {
        PromptRowsScroll(ps);
        ps->cursorRow--;
        firstRow = -1;
    }

    for (int32_t i = 0; i < kPromptRows && i * ps->cellHeight < height; i++) {
        if (firstRow == -1 || (firstRow <= i && i <= lastRow))
            DrawRow(ps, s, i, width);
    }
    ops->restoreFont(s);
}

void PromptOnPaint(PromptState *ps, PromptSurface *s) {
    PlatLockEnter(&ps->lock);
    PromptDraw(ps, s, -1, 0);
    PlatLockLeave(&ps->lock);
    // Lets the start-up go on: everything the console thread made before is visible to it.
    ps->windowReady.store(1, std::memory_order_release);
}
