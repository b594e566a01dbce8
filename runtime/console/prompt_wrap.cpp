// prompt_wrap.cpp: the session laid out in screen lines, the view that moves by them, and the
// picture drawn from both (see prompt_wrap.h for the rules).
//
// A frame costs a few screens of rows whatever the session's length: the bottom picture is found
// by walking back from the cursor row until the surface is full, and a view scrolled back is a
// row and a line, never a count of lines from the session's start.
#include "runtime/console/prompt_wrap.h"

#include <cstring>

#include "runtime/console/prompt.h"

// The cursor row may hold its text and a typed line beyond it (cursorCol passes 254): its layout
// reaches at most this far, and so never more lines than this.
enum { kExtentMax = kPromptRowBytes + kPromptLineBytes };

// The rows a frame reads and the surface's size: one per call, under the console lock.
struct Frame {
    PromptState *ps;
    const PromptSurfaceOps *ops;
    int32_t cols, rows;    // the surface, in cells
    int32_t last;          // the cursor row, as a session row (H + cursorRow)
    PromptRowCells cells;  // the history row read last
};

// One row laid out: line k holds the bytes start[k] to start[k + 1] - 1; bytes from length on
// are the cursor row's blank cells up to the caret's.
struct Layout {
    PromptRowRef row;
    int32_t length;
    int32_t lines;
    int16_t start[kExtentMax + 2];
};

struct Pos {
    int32_t row;    // session row
    int32_t line;   // its line
};

static bool Before(Pos a, Pos b) {
    return a.row < b.row || (a.row == b.row && a.line < b.line);
}

static void FrameOpen(Frame *f, PromptState *ps, PromptSurface *s) {
    f->ps = ps;
    f->ops = s->ops;
    f->ops->clientSize(s, &f->cols, &f->rows);
    if (f->cols < 1)
        f->cols = 1;
    f->last = PromptHistoryRows(ps) + ps->cursorRow;
}

static void Lay(Frame *f, int32_t j, Layout *lay) {
    lay->row = PromptSessionRow(f->ps, j, &f->cells);
    const uint8_t *text = lay->row.text;
    int32_t n = (int32_t)std::strlen((const char *)text);   // byte 254 is always NUL
    int32_t extent = n;
    if (j == f->last && f->ps->cursorCol >= extent)
        extent = f->ps->cursorCol < kExtentMax ? f->ps->cursorCol + 1 : kExtentMax;
    int32_t lines = 0, x = 0;
    lay->start[0] = 0;
    for (int32_t g = 0; g < extent;) {
        int32_t w = (g + 1 < n && f->ops->isLeadByte(text[g])) ? 2 : 1;
        if (x + w > f->cols && x > 0) {   // the glyph starts the next line, whole
            lay->start[++lines] = (int16_t)g;
            x = 0;
        }
        x += w;
        g += w;
    }
    lay->length = n;
    lay->lines = lines + 1;
    lay->start[lay->lines] = (int16_t)extent;
}

static int32_t Lines(Frame *f, int32_t j) {
    Layout lay;
    Lay(f, j, &lay);
    return lay.lines;
}

// The top line of the picture at the bottom: rows lines above the cursor row's end, or the
// session's first line when it has fewer.
static Pos BottomTop(Frame *f) {
    int32_t need = f->rows;
    for (int32_t j = f->last;; j--) {
        int32_t lines = Lines(f, j);
        if (lines >= need)
            return Pos{j, lines - need};
        need -= lines;
        if (j == 0)
            return Pos{0, 0};
    }
}

// The view's top line, kept inside the session; a view that reached the bottom follows it again.
static Pos ViewTop(Frame *f, PromptWrapView *view, Pos bottom) {
    if (!view->back)
        return bottom;
    int64_t j = view->topRow - f->ps->history.dropped;
    Pos p = j < 0 ? Pos{0, 0} : Pos{j > f->last ? f->last + 1 : (int32_t)j, view->topLine};
    if (p.row <= f->last) {
        int32_t lines = Lines(f, p.row);
        if (p.line >= lines)
            p.line = lines - 1;
    }
    if (!Before(p, bottom))
        return bottom;
    return p;
}

static void ViewPut(Frame *f, PromptWrapView *view, Pos p, Pos bottom) {
    view->back = Before(p, bottom);
    view->topRow = f->ps->history.dropped + p.row;
    view->topLine = p.line;
}

// ---- Drawing --------------------------------------------------------------------------------

// Line k of a laid-out row on surface row y; colours are set only where they change.
static void DrawLine(Frame *f, PromptSurface *s, const Layout *lay, int32_t k, int32_t y,
                     bool *coloured, uint32_t *fore, uint32_t *back) {
    const PromptRowRef &row = lay->row;
    int32_t end = lay->start[k + 1] < lay->length ? lay->start[k + 1] : lay->length;
    for (int32_t g = lay->start[k]; g < end;) {
        int32_t w = (g + 1 < lay->length && f->ops->isLeadByte(row.text[g])) ? 2 : 1;
        if (!*coloured || row.fore[g] != *fore || row.back[g] != *back) {
            *fore = row.fore[g];
            *back = row.back[g];
            *coloured = true;
            f->ops->setColours(s, *fore, *back);
        }
        f->ops->drawGlyph(s, g - lay->start[k], y, row.text + g, w);
        g += w;
    }
}

static void DrawOverlay(Frame *f, PromptSurface *s, const uint8_t *text, int32_t y, int32_t x) {
    int32_t n = (int32_t)std::strlen((const char *)text);
    if (x + n > f->cols)
        x = f->cols > n ? f->cols - n : 0;
    f->ops->setColours(s, kPromptBlack, kPromptWhite);
    for (int32_t g = 0; g < n;) {
        int32_t w = (g + 1 < n && f->ops->isLeadByte(text[g])) ? 2 : 1;
        f->ops->drawGlyph(s, x + g, y, text + g, w);
        g += w;
    }
}

void PromptWrapDraw(PromptState *ps, PromptSurface *s, PromptWrapView *view,
                    const uint8_t *overlay, int32_t *caretRow, int32_t *caretCol) {
    PlatLockEnter(&ps->lock);
    Frame f;
    FrameOpen(&f, ps, s);
    PromptScrollMarked(ps, f.rows * ps->cellHeight);
    std::memset(&ps->damage, 0, sizeof ps->damage);   // every frame draws the whole picture
    Pos p = ViewTop(&f, view, BottomTop(&f));
    *caretRow = f.rows;
    *caretCol = 0;
    s->ops->selectFont(s);
    s->ops->blank(s, 0, 0, f.cols, f.rows);
    bool coloured = false;
    uint32_t fore = 0, back = 0;
    Layout lay;
    for (int32_t y = 0; y < f.rows && p.row <= f.last; p.row++, p.line = 0) {
        Lay(&f, p.row, &lay);
        int32_t caret = ps->cursorCol < lay.start[lay.lines] ? ps->cursorCol
                                                             : lay.start[lay.lines] - 1;
        for (; p.line < lay.lines && y < f.rows; p.line++, y++) {
            DrawLine(&f, s, &lay, p.line, y, &coloured, &fore, &back);
            if (p.row == f.last && caret >= lay.start[p.line] && caret < lay.start[p.line + 1]) {
                *caretRow = y;
                *caretCol = caret - lay.start[p.line];
            }
        }
    }
    if (overlay && overlay[0] != 0 && f.rows > 0) {
        if (*caretRow < f.rows)
            DrawOverlay(&f, s, overlay, *caretRow, *caretCol);
        else
            DrawOverlay(&f, s, overlay, f.rows - 1, 0);
    }
    s->ops->restoreFont(s);
    PlatLockLeave(&ps->lock);
}

// ---- The view -------------------------------------------------------------------------------

bool PromptWrapScroll(PromptState *ps, PromptSurface *s, PromptWrapView *view, int32_t lines) {
    PlatLockEnter(&ps->lock);
    Frame f;
    FrameOpen(&f, ps, s);
    Pos bottom = BottomTop(&f);
    Pos was = ViewTop(&f, view, bottom), p = was;
    for (int32_t n = lines; n > 0;) {   // back: up through the lines above
        if (p.line >= n) {
            p.line -= n;
            break;
        }
        if (p.row == 0) {
            p.line = 0;
            break;
        }
        n -= p.line + 1;
        p.row--;
        p.line = Lines(&f, p.row) - 1;
    }
    for (int32_t n = -lines; n > 0 && Before(p, bottom);) {   // forward, down to the bottom
        int32_t rest = Lines(&f, p.row) - 1 - p.line;
        if (rest >= n) {
            p.line += n;
            break;
        }
        n -= rest + 1;
        p.row++;
        p.line = 0;
    }
    if (!Before(p, bottom))
        p = bottom;
    ViewPut(&f, view, p, bottom);
    PlatLockLeave(&ps->lock);
    return Before(p, was) || Before(was, p);
}

bool PromptWrapToTop(PromptState *ps, PromptSurface *s, PromptWrapView *view) {
    PlatLockEnter(&ps->lock);
    Frame f;
    FrameOpen(&f, ps, s);
    Pos bottom = BottomTop(&f);
    Pos was = ViewTop(&f, view, bottom), top = {0, 0};
    ViewPut(&f, view, Before(top, bottom) ? top : bottom, bottom);
    PlatLockLeave(&ps->lock);
    return Before(top, was);
}

bool PromptWrapToBottom(PromptWrapView *view) {
    bool moved = view->back;
    view->back = false;
    return moved;
}
