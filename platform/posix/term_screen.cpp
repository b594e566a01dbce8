// term_screen.cpp: the cell grids behind the terminal console and the frame writer.
//
// Frame, in order: (1) hide the cursor if it was shown; (2) clear the terminal if its contents
// are unknown; (3) if more rows differ than a scroll would leave differing, scroll the terminal
// up by k rows (k <= 16, found by comparing row hashes) and move `shown` with it; (4) rewrite
// each row that still differs: position, glyphs left to right with their colours, erase to the
// end of the row if the old row was longer; (5) put the cursor at the caret and show it.
#include "platform/posix/term_screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/posix/cp932.h"
#include "platform/posix/term_codes.h"

enum { kMaxScroll = 16 };

// ---- Output buffer -------------------------------------------------------------------------

void TermScreenAppend(TermScreen *ts, const char *bytes, size_t n) {
    if (ts->outLength + n > ts->outCapacity) {
        size_t capacity = ts->outCapacity ? ts->outCapacity : 4096;
        while (capacity < ts->outLength + n)
            capacity *= 2;
        ts->out = (uint8_t *)PlatRealloc(ts->out, capacity);
        ts->outCapacity = capacity;
    }
    std::memcpy(ts->out + ts->outLength, bytes, n);
    ts->outLength += n;
}

static void AppendText(TermScreen *ts, const char *text) {
    TermScreenAppend(ts, text, std::strlen(text));
}

// Cursor to a cell, both counted from 0.
static void AppendMove(TermScreen *ts, int32_t row, int32_t col) {
    char code[32];
    int n = std::snprintf(code, sizeof code, TERM_MOVE_FORMAT, (int)row + 1, (int)col + 1);
    TermScreenAppend(ts, code, (size_t)n);
}

// Colour parameters of a COLORREF (0x00BBGGRR): the plain codes for black and white, else 24 bit.
static int ColourCode(char *code, size_t size, uint32_t colour, bool back) {
    if (colour == kPromptBlack)
        return std::snprintf(code, size, back ? "40" : "30");
    if (colour == kPromptWhite)
        return std::snprintf(code, size, back ? "107" : "97");
    return std::snprintf(code, size, "%d;2;%u;%u;%u", back ? 48 : 38, (unsigned)(colour & 0xFF),
                         (unsigned)((colour >> 8) & 0xFF), (unsigned)((colour >> 16) & 0xFF));
}

static void AppendColours(TermScreen *ts, uint32_t fore, uint32_t back) {
    if (ts->sgrKnown && ts->sgrFore == fore && ts->sgrBack == back)
        return;
    char f[24], b[24], code[64];
    ColourCode(f, sizeof f, fore, false);
    ColourCode(b, sizeof b, back, true);
    int n = std::snprintf(code, sizeof code, TERM_COLOURS_FORMAT, f, b);
    TermScreenAppend(ts, code, (size_t)n);
    ts->sgrKnown = true;
    ts->sgrFore = fore;
    ts->sgrBack = back;
}

// The backdrop's colours, white on black: what erasing and scrolling fill with.
static void AppendBackdropColours(TermScreen *ts) {
    AppendColours(ts, kPromptWhite, kPromptBlack);
}

// ---- Grids ----------------------------------------------------------------------------------

static void GridsMake(TermScreen *ts, int32_t rows, int32_t cols) {
    ts->rows = rows > 0 ? rows : 0;
    ts->cols = cols > 0 ? cols : 0;
    size_t cells = (size_t)ts->rows * (size_t)ts->cols + 1;
    size_t lines = (size_t)ts->rows + 1;
    ts->want = (TermCell *)PlatAlloc(cells * sizeof(TermCell));
    ts->shown = (TermCell *)PlatAlloc(cells * sizeof(TermCell));
    ts->wantExtent = (int32_t *)PlatAlloc(lines * sizeof(int32_t));
    ts->shownExtent = (int32_t *)PlatAlloc(lines * sizeof(int32_t));
    ts->shownHash = (uint32_t *)PlatAlloc(lines * sizeof(uint32_t));
    ts->wantHash = (uint32_t *)PlatAlloc(lines * sizeof(uint32_t));
    ts->clearFirst = true;
}

static void GridsFree(TermScreen *ts) {
    PlatFree(ts->want);
    PlatFree(ts->shown);
    PlatFree(ts->wantExtent);
    PlatFree(ts->shownExtent);
    PlatFree(ts->shownHash);
    PlatFree(ts->wantHash);
}

static TermCell *Cell(TermScreen *ts, TermCell *grid, int32_t row, int32_t col) {
    return grid + (size_t)row * (size_t)ts->cols + (size_t)col;
}

// Before cell col of a want row is overwritten: a double-byte glyph cut in half goes.
static void Unpair(TermScreen *ts, int32_t row, int32_t col) {
    TermCell *c = Cell(ts, ts->want, row, col);
    if (c->kind == kCellTrail && col > 0)
        std::memset(c - 1, 0, sizeof *c);
    if (c->kind == kCellLead && col + 1 < ts->cols)
        std::memset(c + 1, 0, sizeof *c);
}

// Cells right of the returned column are blank.
static int32_t TightExtent(TermScreen *ts, TermCell *grid, int32_t row, int32_t extent) {
    while (extent > 0 && Cell(ts, grid, row, extent - 1)->kind == kCellBlank)
        extent--;
    return extent;
}

static uint32_t RowHash(TermScreen *ts, TermCell *grid, int32_t row, int32_t extent) {
    uint32_t h = 2166136261u;   // FNV-1a over the row's cells up to its extent
    const uint8_t *p = (const uint8_t *)Cell(ts, grid, row, 0);
    for (size_t i = 0; i < (size_t)extent * sizeof(TermCell); i++)
        h = (h ^ p[i]) * 16777619u;
    return h;
}

static bool RowsEqual(TermScreen *ts, int32_t wantRow, int32_t shownRow) {
    if (ts->wantExtent[wantRow] != ts->shownExtent[shownRow])
        return false;
    return std::memcmp(Cell(ts, ts->want, wantRow, 0), Cell(ts, ts->shown, shownRow, 0),
                       (size_t)ts->wantExtent[wantRow] * sizeof(TermCell)) == 0;
}

// ---- Surface operations (the console draws through these) --------------------------------

static void OpSelectFont(PromptSurface *) {
}

static void OpRestoreFont(PromptSurface *) {
}

static void OpClientSize(PromptSurface *s, int32_t *width, int32_t *height) {
    TermScreen *ts = (TermScreen *)s;
    *width = ts->cols;
    *height = ts->rows;
}

// One byte is one column, also on the terminal: a double-byte glyph takes two.
static int32_t OpTextWidth(PromptSurface *, const uint8_t *, int32_t n) {
    return n;
}

static void OpBlank(PromptSurface *s, int32_t x, int32_t y, int32_t w, int32_t h) {
    TermScreen *ts = (TermScreen *)s;
    int32_t left = x < 0 ? 0 : x;
    int32_t right = (w > ts->cols - x) ? ts->cols : x + w;   // w may be huge: no overflow
    int32_t top = y < 0 ? 0 : y;
    int32_t bottom = (h > ts->rows - y) ? ts->rows : y + h;
    if (left >= right)
        return;
    for (int32_t row = top; row < bottom; row++) {
        Unpair(ts, row, left);
        Unpair(ts, row, right - 1);
        std::memset(Cell(ts, ts->want, row, left), 0, (size_t)(right - left) * sizeof(TermCell));
        if (right == ts->cols && ts->wantExtent[row] > left)
            ts->wantExtent[row] = left;
    }
}

static void OpSetColours(PromptSurface *s, uint32_t fore, uint32_t back) {
    TermScreen *ts = (TermScreen *)s;
    ts->fore = fore;
    ts->back = back;
}

static void OpDrawGlyph(PromptSurface *s, int32_t x, int32_t y, const uint8_t *glyph, int32_t n) {
    TermScreen *ts = (TermScreen *)s;
    if (y < 0 || y >= ts->rows || x < 0 || x + n > ts->cols)
        return;   // beyond the terminal's edge: cut (a double-byte glyph is never split)
    for (int32_t i = 0; i < n; i++)
        Unpair(ts, y, x + i);
    TermCell *c = Cell(ts, ts->want, y, x);
    c->text[0] = glyph[0];
    c->text[1] = n == 2 ? glyph[1] : 0;
    c->kind = n == 2 ? kCellLead : kCellSingle;
    c->unused = 0;
    c->fore = ts->fore;
    c->back = ts->back;
    if (n == 2) {
        c[1] = c[0];
        c[1].text[0] = c[1].text[1] = 0;
        c[1].kind = kCellTrail;
    }
    if (ts->wantExtent[y] < x + n)
        ts->wantExtent[y] = x + n;
}

static const PromptSurfaceOps kTermSurfaceOps = {
    OpSelectFont, OpRestoreFont, OpClientSize, OpTextWidth,
    OpBlank,      OpSetColours,  OpDrawGlyph,  RtIsLeadByte,
};

// ---- Screen ---------------------------------------------------------------------------------

void TermScreenInit(TermScreen *ts, int32_t rows, int32_t cols) {
    std::memset(ts, 0, sizeof *ts);
    ts->surface.ops = &kTermSurfaceOps;
    ts->fore = kPromptWhite;
    Cp932Init();
    GridsMake(ts, rows, cols);
}

void TermScreenFree(TermScreen *ts) {
    GridsFree(ts);
    PlatFree(ts->out);
    ts->out = nullptr;
    ts->outLength = ts->outCapacity = 0;
}

void TermScreenResize(TermScreen *ts, int32_t rows, int32_t cols) {
    GridsFree(ts);
    GridsMake(ts, rows, cols);
}

// ---- Frame ----------------------------------------------------------------------------------

static void AppendGlyph(TermScreen *ts, const TermCell *c, int32_t row, int32_t col) {
    uint8_t form[4];
    if (c->kind == kCellSingle) {
        int n = Cp932GlyphToUtf8(c->text, 1, form);
        // Only what surely takes one column: printable ASCII and half-width katakana.
        bool ascii = n == 1 && form[0] >= 0x20 && form[0] < 0x7F;
        bool kana = n == 3 && form[0] == 0xEF && (form[1] == 0xBD || form[1] == 0xBE);
        TermScreenAppend(ts, (ascii || kana) ? (const char *)form : " ", (ascii || kana) ? n : 1);
        return;
    }
    int n = Cp932GlyphToUtf8(c->text, 2, form);
    if (n == 0) {
        TermScreenAppend(ts, "  ", 2);
    } else if (Cp932GlyphIsWide(c->text, 2)) {
        TermScreenAppend(ts, (const char *)form, (size_t)n);
    } else {
        // A terminal may show it one column wide: blank both columns, draw it, move on by two.
        TermScreenAppend(ts, "  ", 2);
        AppendMove(ts, row, col);
        TermScreenAppend(ts, (const char *)form, (size_t)n);
        AppendMove(ts, row, col + 2);
    }
}

static void AppendRow(TermScreen *ts, int32_t row) {
    int32_t extent = ts->wantExtent[row];
    AppendMove(ts, row, 0);
    for (int32_t col = 0; col < extent;) {
        const TermCell *c = Cell(ts, ts->want, row, col);
        if (c->kind == kCellBlank || c->kind == kCellTrail) {
            AppendBackdropColours(ts);
            TermScreenAppend(ts, " ", 1);
            col += 1;
            continue;
        }
        AppendColours(ts, c->fore, c->back);
        AppendGlyph(ts, c, row, col);
        col += c->kind == kCellLead ? 2 : 1;
    }
    if (ts->shownExtent[row] > extent) {
        AppendBackdropColours(ts);
        AppendText(ts, TERM_CLEAR_TO_EOL);
    }
}

// The terminal shows blank rows from row first to the bottom: `shown` says so.
static void ShownBlank(TermScreen *ts, int32_t first) {
    size_t cells = (size_t)(ts->rows - first) * (size_t)ts->cols;
    std::memset(Cell(ts, ts->shown, first, 0), 0, cells * sizeof(TermCell));
    uint32_t blankHash = RowHash(ts, ts->shown, first, 0);
    for (int32_t row = first; row < ts->rows; row++) {
        ts->shownExtent[row] = 0;
        ts->shownHash[row] = blankHash;
    }
}

// Scrolls the terminal up by k rows: LF on the bottom row, the new rows in the backdrop colours.
static void AppendScroll(TermScreen *ts, int32_t k) {
    AppendBackdropColours(ts);
    AppendMove(ts, ts->rows - 1, 0);
    for (int32_t i = 0; i < k; i++)
        TermScreenAppend(ts, "\n", 1);
    int32_t keep = ts->rows - k;
    std::memmove(ts->shown, Cell(ts, ts->shown, k, 0), (size_t)keep * ts->cols * sizeof(TermCell));
    std::memmove(ts->shownExtent, ts->shownExtent + k, (size_t)keep * sizeof(int32_t));
    std::memmove(ts->shownHash, ts->shownHash + k, (size_t)keep * sizeof(uint32_t));
    ShownBlank(ts, keep);
}

// The scroll that leaves the fewest rows to rewrite; 0 when scrolling would not help.
static int32_t BestScroll(TermScreen *ts, const uint32_t *wantHash) {
    int32_t best = 0, bestSame = 0;
    for (int32_t row = 0; row < ts->rows; row++)
        bestSame += wantHash[row] == ts->shownHash[row];
    if (ts->rows - bestSame <= 2)
        return 0;   // a print on one or two rows: nothing to gain
    for (int32_t k = 1; k <= kMaxScroll && k < ts->rows; k++) {
        int32_t same = 0;
        for (int32_t row = 0; row + k < ts->rows; row++)
            same += wantHash[row] == ts->shownHash[row + k];
        if (same > bestSame + 1) {   // a scroll costs about as much as one row
            best = k;
            bestSame = same;
        }
    }
    return best;
}

void TermScreenFrame(TermScreen *ts) {
    size_t start = ts->outLength;
    if (ts->caretWasOn)
        AppendText(ts, TERM_CURSOR_HIDE);
    size_t mark = ts->outLength;

    if (ts->clearFirst) {
        AppendBackdropColours(ts);
        AppendText(ts, TERM_CLEAR_SCREEN);
        ShownBlank(ts, 0);
        ts->clearFirst = false;
    }

    uint32_t *wantHash = ts->wantHash;
    for (int32_t row = 0; row < ts->rows; row++) {
        ts->wantExtent[row] = TightExtent(ts, ts->want, row, ts->wantExtent[row]);
        wantHash[row] = RowHash(ts, ts->want, row, ts->wantExtent[row]);
    }
    int32_t k = BestScroll(ts, wantHash);
    if (k > 0)
        AppendScroll(ts, k);
    for (int32_t row = 0; row < ts->rows; row++) {
        if (!RowsEqual(ts, row, row)) {
            AppendRow(ts, row);
            std::memcpy(Cell(ts, ts->shown, row, 0), Cell(ts, ts->want, row, 0),
                        (size_t)ts->cols * sizeof(TermCell));
            ts->shownExtent[row] = ts->wantExtent[row];
        }
        ts->shownHash[row] = wantHash[row];
    }

    bool drew = ts->outLength != mark;
    if (!drew)
        ts->outLength = start;   // nothing changed: the cursor need not hide
    // A caret below the last row belongs to a row out of view: hidden.
    bool caretOn = ts->caretOn && ts->caretRow < ts->rows && ts->cols > 0;
    int32_t row = ts->caretRow < 0 ? 0 : ts->caretRow >= ts->rows ? ts->rows - 1 : ts->caretRow;
    int32_t col = ts->caretCol < 0 ? 0 : ts->caretCol >= ts->cols ? ts->cols - 1 : ts->caretCol;
    if (caretOn) {
        if (drew || !ts->caretWasOn || row != ts->caretShownRow || col != ts->caretShownCol) {
            AppendMove(ts, row, col);
            AppendText(ts, TERM_CURSOR_SHOW);
        }
    } else if (ts->caretWasOn && !drew) {
        AppendText(ts, TERM_CURSOR_HIDE);
    }
    ts->caretWasOn = caretOn;
    ts->caretShownRow = row;
    ts->caretShownCol = col;
}

// ---- Lines for the normal screen ------------------------------------------------------------

void TermScreenAppendLine(TermScreen *ts, const uint8_t *text, const uint32_t *fore,
                          const uint32_t *back) {
    bool coloured = false;   // the terminal's colours are not its own since a code of ours
    for (int32_t j = 0; text[j] != 0;) {
        int n = RtIsLeadByte(text[j]) && text[j + 1] != 0 ? 2 : 1;
        // A blank on the backdrop (a tab's spaces keep the zero colours of a fresh row) shows
        // no ink of its own: it takes the terminal's colours like white on black does.
        bool plain = (fore[j] == kPromptWhite || text[j] == ' ') && back[j] == kPromptBlack;
        if (plain && coloured) {
            AppendText(ts, TERM_COLOURS_RESET);
            coloured = false;
        } else if (!plain && !(coloured && ts->sgrFore == fore[j] && ts->sgrBack == back[j])) {
            ts->sgrKnown = false;
            AppendColours(ts, fore[j], back[j]);
            coloured = true;
        }
        uint8_t form[4];
        int length = Cp932GlyphToUtf8(text + j, n, form);
        bool printable = n == 2 || length > 1 || (form[0] >= 0x20 && form[0] < 0x7F);
        if (length > 0 && printable)
            TermScreenAppend(ts, (const char *)form, (size_t)length);
        else
            TermScreenAppend(ts, "  ", (size_t)n);   // no glyph to show: its cells stay blank
        j += n;
    }
    if (coloured)
        AppendText(ts, TERM_COLOURS_RESET);
    ts->sgrKnown = false;   // the frames' colours are not known any more
    TermScreenAppend(ts, "\r\n", 2);
}
