// window_frame.cpp: the frames of the Windows window. A print on the program thread changes the
// screen buffer and marks its rows (the console's PromptDamage); the console thread draws the
// marks as one frame: the window's pixels moved up by the rows scrolled, then the rows uncovered
// and changed. Frames come at most once every kWinFrameMs milliseconds, so a fast stream of lines
// costs a frame per screen refresh instead of a redraw per line. A print on the console thread
// itself (the echo of typed keys) draws at once.
//
// Invariant: after every print a frame follows that draws its marks: frameAsked is set before a
// frame is asked for and cleared when a frame begins, before it takes the console lock, so a mark
// made after the frame has read the marks always asks for the next one.
#include "platform/win32/window.h"

static LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// Milliseconds since the last frame.
static LONGLONG SinceLastFrame(WinWindow *w) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return (Now() - w->lastFrame) * 1000 / f.QuadPart;
}

void WinDrawFrame(PromptState *ps, HWND hwnd) {
    WinWindow *w = WinOf(ps);
    w->frameAsked.store(false);
    w->lastFrame = Now();
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    WinSurface surface;
    WinSurfaceInit(&surface, ps, hwnd, dc);
    HideCaret(hwnd);   // the caret is inverted pixels: it must not move with the rows
    WinSelectionHide(ps, dc);   // nor the selection's
    PromptOnFrame(ps, &surface.base);
    WinSelectionShow(ps, hwnd, dc);
    ShowCaret(hwnd);
    ReleaseDC(hwnd, dc);
    WinScrollbarUpdate(ps, hwnd);
}

// The console's frameLater: either thread.
void WinFrameLater(PromptState *ps) {
    if (GetCurrentThreadId() == ps->threadId) {
        WinDrawFrame(ps, WinOf(ps)->hwnd);
        return;
    }
    if (!WinOf(ps)->frameAsked.exchange(true))
        PostMessageW(WinOf(ps)->hwnd, kWinFrameAsked, 0, 0);
}

// kWinFrameAsked on the console thread: the frame now, or when its turn comes.
void WinOnFrameAsked(PromptState *ps, HWND hwnd) {
    LONGLONG since = SinceLastFrame(WinOf(ps));
    if (since >= kWinFrameMs)
        WinDrawFrame(ps, hwnd);
    else
        SetTimer(hwnd, kWinFrameTimer, (UINT)(kWinFrameMs - since), nullptr);
}

void WinOnFrameTimer(PromptState *ps, HWND hwnd) {
    KillTimer(hwnd, kWinFrameTimer);
    WinDrawFrame(ps, hwnd);
}
