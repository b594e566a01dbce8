// window_scroll.cpp: the view moved back into the history and returned: the vertical scrollbar,
// the mouse wheel, and PageUp and PageDown. Those keys are the window's, never the input line's:
// they make no WM_CHAR. A key of the input line returns the view to the bottom (the console's
// PromptOnChar). New output never moves a view that lies back (prompt_history.h).
//
// The scrollbar: range 0 to H + page - 1, a page of the rows wholly in the window, the thumb at
// the session row shown at the window's top (H - viewBack). It is hidden while the history is
// empty (nothing to scroll), and brought up to date after every frame and paint, since output
// grows the history.
#include "platform/win32/window.h"

// The view moved: drawn at once, and the caret goes with the cursor's row.
static void Moved(PromptState *ps, HWND hwnd) {
    WinDrawFrame(ps, hwnd);
    if (GetFocus() == hwnd)
        PromptOnSetFocus(ps);
}

void WinScrollbarUpdate(PromptState *ps, HWND hwnd) {
    WinWindow *w = WinOf(ps);
    PromptViewPos pos = PromptViewGet(ps);
    if (pos.historyRows == w->bar.historyRows && pos.back == w->bar.back &&
        pos.page == w->bar.page)
        return;
    w->bar = pos;
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bar.nMax = pos.historyRows + pos.page - 1;
    bar.nPage = (UINT)pos.page;
    bar.nPos = pos.historyRows - pos.back;
    SetScrollInfo(hwnd, SB_VERT, &bar, TRUE);   // may resize the client area: outside the lock
}

void WinOnVScroll(PromptState *ps, HWND hwnd, WPARAM wParam) {
    bool moved = false;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: moved = PromptViewScroll(ps, 1); break;
    case SB_LINEDOWN: moved = PromptViewScroll(ps, -1); break;
    case SB_PAGEUP: moved = PromptViewScrollPages(ps, 1); break;
    case SB_PAGEDOWN: moved = PromptViewScrollPages(ps, -1); break;
    case SB_TOP: moved = PromptViewToTop(ps); break;
    case SB_BOTTOM: moved = PromptViewToBottom(ps); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO bar = {};
        bar.cbSize = sizeof bar;
        bar.fMask = SIF_TRACKPOS;   // 32 bits, where wParam holds only 16
        GetScrollInfo(hwnd, SB_VERT, &bar);
        moved = PromptViewSet(ps, PromptViewGet(ps).historyRows - bar.nTrackPos);
        break;
    }
    default: break;
    }
    if (moved)
        Moved(ps, hwnd);
}

// Each notch (WHEEL_DELTA) moves the rows the system's wheel setting says, 3 by default; a
// setting of a page a notch moves a page.
void WinOnMouseWheel(PromptState *ps, HWND hwnd, WPARAM wParam) {
    WinWindow *w = WinOf(ps);
    w->wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
    int32_t notches = w->wheelRest / WHEEL_DELTA;
    w->wheelRest -= notches * WHEEL_DELTA;
    if (notches == 0)
        return;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    bool moved = lines == WHEEL_PAGESCROLL ? PromptViewScrollPages(ps, notches)
                                           : PromptViewScroll(ps, notches * (int32_t)lines);
    if (moved)
        Moved(ps, hwnd);
}

// Every other key reaches the line editor as WM_CHAR, made by TranslateMessage.
void WinOnKeyDown(PromptState *ps, HWND hwnd, WPARAM key) {
    bool moved = false;
    if (key == VK_PRIOR)
        moved = PromptViewScrollPages(ps, 1);
    else if (key == VK_NEXT)
        moved = PromptViewScrollPages(ps, -1);
    if (moved)
        Moved(ps, hwnd);
}
