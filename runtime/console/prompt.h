// prompt.h: the console's operations, shared by every front end.
#ifndef RUNTIME_CONSOLE_PROMPT_H
#define RUNTIME_CONSOLE_PROMPT_H

#include "runtime/console/prompt_history.h"
#include "runtime/console/prompt_state.h"

// Screen buffer (prompt_rows.cpp). PromptRowsAlloc makes the buffer ready before anything else
// of the console runs (console thread, first thing): the console lock, the 101 rows zero-filled,
// white on black (curFore, curBack), the cursor at row 0, column 0, an empty history and the view
// at the bottom. PromptRowsFree releases the rows and the history.
void PromptRowsAlloc(PromptState *ps);
void PromptRowsFree(PromptState *ps);
// Moves row 0 into the history, rows 1 to 100 up by one and puts a fresh zero-filled row at 100;
// the cursor does not move. The caller holds the console lock.
void PromptRowsScroll(PromptState *ps);

// Prints text (consumed) at the cursor and draws the rows it touched, or with a front end that
// draws frames (frameLater) marks them and leaves the drawing to its next frame. Either thread.
void PromptPrint(PromptState *ps, RtString text);

// Scrolls if the cursor row's bottom edge lies below the client area, then draws rows
// firstRow to lastRow (-1: every row) on s, and whatever else was marked. The caller holds the
// console lock.
void PromptDraw(PromptState *ps, PromptSurface *s, int32_t firstRow, int32_t lastRow);

// The marks of what the window must draw again (PromptState.damage); the caller holds the console
// lock. PromptMarkRows marks rows firstRow to lastRow (-1: every row). PromptScrollMarked runs the
// scroll rule for a client area of height pixels, moves the marks with the rows and returns how
// many rows it scrolled.
void PromptMarkRows(PromptState *ps, int32_t firstRow, int32_t lastRow);
int32_t PromptScrollMarked(PromptState *ps, int32_t height);

// The window procedure's handlers, called on the console thread by each front end.
void PromptOnPaint(PromptState *ps, PromptSurface *s);   // after the front end blanked the window
void PromptOnFrame(PromptState *ps, PromptSurface *s);   // draws the marks, the window as it is
void PromptOnSetFocus(PromptState *ps);
void PromptOnKillFocus(PromptState *ps);

// The caret: a solid block kPromptCaretWidth x kPromptCaretHeight pixels at 96 DPI, its top edge
// kPromptCaretRaise pixels above the cursor cell's bottom edge.
enum { kPromptCaretWidth = 9, kPromptCaretHeight = 6, kPromptCaretRaise = 7 };
// A length of px pixels at 96 DPI in pixels at dpi (0 counts as 96), rounded to nearest, halves
// up: 16 is 24 at 144 DPI, 9 is 14.
int32_t PromptScaled(int32_t px, int32_t dpi);
void PromptOnChar(PromptState *ps, uint8_t c);

// Shows the progress of a long computation in the window's title, "BASIC PROMPT 37%"; a
// percent below 0 gives the plain title back; a front end with showProgress gets it too.
// Nothing goes into the screen buffer.
void PromptShowProgress(PromptState *ps, int32_t percent);

// Prints prompt (consumed), waits for a typed line and stores its items through the
// InputTargetList; asks again on too many or too few items. Program thread only.
void PromptInput(PromptState *ps, RtString prompt);

#endif
