// prompt_history.h: the console's history (the rows that scrolled off the top of the screen buffer)
// and the view: the window's rows, which may lie back in that history instead of at the bottom.
//
// The history only records: PromptRowsScroll hands it row 0 as it leaves the buffer, text and
// colours cell for cell up to the row's first NUL. The screen buffer, the scroll rule and what the
// program prints do not depend on it. It is bounded by bytes (kPromptHistoryBytes; a row of
// results takes about 100), and the oldest rows are dropped first.
//
// Rows of the session: history row 0 (oldest) to history row H - 1 (newest, the one that left
// the buffer last), then buffer rows 0 to 100: session row j is history row j for j < H, else
// buffer row j - H. The view lies viewBack rows back from the bottom (0 <= viewBack <= H): visible
// row i of the window (row 0 at its top) shows session row H - viewBack + i. At viewBack = 0 the
// window shows the buffer, exactly as without a history.
//
// The view stays on its rows: while viewBack > 0 each row that enters the history adds one to
// viewBack, so the rows shown and their place in the window do not change (a print changes only
// the buffer rows in view). Only when the byte bound drops rows the view showed does it move, to
// the oldest row kept. At viewBack = 0 the view follows the output as the window always did.
// Typing a key of an open input line returns the view to the bottom first (PromptOnChar).
//
// A scrollbar: range 0 to H + page - 1, page = PromptViewPage rows, thumb at H - viewBack (the
// session row at the window's top). A thumb moved to position p: PromptViewSet(ps, H - p).
//
// The caret belongs to the cursor cell wherever the view is: PromptOnSetFocus places it at row
// cursorRow + viewBack of the window (below the window when the view lies a screen or more back).
//
// Threads: everything here is under the console lock. The functions that move the view
// (PromptViewSet ... PromptViewToBottom) take it themselves and are called on the console thread;
// the ones that read rows expect the caller to hold it.
#ifndef RUNTIME_CONSOLE_PROMPT_HISTORY_H
#define RUNTIME_CONSOLE_PROMPT_HISTORY_H

#include "runtime/console/prompt_state.h"

// 32 MiB: the display of N = 100001 (about 100,000 rows) fits several times over.
constexpr size_t kPromptHistoryBytes = (size_t)32 << 20;

// A row as drawing and selecting read it: its text ends at the first NUL (at most 254 bytes
// before it); fore[c] and back[c] are the colours of cell c for every cell of that text.
struct PromptRowRef {
    const uint8_t *text;
    const uint32_t *fore;
    const uint32_t *back;
};

// Room for one history row made whole again, for PromptSessionRow and PromptViewRow.
struct PromptRowCells {
    uint8_t text[kPromptRowBytes];
    uint32_t fore[kPromptRowBytes];
    uint32_t back[kPromptRowBytes];
};

// ---- History --------------------------------------------------------------------------------

// An empty history that may hold limit bytes (PromptRowsAlloc: kPromptHistoryBytes; tests less).
// PromptHistoryFree releases its rows and leaves it empty.
void PromptHistoryInit(PromptHistory *h, size_t limit);
void PromptHistoryFree(PromptHistory *h);
// Records the row (text up to its first NUL and those cells' colours) as the newest, drops the
// oldest rows while the bytes exceed the limit, and keeps the view on its rows (see above).
// PromptRowsScroll calls it with row 0 before releasing it.
void PromptHistoryAdd(PromptState *ps, const uint8_t *text, const uint32_t *fore,
                      const uint32_t *back);

// Rows in the history (H above).
int32_t PromptHistoryRows(const PromptState *ps);

// Session row j (0 <= j < H + 101): a history row is made whole in *cells, a buffer row is read
// where it lies (valid until the buffer next changes). Outside that range: an empty row.
PromptRowRef PromptSessionRow(PromptState *ps, int32_t j, PromptRowCells *cells);

// The row shown at visible row i of the window (0: its top), as drawing shows it and selecting
// copies it: session row H - viewBack + i.
PromptRowRef PromptViewRow(PromptState *ps, int32_t i, PromptRowCells *cells);

// ---- View -----------------------------------------------------------------------------------

// Where the view is, for a scrollbar: all three read under the console lock at once.
struct PromptViewPos {
    int32_t historyRows;   // H
    int32_t back;          // viewBack, 0 to H
    int32_t page;          // rows wholly inside the client area, at least 1
};
PromptViewPos PromptViewGet(PromptState *ps);

// Full rows of the client area (clientHeight / cellHeight, at least 1): one page.
int32_t PromptViewPage(const PromptState *ps);

// Each moves the view (clamped to 0 .. H) and returns true when it moved; then every visible row
// is marked, and the front end draws (a frame, or a paint) to show it.
bool PromptViewSet(PromptState *ps, int32_t back);
bool PromptViewScroll(PromptState *ps, int32_t rows);     // rows > 0: back (up), < 0: down
bool PromptViewScrollPages(PromptState *ps, int32_t pages);   // PageUp: 1, PageDown: -1
bool PromptViewToTop(PromptState *ps);
bool PromptViewToBottom(PromptState *ps);

// Draws the marks now: a frame through frameLater, or with none on a surface from getSurface.
// For the console's own use after a view move (a typed key returning to the bottom).
void PromptViewShow(PromptState *ps);

#endif
