// window_surface.cpp: the console's drawing surface over GDI: the console font, the client size,
// the width of a row's text, blanking from the black backdrop, cell colours, a run of glyphs in
// one text-out call (one glyph a call as well, the way rows were once drawn) and the scroll of
// the window's pixels.
//
// Text arrives as code page 932 bytes and is measured and drawn with the wide calls after
// converting it with code page 932, so the glyphs do not depend on the system's ANSI code page.
// A run is drawn with explicit advances, one cell a byte, so every glyph lands on its own cells
// whatever widths the font gives them. Units: pixels of the client area, 0,0 its top left corner.
#include "platform/win32/window.h"

static WinSurface *Win(PromptSurface *s) {
    return reinterpret_cast<WinSurface *>(s);
}

static void SurfaceSelectFont(PromptSurface *s) {
    WinSurface *w = Win(s);
    w->previousFont = SelectObject(w->dc, WinOf(w->ps)->font);
}

static void SurfaceRestoreFont(PromptSurface *s) {
    WinSurface *w = Win(s);
    SelectObject(w->dc, w->previousFont);
}

static void SurfaceClientSize(PromptSurface *s, int32_t *width, int32_t *height) {
    *width = Win(s)->width;
    *height = Win(s)->height;
}

static int32_t SurfaceTextWidth(PromptSurface *s, const uint8_t *text, int32_t n) {
    wchar_t wide[kPromptRowBytes];
    if (n > kPromptRowBytes)
        n = kPromptRowBytes;
    int k = WinTextToWide(text, n, wide);
    SIZE size = {0, 0};
    if (k > 0)
        GetTextExtentPoint32W(Win(s)->dc, wide, k, &size);
    return size.cx;
}

static void SurfaceBlank(PromptSurface *s, int32_t x, int32_t y, int32_t w, int32_t h) {
    WinSurface *ws = Win(s);
    BitBlt(ws->dc, x, y, w, h, WinOf(ws->ps)->backdropDC, x, y, SRCCOPY);
}

static void SurfaceSetColours(PromptSurface *s, uint32_t fore, uint32_t back) {
    HDC dc = Win(s)->dc;
    SetTextColor(dc, fore);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, back);
}

static void SurfaceDrawGlyph(PromptSurface *s, int32_t x, int32_t y, const uint8_t *glyph,
                             int32_t n) {
    wchar_t wide[2];
    int k = WinGlyphToWide(glyph, n, wide);
    if (k > 0)
        TextOutW(Win(s)->dc, x, y, wide, k);
}

static bool SurfaceIsLeadByte(uint8_t b) {
    return IsDBCSLeadByteEx(kWinCodePage, b) != 0;
}

// Each glyph's units get its cells' width as advance (a glyph that converts to nothing still
// takes its cells), so the run draws as the glyphs drawn one by one at their cells would.
static void SurfaceDrawRun(PromptSurface *s, int32_t x, int32_t y, const uint8_t *text,
                           int32_t n) {
    WinSurface *w = Win(s);
    wchar_t wide[kPromptRowBytes];
    INT advance[kPromptRowBytes];
    int k = 0;
    for (int32_t j = 0; j < n;) {
        int32_t g = (SurfaceIsLeadByte(text[j]) && j + 1 < n) ? 2 : 1;
        int units = WinGlyphToWide(text + j, g, wide + k);
        int32_t cells = g * w->ps->cellWidth;
        if (units > 0) {
            for (int u = 0; u < units; u++)
                advance[k + u] = 0;
            advance[k + units - 1] = cells;
            k += units;
        } else if (k > 0) {
            advance[k - 1] += cells;
        } else {
            x += cells;
        }
        j += g;
    }
    if (k > 0)
        ExtTextOutW(w->dc, x, y, 0, nullptr, wide, (UINT)k, advance);
}

// The part of the window that the move could not fill from pixels (a covered part of the window)
// is left to a paint; the strip below the moved rows is the caller's to draw.
static void SurfaceScrollUp(PromptSurface *s, int32_t dy, int32_t top, int32_t height) {
    WinSurface *w = Win(s);
    RECT area = {0, top, w->width, top + height};
    HRGN uncovered = CreateRectRgn(0, 0, 0, 0);
    ScrollDC(w->dc, 0, -dy, &area, &area, uncovered, nullptr);
    if (w->hwnd != nullptr && uncovered != nullptr) {
        HRGN strip = CreateRectRgn(0, top + height - dy, w->width, top + height);
        if (CombineRgn(uncovered, uncovered, strip, RGN_DIFF) != NULLREGION)
            InvalidateRgn(w->hwnd, uncovered, FALSE);
        DeleteObject(strip);
    }
    if (uncovered != nullptr)
        DeleteObject(uncovered);
}

static const PromptSurfaceOps kWinSurfaceOps = {
    SurfaceSelectFont, SurfaceRestoreFont, SurfaceClientSize, SurfaceTextWidth, SurfaceBlank,
    SurfaceSetColours, SurfaceDrawGlyph,   SurfaceIsLeadByte, SurfaceDrawRun,   SurfaceScrollUp,
};

void WinSurfaceInit(WinSurface *s, PromptState *ps, HWND hwnd, HDC dc) {
    s->base.ops = &kWinSurfaceOps;
    s->ps = ps;
    s->hwnd = hwnd;
    s->dc = dc;
    s->previousFont = nullptr;
    RECT rc = {0, 0, 0, 0};
    if (hwnd != nullptr)
        GetClientRect(hwnd, &rc);
    s->width = rc.right;
    s->height = rc.bottom;
}
