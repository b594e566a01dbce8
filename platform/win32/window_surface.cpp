// window_surface.cpp: the console's drawing surface over GDI: the console font, the client size,
// the width of a row's text, blanking from the black backdrop, cell colours and one glyph per
// text-out call.
//
// Text arrives as code page 932 bytes and is measured and drawn with the wide calls after
// converting it with code page 932, so the glyphs do not depend on the system's ANSI code page.
// Units: pixels of the client area, 0,0 its top left corner.
#include "platform/win32/window.h"

static WinSurface *Win(PromptSurface *s) {
    return reinterpret_cast<WinSurface *>(s);
}

static void SurfaceSelectFont(PromptSurface *s) {
    WinSurface *w = Win(s);
    w->previousFont = SelectObject(w->dc, (HFONT)w->ps->font);
}

static void SurfaceRestoreFont(PromptSurface *s) {
    WinSurface *w = Win(s);
    SelectObject(w->dc, w->previousFont);
}

static void SurfaceClientSize(PromptSurface *s, int32_t *width, int32_t *height) {
    RECT rc = {0, 0, 0, 0};
    GetClientRect(Win(s)->hwnd, &rc);
    *width = rc.right;
    *height = rc.bottom;
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
    BitBlt(ws->dc, x, y, w, h, (HDC)ws->ps->backdropDC, x, y, SRCCOPY);
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

static const PromptSurfaceOps kWinSurfaceOps = {
    SurfaceSelectFont, SurfaceRestoreFont, SurfaceClientSize, SurfaceTextWidth,
    SurfaceBlank,      SurfaceSetColours,  SurfaceDrawGlyph,  SurfaceIsLeadByte,
};

void WinSurfaceInit(WinSurface *s, PromptState *ps, HWND hwnd, HDC dc) {
    s->base.ops = &kWinSurfaceOps;
    s->ps = ps;
    s->hwnd = hwnd;
    s->dc = dc;
    s->previousFont = nullptr;
}
