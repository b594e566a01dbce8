// term_screen.h: the terminal as the console's drawing surface: a grid of cells that the console
// draws a frame into, and the escape codes that bring the terminal from what it shows to that
// frame, built in one buffer and written at once.
//
// One cell is one column of one row (cellWidth = cellHeight = 1). The grid `want` receives the
// frame being drawn; `shown` is what the terminal shows since the last frame was written. A frame
// rewrites only the rows that differ; when the new frame is the old one moved up (a print that
// scrolled), the terminal scrolls itself first, so a scrolling print costs a row or two of output
// however large the screen. Glyphs are code page 932 and go out as UTF-8; a glyph past the right
// edge is cut, never wrapped (autowrap is off while the console owns the terminal): the console
// lays its rows out in lines that fit (prompt_wrap.h).
//
// Invariant: after TermScreenFrame, `shown` equals `want`, and the output buffer holds exactly
// the bytes that make the terminal show it, provided the terminal showed `shown` before.
// Not thread-safe: the terminal console serialises every use with its frame lock.
#ifndef PLATFORM_POSIX_TERM_SCREEN_H
#define PLATFORM_POSIX_TERM_SCREEN_H

#include <cstddef>
#include <cstdint>

#include "runtime/console/prompt_state.h"

enum TermCellKind : uint8_t {
    kCellBlank,    // backdrop: black, nothing drawn
    kCellSingle,   // a one-byte glyph
    kCellLead,     // the left column of a double-byte glyph
    kCellTrail,    // the right column of a double-byte glyph (its text is in the lead cell)
};

struct TermCell {
    uint8_t text[2];       // the glyph's code page 932 bytes (lead cells: both)
    TermCellKind kind;
    uint8_t unused;
    uint32_t fore, back;   // COLORREF 0x00BBGGRR
};

struct TermScreen {
    PromptSurface surface;     // first member: the console draws through it
    int32_t rows, cols;        // the terminal's size in cells
    TermCell *want;            // rows * cols: the frame being drawn
    TermCell *shown;           // rows * cols: what the terminal shows
    int32_t *wantExtent;       // per row: cells right of this are blank in want
    int32_t *shownExtent;      // the same for shown
    uint32_t *shownHash;       // per row: hash of the shown row (finds a scroll cheaply)
    uint32_t *wantHash;        // per row: hash of the want row, worked out by each frame
    bool clearFirst;           // the terminal's contents are unknown: clear it in the next frame
    uint32_t fore, back;       // colours of the next glyph (setColours)
    bool sgrKnown;             // the terminal's current colours are sgrFore / sgrBack
    uint32_t sgrFore, sgrBack;
    bool caretOn;              // the caret (terminal cursor) is shown, if its row is on screen
    bool caretWasOn;           // ... as the terminal last showed it
    int32_t caretRow, caretCol;
    int32_t caretShownRow, caretShownCol;
    uint8_t *out;              // the frame's bytes
    size_t outLength, outCapacity;
};

// An empty screen of rows x cols (either may be 0); the first frame clears the terminal.
void TermScreenInit(TermScreen *ts, int32_t rows, int32_t cols);
void TermScreenFree(TermScreen *ts);
// A new terminal size: both grids blank, and the next frame clears the terminal.
void TermScreenResize(TermScreen *ts, int32_t rows, int32_t cols);
// Appends to out the bytes that make the terminal show `want` and the caret; nothing when the
// terminal shows them already. The caller writes out and sets outLength to 0.
void TermScreenFrame(TermScreen *ts);
// Appends n bytes to out, which grows as needed: the frame writer's and TermScreenAppendLine's
// one way into the buffer.
void TermScreenAppend(TermScreen *ts, const char *bytes, size_t n);
// Appends one row of the console's text (ended by its first NUL; fore and back per cell) as a line
// for the normal screen: UTF-8 glyphs, no cursor moves, CR LF at its end. Cells in the console's
// own white on black, and blanks on the black backdrop whatever their text colour, carry no colour
// codes, so they take the terminal's colours (a light theme shows no black bars); other cells
// carry theirs, reset before the line ends.
void TermScreenAppendLine(TermScreen *ts, const uint8_t *text, const uint32_t *fore,
                          const uint32_t *back);

#endif
