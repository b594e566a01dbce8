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

#include "platform/win32/window_text.h"
#include "runtime/console/prompt.h"

// The front end's own state, in PromptState.frontEndData. Console thread only.
struct WinWindow {
    WinCharDecoder decoder;   // WM_CHAR units not yet a whole character
};

// A device context of the client area seen as the console's drawing surface.
struct WinSurface {
    PromptSurface base;      // first, so the console's pointer is this record's
    PromptState *ps;
    HWND hwnd;               // the window whose client area dc draws on
    HDC dc;
    HGDIOBJ previousFont;    // kept by selectFont for restoreFont
};

// Makes s a surface on dc, a device context of hwnd's client area.
void WinSurfaceInit(WinSurface *s, PromptState *ps, HWND hwnd, HDC dc);

// The console font as a wide font description, its face name converted from fontSpec's code page
// 932 bytes: the same description for the font and for the input method's composition font.
void WinFontFromSpec(const PromptFontSpec *desc, LOGFONTW *out);

// The services the console asks of this window (window_frontend.cpp).
extern const PromptFrontEnd kWinFrontEnd;

// The console thread's procedure: makes the rows, the font, the class and the window, runs the
// message loop and ends the process (exit code 0; 1 when the window cannot be made).
// parameter: the PromptState.
DWORD WINAPI PromptThreadProc(LPVOID parameter);

// The window procedure of the class "PROMPT".
LRESULT CALLBACK PromptWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
