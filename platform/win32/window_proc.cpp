// window_proc.cpp: PromptWndProc, the window procedure of the class "PROMPT": a switch that hands
// each message to one handler over the console state, and the handlers that need the window
// itself (backdrop, font and cell at the window's DPI, paint, client height, frames, destroy, and
// WM_CHAR units made into code page 932 bytes). The line editor, the caret rule, the drawing,
// the view and the selection's text are the console's; the scrollbar, the wheel and the page
// keys are window_scroll.cpp's, the mouse selection and the clipboard window_select.cpp's.
//
// The state comes with the creation parameter and is kept in the window's user data; messages
// that arrive before it (WM_GETMINMAXINFO, WM_NCCREATE) go to DefWindowProcW.
#include "platform/win32/window.h"

// Makes the screen-sized black backdrop and the font at the window's DPI, and measures the cell.
// Returns false when the backdrop cannot be made; the window is then not created.
static bool OnCreate(PromptState *ps, HWND hwnd) {
    return WinBackdropMake(ps, hwnd, ps->screenWidth, ps->screenHeight) &&
           WinUseDpi(ps, WinWindowDpi(hwnd));
}

// Blanks the whole window from the backdrop, then the console draws every row; the first paint
// lets the start-up go on. The selection's inversion is taken off the whole window first (the
// paint's own context reaches only the part to paint) and put on again after.
static void OnPaint(PromptState *ps, HWND hwnd) {
    HDC whole = GetDC(hwnd);
    WinSelectionHide(ps, whole);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    BitBlt(dc, 0, 0, ps->screenWidth, ps->screenHeight, WinOf(ps)->backdropDC, 0, 0, SRCCOPY);
    WinSurface surface;
    WinSurfaceInit(&surface, ps, hwnd, dc);
    PromptOnPaint(ps, &surface.base);
    EndPaint(hwnd, &paint);
    WinSelectionShow(ps, hwnd, whole);
    ReleaseDC(hwnd, whole);
    WinScrollbarUpdate(ps, hwnd);
}

// The scroll rule of prints that leave their drawing to a frame uses this height.
static void OnSize(PromptState *ps, LPARAM lParam) {
    PlatLockEnter(&ps->lock);
    ps->clientHeight = HIWORD(lParam);
    PlatLockLeave(&ps->lock);
}

// One UTF-16 unit: the line editor gets the bytes of each whole character, lead byte first.
// Ctrl+C (3) while something is selected copies it instead; with nothing selected it is a key
// like any other.
static void OnChar(PromptState *ps, HWND hwnd, wchar_t unit) {
    if (unit == 3 && WinSelectionCopy(ps, hwnd))
        return;
    WinWindow *w = WinOf(ps);
    uint8_t bytes[2];
    int n = WinCharFeed(&w->decoder, unit, bytes);
    for (int i = 0; i < n; i++)
        PromptOnChar(ps, bytes[i]);
}

// The backdrop goes under the console lock, so a print on the program thread never blits from a
// half-deleted context; afterwards its blits find no source and draw nothing.
static void OnDestroy(PromptState *ps) {
    PlatLockEnter(&ps->lock);
    WinWindow *w = WinOf(ps);
    DeleteDC(w->backdropDC);
    DeleteObject(w->backdropBitmap);
    w->backdropDC = nullptr;
    w->backdropBitmap = nullptr;
    PlatLockLeave(&ps->lock);
    PostQuitMessage(0);
}

LRESULT CALLBACK PromptWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTW *create = (const CREATESTRUCTW *)lParam;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, (LONG_PTR)create->lpCreateParams);
    }
    PromptState *ps = (PromptState *)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    if (ps == nullptr)
        return DefWindowProcW(hwnd, msg, wParam, lParam);

    switch (msg) {
    case WM_CREATE: return OnCreate(ps, hwnd) ? 0 : -1;
    case WM_PAINT: OnPaint(ps, hwnd); return 0;
    case WM_SIZE: OnSize(ps, lParam); return 0;
    case WM_SETFOCUS:   // the marked rows (a prompt just printed) first, then the caret
        WinDrawFrame(ps, hwnd);
        PromptOnSetFocus(ps);
        return 0;
    case kWinFrameAsked: WinOnFrameAsked(ps, hwnd); return 0;
    case WM_TIMER: WinOnFrameTimer(ps, hwnd); return 0;
    case WM_KILLFOCUS: PromptOnKillFocus(ps); return 0;
    case WM_KEYDOWN: WinOnKeyDown(ps, hwnd, wParam); return 0;   // PageUp, PageDown
    case WM_CHAR: OnChar(ps, hwnd, (wchar_t)wParam); return 0;
    case WM_VSCROLL: WinOnVScroll(ps, hwnd, wParam); return 0;
    case WM_MOUSEWHEEL: WinOnMouseWheel(ps, hwnd, wParam); return 0;
    case WM_LBUTTONDOWN: WinOnLeftDown(ps, hwnd, lParam); return 0;
    case WM_MOUSEMOVE: WinOnMouseMove(ps, hwnd, lParam); return 0;
    case WM_LBUTTONUP: WinOnLeftUp(ps, hwnd, lParam); return 0;
    case WM_CAPTURECHANGED: WinOnCaptureLost(ps); return 0;
    case WM_RBUTTONDOWN: WinSelectionCopy(ps, hwnd); return 0;
    case WM_DPICHANGED:
        WinOnDpiChanged(ps, hwnd, LOWORD(wParam), (const RECT *)lParam);
        return 0;
    case WM_DESTROY: OnDestroy(ps); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
