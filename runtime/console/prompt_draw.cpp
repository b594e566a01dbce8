// prompt_draw.cpp: the scroll rule, the marks of what the window must draw again (PromptDamage),
// and the drawing of marked rows on a surface: PromptDraw, PromptOnPaint and PromptOnFrame.
//
// Scroll rule: while the cursor row's bottom edge, (cursorRow + 1) * cellHeight pixels, lies below
// the client height and the cursor is not on row 0, drop the top row. Afterwards the cursor row
// fits, unless it is row 0 (a window shorter than one row, or minimised to height 0). Scrolled
// rows are gone: a taller window never brings them back.
//
// The window shows the view (prompt_history.h): visible row i is session row H - viewBack + i,
// buffer row i - viewBack where that is one. At the bottom (viewBack = 0) that is buffer row i.
//
// Marks: a scroll of the buffer by k rows moves the marks up with it and, with the view at the
// bottom, adds k to the rows the shown picture must move. A view back in the history does not
// move (the rows went into the history below it): the picture stays, and a marked row that went
// into the history with the scroll is drawn with every other visible row. A frame on a surface that can move its pixels (scrollUp) moves the
// fully visible rows and draws the rows it uncovered and the marked ones; on any other surface, or
// when the picture moved by a whole window or more, it draws every visible row. Either way the
// finished window shows the buffer, and the marks are cleared.
//
// Drawing visible row i: the part right of its text is blanked from the backdrop, then its text is drawn
// in runs of glyphs that share their first cells' colours at x = column * cellWidth,
// y = i * cellHeight; a lead byte and the byte behind it make one glyph in the lead cell's colours,
// a lead byte that ends the row is drawn alone. A surface without drawRun gets one call a glyph.
// Rows are drawn from the top while their top edge lies inside the client area.
//
// Every function here but PromptOnPaint and PromptOnFrame expects the console lock held.
#include "runtime/console/prompt.h"

#include <cstring>

static void DrawRow(PromptState *ps, PromptSurface *s, int32_t i, int32_t clientWidth,
                    PromptRowCells *cells) {
    const PromptSurfaceOps *ops = s->ops;
    PromptRowRef row = PromptViewRow(ps, i, cells);
    const uint8_t *text = row.text;
    const uint32_t *fore = row.fore;
    const uint32_t *back = row.back;
    int32_t length = (int32_t)std::strlen((const char *)text);   // byte 254 is always NUL
    int32_t y = i * ps->cellHeight;

    int32_t w = ops->textWidth(s, text, length);
    ops->blank(s, w, y, clientWidth, ps->cellHeight);

    for (int32_t j = 0; j < length;) {
        int32_t start = j;
        do
            j += ops->isLeadByte(text[j]) ? 2 : 1;
        while (j < length && fore[j] == fore[start] && back[j] == back[start]);
        int32_t end = j < length ? j : length;   // a lead byte ending the row stands alone
        ops->setColours(s, fore[start], back[start]);
        if (ops->drawRun) {
            ops->drawRun(s, start * ps->cellWidth, y, text + start, end - start);
            continue;
        }
        for (int32_t g = start; g < end;) {
            int32_t n = (ops->isLeadByte(text[g]) && g + 1 < end) ? 2 : 1;
            ops->drawGlyph(s, g * ps->cellWidth, y, text + g, n);
            g += n;
        }
    }
}

// Returns how many rows it scrolled.
static int32_t ScrollToFit(PromptState *ps, int32_t height) {
    int32_t k = 0;
    while ((ps->cursorRow + 1) * ps->cellHeight > height && ps->cursorRow > 0) {
        PromptRowsScroll(ps);
        ps->cursorRow--;
        k++;
    }
    return k;
}

void PromptMarkRows(PromptState *ps, int32_t firstRow, int32_t lastRow) {
    PromptDamage *d = &ps->damage;
    if (firstRow == -1) {
        d->all = true;
        return;
    }
    for (int32_t i = firstRow < 0 ? 0 : firstRow; i <= lastRow && i < kPromptRows; i++)
        d->dirty[i] = 1;
}

static void MarkScroll(PromptState *ps, int32_t k) {
    if (k <= 0)
        return;
    PromptDamage *d = &ps->damage;
    if (k >= kPromptRows) {
        d->all = true;
        k = kPromptRows;
    }
    if (ps->viewBack > 0 && std::memchr(d->dirty, 1, (size_t)k))
        d->all = true;   // a changed row went into the history, and the view still shows it
    std::memmove(d->dirty, d->dirty + k, kPromptRows - k);
    std::memset(d->dirty + kPromptRows - k, 0, k);   // fresh rows: drawn as uncovered ones
    if (ps->viewBack == 0)
        d->scrolled += k;
}

int32_t PromptScrollMarked(PromptState *ps, int32_t height) {
    int32_t k = ScrollToFit(ps, height);
    MarkScroll(ps, k);
    return k;
}

// Draws what the marks ask for and clears them.
static void DrawMarked(PromptState *ps, PromptSurface *s, int32_t width, int32_t height) {
    const PromptSurfaceOps *ops = s->ops;
    PromptDamage *d = &ps->damage;
    int32_t visible = 0, full = 0;   // rows whose top edge, whose bottom edge lies inside
    while (visible < kPromptRows && visible * ps->cellHeight < height)
        visible++;
    while (full < kPromptRows && (full + 1) * ps->cellHeight <= height)
        full++;

    bool all = d->all || (d->scrolled > 0 && (!ops->scrollUp || d->scrolled >= full));
    if (!all && d->scrolled > 0) {
        int32_t dy = d->scrolled * ps->cellHeight;
        ops->scrollUp(s, dy, 0, full * ps->cellHeight);
        for (int32_t i = full - d->scrolled; i < visible; i++)
            d->dirty[i] = 1;
    }
    PromptRowCells cells;
    for (int32_t i = 0; i < visible; i++) {
        int32_t b = i - ps->viewBack;   // the buffer row shown there, if any
        if (all || (b >= 0 && b < kPromptRows && d->dirty[b]))
            DrawRow(ps, s, i, width, &cells);
    }
    std::memset(d, 0, sizeof *d);
}

void PromptDraw(PromptState *ps, PromptSurface *s, int32_t firstRow, int32_t lastRow) {
    const PromptSurfaceOps *ops = s->ops;
    ops->selectFont(s);
    int32_t width = 0, height = 0;
    ops->clientSize(s, &width, &height);
    PromptMarkRows(ps, firstRow, lastRow);
    PromptScrollMarked(ps, height);
    DrawMarked(ps, s, width, height);
    ops->restoreFont(s);
}

void PromptOnPaint(PromptState *ps, PromptSurface *s) {
    PlatLockEnter(&ps->lock);
    PromptDraw(ps, s, -1, 0);
    PlatLockLeave(&ps->lock);
    // Lets the start-up go on: everything the console thread made before is visible to it.
    ps->windowReady.store(1, std::memory_order_release);
}

void PromptOnFrame(PromptState *ps, PromptSurface *s) {
    PlatLockEnter(&ps->lock);
    const PromptSurfaceOps *ops = s->ops;
    ops->selectFont(s);
    int32_t width = 0, height = 0;
    ops->clientSize(s, &width, &height);
    DrawMarked(ps, s, width, height);
    ops->restoreFont(s);
    PlatLockLeave(&ps->lock);
}
