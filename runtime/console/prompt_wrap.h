// prompt_wrap.h: the session drawn on a surface narrower than its rows, as a terminal's normal
// screen would show it: a row wider than the surface goes on in the next screen line, and the view
// moves by screen lines. The terminal console draws every frame through it.
//
// Layout of one row in cols columns (cols >= 1): glyphs left to right, a lead byte and the byte
// behind it one glyph of two cells, any other byte one cell; a glyph that would pass the right
// edge starts the next line instead (a double-byte glyph is never split; the column it leaves
// is blank). Every row takes at least one line. The cursor row is laid out to one cell past the
// cursor, so the caret after the typed text always has its cell, on a line of its own when the
// text fills the last one.
//
// The picture: the session's rows from the oldest up to the cursor row (rows below it are always
// empty), line after line. At the bottom (view.back false) it ends with the cursor row's last
// line on the surface's bottom row, or starts at the session's first line when the session has
// fewer lines than the surface. Scrolled back, its top is line view.topLine of session row
// view.topRow, counted since the start (history.dropped + j), so output that comes meanwhile
// leaves the picture where it is; a view that reaches the bottom follows the output again.
// Every picture is a function of the rows, the cursor, the surface's size and the view alone:
// drawn after any resize it equals a fresh draw.
//
// Threads: console thread; every function takes the console lock itself.
#ifndef RUNTIME_CONSOLE_PROMPT_WRAP_H
#define RUNTIME_CONSOLE_PROMPT_WRAP_H

#include "runtime/console/prompt_state.h"

struct PromptWrapView {
    bool back;         // scrolled back; false: the picture follows the output
    int64_t topRow;    // back: the session row of the top line, counted since the start
    int32_t topLine;   // back: that row's line at the top, from 0
};

// Runs the scroll rule for the surface's height, clears the marks, and draws the picture on s
// (the whole surface, blanked first). With overlay (code page 932, NUL-ended; may be null) that
// text is drawn black on white at the caret's cell, or at the bottom row's start when the caret
// is out of view; it goes into no row. *caretRow, *caretCol: the cursor cell on the surface;
// *caretRow is the surface's height when the cell is out of view.
void PromptWrapDraw(PromptState *ps, PromptSurface *s, PromptWrapView *view,
                    const uint8_t *overlay, int32_t *caretRow, int32_t *caretCol);

// Moves the view by lines screen lines (> 0: back, up; < 0: down), to the session's first line
// (top), or to the bottom. True when the picture moved.
bool PromptWrapScroll(PromptState *ps, PromptSurface *s, PromptWrapView *view, int32_t lines);
bool PromptWrapToTop(PromptState *ps, PromptSurface *s, PromptWrapView *view);
bool PromptWrapToBottom(PromptWrapView *view);

#endif
