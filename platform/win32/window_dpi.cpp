// window_dpi.cpp: the window at its monitor's DPI. The console font is 16 pixels high at 96 DPI,
// scaled by the window's DPI; the cell (one space wide, tmHeight high) is measured on the font
// made, and everything placed by cells (rows, caret, composition window, selection) follows it.
// The caret's size and raise, given in prompt.h at 96 DPI, are scaled alike. When the window
// moves to a monitor of another DPI (WM_DPICHANGED), the font is made again, the window takes the
// rectangle the system suggests and is painted anew, and the black backdrop grows to cover that
// monitor.
//
// The DPI is GetDpiForWindow's where the system has it (Windows 10 1607 on), found at run time,
// since Windows 7 lacks it; elsewhere the LOGPIXELSY of a device context of the window (the
// system DPI, at which such a system draws every window).
#include "platform/win32/window.h"

typedef UINT(WINAPI *DpiForWindowFn)(HWND);

static DpiForWindowFn DpiForWindow() {
    static const DpiForWindowFn fn = (DpiForWindowFn)(void (*)())GetProcAddress(
        GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    return fn;
}

int32_t WinWindowDpi(HWND hwnd) {
    UINT dpi = (hwnd != nullptr && DpiForWindow() != nullptr) ? DpiForWindow()(hwnd) : 0;
    if (dpi == 0) {
        HDC dc = GetDC(hwnd);
        dpi = dc != nullptr ? (UINT)GetDeviceCaps(dc, LOGPIXELSY) : 0;
        if (dc != nullptr)
            ReleaseDC(hwnd, dc);
    }
    return dpi > 0 ? (int32_t)dpi : 96;
}

bool WinUseDpi(PromptState *ps, int32_t dpi) {
    WinWindow *w = WinOf(ps);
    HFONT font = w->font;
    if (font == nullptr || dpi != ps->dpi) {
        LOGFONTA desc = w->fontSpec;
        desc.lfHeight = -PromptScaled(16, dpi);   // the character height, not the cell's
        font = WinFontCreate(&desc);
        if (font == nullptr)
            return false;
        PlatLockEnter(&ps->lock);
        w->fontSpec = desc;
        PlatLockLeave(&ps->lock);
    }
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE space = {0, 0};
    GetTextExtentPoint32W(dc, L" ", 1, &space);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);

    // A print on the program thread draws with the font and the cell under the console lock.
    PlatLockEnter(&ps->lock);
    HFONT old = w->font;
    w->font = font;
    ps->dpi = dpi;
    ps->cellWidth = space.cx;
    ps->cellHeight = metrics.tmHeight;
    PlatLockLeave(&ps->lock);
    if (old != nullptr && old != font)
        DeleteObject(old);
    return true;
}

bool WinBackdropMake(PromptState *ps, HWND hwnd, int32_t width, int32_t height) {
    HDC dc = GetDC(hwnd);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HDC backdrop = CreateCompatibleDC(dc);
    ReleaseDC(hwnd, dc);
    if (bitmap == nullptr || backdrop == nullptr) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        if (backdrop != nullptr)
            DeleteDC(backdrop);
        return false;
    }
    SelectObject(backdrop, bitmap);
    HGDIOBJ previousBrush = SelectObject(backdrop, GetStockObject(BLACK_BRUSH));
    PatBlt(backdrop, 0, 0, width, height, PATCOPY);
    SelectObject(backdrop, previousBrush);

    PlatLockEnter(&ps->lock);
    WinWindow *w = WinOf(ps);
    HDC oldDC = w->backdropDC;
    HBITMAP oldBitmap = w->backdropBitmap;
    w->backdropBitmap = bitmap;
    w->backdropDC = backdrop;
    ps->screenWidth = width;
    ps->screenHeight = height;
    PlatLockLeave(&ps->lock);
    if (oldDC != nullptr)
        DeleteDC(oldDC);
    if (oldBitmap != nullptr)
        DeleteObject(oldBitmap);
    return true;
}

void WinOnDpiChanged(PromptState *ps, HWND hwnd, int32_t dpi, const RECT *suggested) {
    WinUseDpi(ps, dpi);   // on failure the old font stays: smaller or larger, but whole
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST), &monitor)) {
        int32_t w = monitor.rcMonitor.right - monitor.rcMonitor.left;
        int32_t h = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
        if (w > ps->screenWidth || h > ps->screenHeight)
            WinBackdropMake(ps, hwnd, w > ps->screenWidth ? w : ps->screenWidth,
                            h > ps->screenHeight ? h : ps->screenHeight);
    }
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, FALSE);
    if (GetFocus() == hwnd)
        PromptOnSetFocus(ps);   // the caret at its new size and place, if a line is open
}
