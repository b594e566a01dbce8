// window_frontend.cpp: what the console asks of the Windows window: a surface for printing, the
// cross-thread send, the clipboard's text, the caret, the input method's composition window, the
// title, and frames (window_frame.cpp).
//
// The clipboard is read as UTF-16 (CF_UNICODETEXT) and converted with code page 932, whatever the
// system's ANSI code page; only when it holds no UTF-16 text are its CF_TEXT bytes taken as they
// are. Either way the text handed to the line editor is at most one full line (255 bytes), cut at
// a character boundary.
#include "platform/win32/window.h"

#include <cstring>
#include <cwchar>

#include <imm.h>

static HWND Hwnd(PromptState *ps) {
    return WinOf(ps)->hwnd;
}

// A device context for PromptPrint, on whichever thread prints. Null when the window is gone.
static PromptSurface *FrontGetSurface(PromptState *ps) {
    HDC dc = GetDC(Hwnd(ps));
    if (dc == nullptr)
        return nullptr;
    WinSurface *s = (WinSurface *)PlatAlloc(sizeof(WinSurface));
    WinSurfaceInit(s, ps, Hwnd(ps), dc);
    return &s->base;
}

static void FrontReleaseSurface(PromptState *ps, PromptSurface *s) {
    WinSurface *w = reinterpret_cast<WinSurface *>(s);
    ReleaseDC(Hwnd(ps), w->dc);
    PlatFree(w);
}

// From the program thread SendMessageW waits until the console thread has handled the message
// between two messages of its loop; on the console thread it is a plain call.
static void FrontSend(PromptState *ps, PromptRequest request) {
    SendMessageW(Hwnd(ps), request == kPromptFocusIn ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
}

static RtString ClipboardWide(HANDLE data) {
    const wchar_t *text = (const wchar_t *)GlobalLock(data);
    if (text == nullptr)
        return nullptr;
    uint8_t bytes[kPromptLineMaxText];
    uint32_t n = WinWideToCp932(text, (uint32_t)std::wcslen(text), bytes, kPromptLineMaxText);
    GlobalUnlock(data);
    RtString s = StrAlloc(n);
    std::memcpy(s, bytes, n);
    return s;
}

static RtString ClipboardBytes(HANDLE data) {
    const char *text = (const char *)GlobalLock(data);
    if (text == nullptr)
        return nullptr;
    uint32_t n = 0;
    while (n < kPromptLineMaxText && text[n] != 0)
        n++;
    RtString s = StrAlloc(n);
    std::memcpy(s, text, n);
    GlobalUnlock(data);
    return s;
}

static RtString FrontClipboardText(PromptState *ps) {
    if (!OpenClipboard(Hwnd(ps)))
        return nullptr;
    RtString s = nullptr;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data != nullptr) {
        s = ClipboardWide(data);
    } else {
        data = GetClipboardData(CF_TEXT);
        if (data != nullptr)
            s = ClipboardBytes(data);
    }
    CloseClipboard();
    return s;
}

// A solid block of 9 x 6 pixels at 96 DPI, its top left corner at x, y.
static void FrontCaretShow(PromptState *ps, int32_t x, int32_t y) {
    CreateCaret(Hwnd(ps), nullptr, PromptScaled(kPromptCaretWidth, ps->dpi),
                PromptScaled(kPromptCaretHeight, ps->dpi));
    SetCaretPos(x, y);
    ShowCaret(Hwnd(ps));
}

static void FrontCaretHide(PromptState *ps) {
    HideCaret(Hwnd(ps));
    DestroyCaret();
}

// No input context (no input method): nothing to place; the caret is made all the same.
static void FrontCompositionAt(PromptState *ps, int32_t x, int32_t y) {
    HIMC imc = ImmGetContext(Hwnd(ps));
    if (imc == nullptr)
        return;
    COMPOSITIONFORM form;
    std::memset(&form, 0, sizeof form);
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos.x = x;
    form.ptCurrentPos.y = y;
    ImmSetCompositionWindow(imc, &form);
    LOGFONTW font;
    WinFontFromSpec(&WinOf(ps)->fontSpec, &font);
    ImmSetCompositionFontW(imc, &font);
    ImmReleaseContext(Hwnd(ps), imc);
}

// The window's title. From the program thread SetWindowTextW hands the change to the console
// thread and waits for it; the console thread never waits for the program thread meanwhile.
static void FrontSetTitle(PromptState *ps, const char *title) {
    wchar_t wide[64];
    int n = 0;
    for (; title[n] != 0 && n < 63; n++)
        wide[n] = (wchar_t)(unsigned char)title[n];
    wide[n] = 0;
    SetWindowTextW(Hwnd(ps), wide);
}

const PromptFrontEnd kWinFrontEnd = {
    FrontGetSurface, FrontReleaseSurface, FrontSend,          FrontClipboardText,
    FrontCaretShow,  FrontCaretHide,      FrontCompositionAt, nullptr,   // nothing else sees prints
    FrontSetTitle,   WinFrameLater,
};
