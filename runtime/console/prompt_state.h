// prompt_state.h: the console's state and the seams between its logic and a front end.
//
// One PromptState record holds everything the console knows: the cell size, the input line and
// its hand-over field linePos, the cursor, the 101-row screen buffer, and the history of the rows
// that scrolled off it with the view that can look back into it. The window, its font and its
// backdrop are the front end's own (frontEndData).
// Its logic (print walk, scroll rule, drawing loop, line editor, input) lives in runtime/console
// and draws only through PromptSurface; the window itself is a front end (platform/win32 window,
// platform/posix terminal and line consoles, a recorder in tests) that implements PromptFrontEnd
// and calls the message handlers below from its window procedure.
//
// Threads: the program thread prints and asks (PromptPrint, PromptInput); the console thread runs
// the window procedure (paint, line editor, echo). linePos hands the input line over: the program
// thread writes 0 to open it and then only reads it; the console thread fills lineBuffer and
// stores -1 with release ordering after the line's NUL, so a reader that loads -1 with acquire
// ordering sees the whole line. The console lock makes buffer updates, their marks (damage) and
// drawing mutually exclusive; it is never held while sending a message to the other thread or
// while waiting, and it is taken before the string registry's lock, never after.
#ifndef RUNTIME_CONSOLE_PROMPT_STATE_H
#define RUNTIME_CONSOLE_PROMPT_STATE_H

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "runtime/core/plat_core.h"
#include "runtime/core/rt_string.h"

enum {
    kPromptRows = 101,          // rows 0 to 100; row 0 is the top row of the window
    kPromptRowBytes = 255,      // bytes of one row's text block (and colour entries per row)
    kPromptRowMaxText = 254,    // a row holds at most 254 bytes; the 255th stays NUL
    kPromptLineBytes = 256,     // lineBuffer
    kPromptLineMaxText = 255,   // at most 255 typed bytes and the NUL
};

// The console's colours, COLORREF values (0x00BBGGRR): white text on black, the backdrop black.
enum : uint32_t {
    kPromptWhite = 0x00FFFFFF,
    kPromptBlack = 0x00000000,
};

// What the console's logic sends its window (PromptFrontEnd::send): the input focus, taken as a
// line opens and given up as it closes. Each front end turns them into its own messages.
enum PromptRequest : uint32_t {
    kPromptFocusIn = 1,
    kPromptFocusOut = 2,
};

// A drawing context on the console window's client area: a device context on Windows, a frame of
// terminal output on POSIX, a recorder in tests. Coordinates are pixels (terminal: cells).
struct PromptSurface;
struct PromptSurfaceOps {
    void (*selectFont)(PromptSurface *s);    // console font in, the previous one kept
    void (*restoreFont)(PromptSurface *s);   // the previous font back
    void (*clientSize)(PromptSurface *s, int32_t *width, int32_t *height);
    int32_t (*textWidth)(PromptSurface *s, const uint8_t *text, int32_t n);
    void (*blank)(PromptSurface *s, int32_t x, int32_t y, int32_t w, int32_t h);   // from the backdrop
    void (*setColours)(PromptSurface *s, uint32_t fore, uint32_t back);   // opaque background
    void (*drawGlyph)(PromptSurface *s, int32_t x, int32_t y, const uint8_t *glyph, int32_t n);
    bool (*isLeadByte)(uint8_t b);           // a lead byte of code page 932
    // Optional, for a surface of pixels (null: glyph by glyph, and a scroll draws every row).
    // drawRun draws n bytes of whole glyphs in the colours set, the first glyph's cell at x, y and
    // every glyph on its own cells, one cell a byte. scrollUp moves the pixel rows from top + dy
    // to top + height up by dy; what it uncovers is drawn by the caller.
    void (*drawRun)(PromptSurface *s, int32_t x, int32_t y, const uint8_t *text, int32_t n) =
        nullptr;
    void (*scrollUp)(PromptSurface *s, int32_t dy, int32_t top, int32_t height) = nullptr;
};
struct PromptSurface {
    const PromptSurfaceOps *ops;
};

struct PromptState;

// What the console's logic asks of the window. Every entry is set by each front end.
struct PromptFrontEnd {
    // A surface on the client area for PromptPrint (GetDC), and its release (ReleaseDC).
    // PromptPrint takes it before the console lock and gives it back after the lock, the order
    // a paint has too. Null: nothing to draw on; the text goes into the buffer only.
    PromptSurface *(*getSurface)(PromptState *ps);
    void (*releaseSurface)(PromptState *ps, PromptSurface *s);
    // Sends a message to the console window and returns when the console thread has handled it,
    // between two messages of its loop. On the console thread itself: a plain call.
    void (*send)(PromptState *ps, PromptRequest request);
    // The clipboard's text as code page 932 bytes, a new string; null when there is none.
    RtString (*clipboardText)(PromptState *ps);
    // The caret: create a solid block of kPromptCaretWidth x kPromptCaretHeight pixels at 96 DPI
    // (PromptScaled), place its top left corner at x, y, show it.
    void (*caretShow)(PromptState *ps, int32_t x, int32_t y);
    // HideCaret, then DestroyCaret.
    void (*caretHide)(PromptState *ps);
    // The input method's composition window at x, y (CFS_POINT) in the console font.
    void (*compositionAt)(PromptState *ps, int32_t x, int32_t y);
    // Every text PromptPrint receives, its bytes up to the first NUL (the line console writes them
    // to standard output). Called on the printing thread before the text goes into the buffer.
    void (*printed)(PromptState *ps, const uint8_t *text, uint32_t n);
    // Sets the window's title (ASCII). Any thread. Null: the front end has no title.
    void (*setTitle)(PromptState *ps, const char *title);
    // Optional (null: every print draws at once on a surface from getSurface). Set: a print only
    // marks what changed, under the console lock, and then calls frameLater, after leaving the
    // lock; the front end draws the marks with PromptOnFrame, at once on its own thread, soon
    // (at most about 60 frames a second) when a print comes from another.
    void (*frameLater)(PromptState *ps) = nullptr;
    // Optional (null: the title alone). A long computation's progress shown in the window's own
    // picture too, 0 to 100; below 0: gone. It goes into no row of the buffer. Any thread.
    void (*showProgress)(PromptState *ps, int32_t percent) = nullptr;
};

// What the window shows differs from the screen buffer by these marks, until the next frame.
struct PromptDamage {
    int32_t scrolled;              // rows the shown picture must move up before rows are drawn
    bool all;                      // every visible row must be drawn
    uint8_t dirty[kPromptRows];    // 1: row i (numbered as the buffer is now) must be drawn
};

// The rows that scrolled off the top of the screen buffer, oldest first (see prompt_history.h).
// Each row is one record, kept in a ring of slots: slot[(first + i) % capacity] holds row i.
// A record is the row's text up to its first NUL and the colours of those cells, run-length coded:
//   byte 0            n, the text's length in bytes (0 to 254)
//   bytes 1 to n      the text, code page 932
//   byte n + 1        r, the number of colour runs
//   r x 9 bytes       a run: its cells (1 to 254), fore and back COLORREF, little-endian
// Invariant: bytes = the sum of the records' sizes and one slot pointer a row, and never exceeds
// limit once a row has been added; the oldest rows go first to keep it so.
struct PromptHistory {
    uint8_t **slot;      // capacity record pointers (null while capacity is 0)
    int32_t capacity;    // slots; a power of two, or 0
    int32_t first;       // slot of the oldest row
    int32_t count;       // rows held
    size_t bytes;        // bytes held, as counted above
    size_t limit;        // bytes allowed
    int64_t dropped;     // rows dropped since the start: row j entered as the (dropped + j)th
};

struct PromptState {
    uint32_t threadId;                   // the console thread
    std::atomic<int32_t> windowReady;    // 0 until the first paint, then 1
    int32_t cellWidth;                   // pixels: extent of one space in the console font
    int32_t cellHeight;                  // pixels: the font's tmHeight
    int32_t dpi;                         // dots per inch of the window's pixels; 0 (not known)
                                         // counts as 96, where every size is as given
    uint8_t lineBuffer[kPromptLineBytes];
    std::atomic<int32_t> linePos;        // bytes in lineBuffer while a line is open; -1: none open
    int32_t cursorCol;                   // byte column where the next byte goes (may pass 254)
    int32_t cursorRow;                   // 0 to 100
    uint8_t *rowText[kPromptRows];       // 255 bytes each, code page 932, ended by the first NUL
    uint32_t *rowFore[kPromptRows];      // 255 COLORREF (0x00BBGGRR) text colours each
    uint32_t *rowBack[kPromptRows];      // 255 COLORREF background colours each
    uint32_t curFore;                    // kPromptWhite
    uint32_t curBack;                    // kPromptBlack
    int32_t screenWidth;                 // pixels
    int32_t screenHeight;                // pixels
    int32_t clientHeight;                // pixels: the window's last reported client height,
                                         // for the scroll rule of a print with frameLater
    PromptDamage damage;                 // under the console lock
    PlatLock lock;                       // the console lock
    const PromptFrontEnd *frontEnd;      // the window's services
    void *frontEndData;                  // the front end's own state
    PromptHistory history;               // under the console lock
    int32_t viewBack;                    // rows the view lies back from the bottom, 0 to
                                         // history.count; under the console lock
};

// The process's one console.
extern PromptState gPrompt;

// The front end's start, on the program thread, once, after StrInit: PromptPresetHandOver, then
// the console thread (which allocates the rows, sets the colours, makes the window and runs its
// message loop), its id in threadId, and PromptWaitWindow. Implemented by each front end.
void PromptStartThread(PromptState *ps);

// For the front ends' start. Before the console thread exists: no line open, window not ready.
void PromptPresetHandOver(PromptState *ps);
// Returns once the window has been painted, looking every millisecond, without a time limit.
void PromptWaitWindow(PromptState *ps);

#endif
