// prompt_select.h: a selection of the console's text by characters across rows, the cells it
// covers on each row, and the text it copies.
//
// A selection runs from the boundary where a drag began (anchor) to the boundary under the mouse
// now (focus), in either order. A boundary is a session row (prompt_history.h) and a column edge:
// column c is the left edge of cell c, 0 to kPromptRowMaxText. Session rows keep their numbers
// while the view moves and while output goes on, so a selection stays on its text.
//
// From the earlier boundary (r1, c1) to the later one (r2, c2): row r1 from c1, every row between
// whole, row r2 up to c2; a selection within one row is c1 to c2. A double-byte character that the
// selection touches is in it whole, never split: a start inside one moves back to its lead byte, an
// end inside one forward behind its trail byte. Cells past a row's text are blanks.
//
// The copied text is code page 932: the covered cells of each row with the row's trailing blanks
// (spaces, and the cells past its text) dropped, the rows joined by CR LF. A selection that ends
// at column 0 of a row thus ends in CR LF. Nothing here changes a row.
#ifndef RUNTIME_CONSOLE_PROMPT_SELECT_H
#define RUNTIME_CONSOLE_PROMPT_SELECT_H

#include "runtime/console/prompt_state.h"

struct PromptSelection {
    int32_t anchorRow, anchorCol;   // where the drag began: a session row and a column edge
    int32_t focusRow, focusCol;     // where the mouse is now
};

// A span that runs on past the row's last cell to the next row ends at this column.
enum { kPromptSelectRowEnd = 0x7FFFFFFF };

// True when the selection covers no cell: anchor and focus are the same boundary.
bool PromptSelectionEmpty(const PromptSelection *sel);

// The cells [*from, *to) of session row `row`, whose text (up to its first NUL) is text, that
// the selection covers, widened to whole characters; *to is kPromptSelectRowEnd where the
// selection runs on to the next row. False when it covers no cell of the row.
bool PromptSelectionSpan(const PromptSelection *sel, int32_t row, const uint8_t *text,
                         int32_t *from, int32_t *to);

// The selected text as above, a new string the caller owns (empty for an empty selection). The
// rows are read with PromptSessionRow; the caller holds the console lock.
RtString PromptSelectionText(PromptState *ps, const PromptSelection *sel);

#endif
