// window_select.cpp: selecting and copying in the window. Dragging with the left button selects
// text by characters across rows (the console's PromptSelection, on session rows, so it stays on
// its text while the view moves); the selection is shown by inverting the window's pixels and
// never touches the buffer. Ctrl+C or a right click while something is selected copies it to the
// clipboard as CF_UNICODETEXT (CR LF between rows, trailing blanks dropped) and clears it.
//
// Invariant: the window's pixels differ from what the console drew exactly by the inversion of
// the rectangles in WinWindow.inverted. Every drawing of the console on the window first inverts
// them back (WinSelectionHide) and afterwards inverts the selection where it now lies
// (WinSelectionShow), so the pixels a frame moves or draws on are always the console's own.
#include "platform/win32/window.h"

#include <windowsx.h>

void WinSelectionHide(PromptState *ps, HDC dc) {
    WinWindow *w = WinOf(ps);
    for (int32_t k = 0; k < w->invertedCount; k++)
        InvertRect(dc, &w->inverted[k]);
    w->invertedCount = 0;
}

// A row the selection runs past is inverted to the window's right edge.
void WinSelectionShow(PromptState *ps, HWND hwnd, HDC dc) {
    WinWindow *w = WinOf(ps);
    if (PromptSelectionEmpty(&w->selection) || w->invertedCount > 0)
        return;
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    PromptRowCells cells;
    PlatLockEnter(&ps->lock);
    int32_t top = PromptHistoryRows(ps) - ps->viewBack;   // the session row at the window's top
    for (int32_t i = 0; i < kPromptRows && i * ps->cellHeight < client.bottom; i++) {
        int32_t from = 0, to = 0;
        if (!PromptSelectionSpan(&w->selection, top + i, PromptViewRow(ps, i, &cells).text, &from,
                                 &to))
            continue;
        LONG right = to == kPromptSelectRowEnd ? client.right : (LONG)to * ps->cellWidth;
        w->inverted[w->invertedCount++] = RECT{(LONG)from * ps->cellWidth, i * ps->cellHeight,
                                               right, (i + 1) * ps->cellHeight};
    }
    PlatLockLeave(&ps->lock);
    for (int32_t k = 0; k < w->invertedCount; k++)
        InvertRect(dc, &w->inverted[k]);
}

// The selection shown anew after it changed.
static void Redraw(PromptState *ps, HWND hwnd) {
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    HideCaret(hwnd);
    WinSelectionHide(ps, dc);
    WinSelectionShow(ps, hwnd, dc);
    ShowCaret(hwnd);
    ReleaseDC(hwnd, dc);
}

// The boundary nearest a mouse position: the nearest column edge, in the visible row under it
// (the top or bottom one when the mouse, captured, lies above or below the window).
static void BoundaryAt(PromptState *ps, LPARAM lParam, int32_t *row, int32_t *col) {
    int32_t x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    PlatLockEnter(&ps->lock);
    int32_t cw = ps->cellWidth > 0 ? ps->cellWidth : 1;
    int32_t ch = ps->cellHeight > 0 ? ps->cellHeight : 1;
    int32_t c = x < 0 ? 0 : (x + cw / 2) / cw;
    int32_t i = y < 0 ? 0 : y / ch;
    int32_t last = (ps->clientHeight - 1) / ch;
    if (i > last)
        i = last > 0 ? last : 0;
    *col = c < kPromptRowMaxText ? c : kPromptRowMaxText;
    *row = PromptHistoryRows(ps) - ps->viewBack + i;
    PlatLockLeave(&ps->lock);
}

void WinOnLeftDown(PromptState *ps, HWND hwnd, LPARAM lParam) {
    WinWindow *w = WinOf(ps);
    BoundaryAt(ps, lParam, &w->selection.anchorRow, &w->selection.anchorCol);
    w->selection.focusRow = w->selection.anchorRow;
    w->selection.focusCol = w->selection.anchorCol;
    w->dragging = true;
    SetCapture(hwnd);
    Redraw(ps, hwnd);   // a click alone clears what was selected
}

void WinOnMouseMove(PromptState *ps, HWND hwnd, LPARAM lParam) {
    WinWindow *w = WinOf(ps);
    if (!w->dragging)
        return;
    int32_t row = 0, col = 0;
    BoundaryAt(ps, lParam, &row, &col);
    if (row == w->selection.focusRow && col == w->selection.focusCol)
        return;
    w->selection.focusRow = row;
    w->selection.focusCol = col;
    Redraw(ps, hwnd);
}

void WinOnLeftUp(PromptState *ps, HWND hwnd, LPARAM lParam) {
    WinOnMouseMove(ps, hwnd, lParam);
    ReleaseCapture();   // WM_CAPTURECHANGED ends the drag
}

// The mouse went elsewhere (the button released, or the window deactivated mid-drag): the
// selection stays as dragged so far.
void WinOnCaptureLost(PromptState *ps) {
    WinOf(ps)->dragging = false;
}

bool WinSelectionCopy(PromptState *ps, HWND hwnd) {
    WinWindow *w = WinOf(ps);
    if (PromptSelectionEmpty(&w->selection))
        return false;
    PlatLockEnter(&ps->lock);
    RtString text = PromptSelectionText(ps, &w->selection);
    PlatLockLeave(&ps->lock);
    uint32_t n = StrLength(text);
    // UTF-16 needs at most one unit a byte of code page 932, and the NUL.
    HGLOBAL wide = GlobalAlloc(GMEM_MOVEABLE, ((SIZE_T)n + 1) * sizeof(wchar_t));
    wchar_t *units = wide != nullptr ? (wchar_t *)GlobalLock(wide) : nullptr;
    if (units != nullptr) {
        units[WinTextToWide(text, (int)n, units)] = 0;
        GlobalUnlock(wide);
        if (OpenClipboard(hwnd)) {
            EmptyClipboard();
            if (SetClipboardData(CF_UNICODETEXT, wide) != nullptr)
                wide = nullptr;   // the clipboard owns it now
            CloseClipboard();
        }
    }
    if (wide != nullptr)
        GlobalFree(wide);
    StrFree(text);
    w->selection.focusRow = w->selection.anchorRow;
    w->selection.focusCol = w->selection.anchorCol;
    w->dragging = false;
    Redraw(ps, hwnd);
    return true;
}
