// window.h: the pieces of the Windows console window, shared by its files: the window procedure
// and the thread that owns the window, the GDI surface the console draws on, the services the
// console asks of the window, and the font made from the console's code page 932 description.
//
// Invariants: every Win32 call here is a wide ("W") call, and every text crossing it is converted
// with code page 932 explicitly (window_text.h); the console itself only ever sees code page 932.
// The window, its caret and its input context belong to the console thread; the program thread
// reaches the window only through SendMessageW and through drawing with its own device context.
#ifndef PLATFORM_WIN32_WINDOW_H
#define PLATFORM_WIN32_WINDOW_H

#include <windows.h>

#include <atomic>

#include "platform/win32/window_text.h"
#include "runtime/console/prompt.h"
#include "runtime/console/prompt_select.h"

// Frames: a print from the program thread only marks its rows; the console thread draws the
// marks at most once every kWinFrameMs milliseconds (about 60 frames a second), so lines that come
// faster than that are painted together, and the last state is always drawn.
enum : UINT {
    kWinFrameMs = 16,
    kWinFrameAsked = WM_APP + 1,   // posted by frameLater: a frame is wanted
    kWinFrameTimer = 1,            // the timer of a frame that waits for its turn
};

// The front end's own state, in PromptState.frontEndData.
struct WinWindow {
    // Made on the console thread before the window is ready; the program thread's prints read
    // them too (the font and the backdrop under the console lock).
    HWND hwnd;
    LOGFONTA fontSpec;                // the console font's description; the face is code page 932
    HFONT font;
    HBITMAP backdropBitmap;           // black, screen-sized
    HDC backdropDC;                   // holds backdropBitmap
    WinCharDecoder decoder;           // WM_CHAR units not yet a whole character (console thread)
    std::atomic<bool> frameAsked;     // a frame is asked for and not yet begun (either thread)
    LONGLONG lastFrame;               // QueryPerformanceCounter at the last frame (console thread)
    // The rest is the console thread's.
    PromptSelection selection;        // empty (anchor = focus) when nothing is selected
    bool dragging;                    // the left button moves the selection's focus
    int32_t invertedCount;            // rectangles of the window now inverted for the selection
    RECT inverted[kPromptRows];
    int32_t wheelRest;                // wheel turn (WHEEL_DELTA a notch) not yet a row
    PromptViewPos bar;                // what the scrollbar shows
};

inline WinWindow *WinOf(PromptState *ps) {
    return (WinWindow *)ps->frontEndData;
}

// A device context of the client area seen as the console's drawing surface.
struct WinSurface {
    PromptSurface base;      // first, so the console's pointer is this record's
    PromptState *ps;
    HWND hwnd;               // the window whose client area dc draws on
    HDC dc;
    HGDIOBJ previousFont;    // kept by selectFont for restoreFont
    int32_t width, height;   // the client area in pixels, read when the surface was made
};

// Makes s a surface on dc, a device context of hwnd's client area (null: a memory context, whose
// size the caller sets in width and height).
void WinSurfaceInit(WinSurface *s, PromptState *ps, HWND hwnd, HDC dc);

// Frames (window_frame.cpp). WinDrawFrame draws the marked rows now, on the console thread;
// WinFrameLater is the console's frameLater; the other two handle kWinFrameAsked and the timer.
void WinDrawFrame(PromptState *ps, HWND hwnd);
void WinFrameLater(PromptState *ps);
void WinOnFrameAsked(PromptState *ps, HWND hwnd);
void WinOnFrameTimer(PromptState *ps, HWND hwnd);

// A Shift-JIS font that the system lists, for the choice of the console font.
struct WinFontCandidate {
    const wchar_t *face;
    bool fixedPitch;
};
// The best of n candidates: fixed pitch first, then a Mincho face before a Gothic one before any
// other, then the first listed; never a vertical ("@") face. -1 when none will do.
int WinFontChoose(const WinFontCandidate *c, int n);

// The console font's description at 96 DPI: "ＭＳ 明朝" (code page 932), a character height of
// 16 pixels (not the cell height), Shift-JIS, fixed pitch.
void WinFontSpecFill(LOGFONTA *desc);
// Makes the console font from desc; when the system gives another face than desc names, takes
// the best Shift-JIS face it has instead and writes that face into desc. Null on failure.
HFONT WinFontCreate(LOGFONTA *desc);

// The console font as a wide font description, its face name converted from fontSpec's code page
// 932 bytes: the same description for the font and for the input method's composition font.
void WinFontFromSpec(const LOGFONTA *desc, LOGFONTW *out);

// DPI (window_dpi.cpp). WinWindowDpi: the DPI of hwnd (null: the system's). WinUseDpi makes the
// console font for dpi unless it is made already, measures the cell and sets ps->dpi; false
// when no font can be made (the old one stays). WinBackdropMake puts a black backdrop of
// width x height pixels in place of the old one; false when it cannot be made.
int32_t WinWindowDpi(HWND hwnd);
bool WinUseDpi(PromptState *ps, int32_t dpi);
bool WinBackdropMake(PromptState *ps, HWND hwnd, int32_t width, int32_t height);
void WinOnDpiChanged(PromptState *ps, HWND hwnd, int32_t dpi, const RECT *suggested);

// Selecting and copying (window_select.cpp). Hide inverts back what Show inverted on dc; every
// drawing of the console on the window lies between the two. Copy puts the selection on the
// clipboard and clears it; false when nothing is selected.
void WinSelectionHide(PromptState *ps, HDC dc);
void WinSelectionShow(PromptState *ps, HWND hwnd, HDC dc);
bool WinSelectionCopy(PromptState *ps, HWND hwnd);
void WinOnLeftDown(PromptState *ps, HWND hwnd, LPARAM lParam);
void WinOnMouseMove(PromptState *ps, HWND hwnd, LPARAM lParam);
void WinOnLeftUp(PromptState *ps, HWND hwnd, LPARAM lParam);
void WinOnCaptureLost(PromptState *ps);

// The view (window_scroll.cpp): the scrollbar, the wheel, PageUp and PageDown; the scrollbar is
// brought up to date after every frame and paint.
void WinOnVScroll(PromptState *ps, HWND hwnd, WPARAM wParam);
void WinOnMouseWheel(PromptState *ps, HWND hwnd, WPARAM wParam);
void WinOnKeyDown(PromptState *ps, HWND hwnd, WPARAM key);
void WinScrollbarUpdate(PromptState *ps, HWND hwnd);

// The services the console asks of this window (window_frontend.cpp).
extern const PromptFrontEnd kWinFrontEnd;

// The console thread's procedure: makes the rows, the font, the class and the window, runs the
// message loop and ends the process (exit code 0; 1 when the window cannot be made).
// parameter: the PromptState.
DWORD WINAPI PromptThreadProc(LPVOID parameter);

// The window procedure of the class "PROMPT".
LRESULT CALLBACK PromptWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
