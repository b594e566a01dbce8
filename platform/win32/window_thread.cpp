// window_thread.cpp: the console thread on Windows: its start, and PromptThreadProc, which makes
// the screen buffer, the console font, the window class "PROMPT" and the window "BASIC PROMPT",
// runs the message loop for the rest of the process's life and ends the process when the window
// has been destroyed.
//
// Exit codes: 0 when the window is closed (close box, system menu, Alt+F4), whatever the program
// thread is doing; 1 when the font, the class or the window cannot be made, after a line on the
// debugger output, since the program thread would otherwise wait for the first paint for ever.
#include "platform/win32/window.h"

#include <cstring>

static WinWindow gWinWindow;

// "ＭＳ 明朝" in code page 932.
static const char kFontFace[] = "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9";

void WinFontSpecFill(LOGFONTA *desc) {
    std::memset(desc, 0, sizeof *desc);
    desc->lfHeight = -16;
    desc->lfWeight = FW_DONTCARE;
    desc->lfCharSet = SHIFTJIS_CHARSET;
    desc->lfOutPrecision = OUT_DEFAULT_PRECIS;
    desc->lfClipPrecision = CLIP_DEFAULT_PRECIS;
    desc->lfQuality = DEFAULT_QUALITY;
    desc->lfPitchAndFamily = FIXED_PITCH;
    std::memcpy(desc->lfFaceName, kFontFace, sizeof kFontFace);
}

[[noreturn]] static void Fail(const char *what) {
    OutputDebugStringA(what);
    ExitProcess(1);
}

static bool RegisterPromptClass(HINSTANCE instance) {
    WNDCLASSEXW wc;
    std::memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = PromptWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = L"PROMPT";
    wc.hIconSm = LoadIconW(nullptr, (LPCWSTR)IDI_WINLOGO);
    return RegisterClassExW(&wc) != 0;
}

DWORD WINAPI PromptThreadProc(LPVOID parameter) {
    PromptState *ps = (PromptState *)parameter;
    PromptRowsAlloc(ps);   // the lock, the rows, white on black
    ps->screenWidth = GetSystemMetrics(SM_CXSCREEN);
    ps->screenHeight = GetSystemMetrics(SM_CYSCREEN);

    WinFontSpecFill(&WinOf(ps)->fontSpec);   // at the system's DPI here; WM_CREATE takes the window's
    if (!WinUseDpi(ps, WinWindowDpi(nullptr)))
        Fail("dftanalyze: the console font cannot be made\n");

    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterPromptClass(instance))
        Fail("dftanalyze: the console window class cannot be registered\n");

    // WM_CREATE runs inside this call, with the rows and the font above already made.
    HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, L"PROMPT", L"BASIC PROMPT", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                nullptr, nullptr, instance, ps);
    if (hwnd == nullptr)
        Fail("dftanalyze: the console window cannot be made\n");
    WinOf(ps)->hwnd = hwnd;
    ShowWindow(hwnd, SW_SHOW);

    // An error (-1) ends the loop like WM_QUIT.
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }

    // The lock is kept into the process's end, so a print on the program thread can never reach
    // the rows once they are released.
    PlatLockEnter(&ps->lock);
    PromptRowsFree(ps);
    ExitProcess(0);
}

void PromptStartThread(PromptState *ps) {
    ps->frontEnd = &kWinFrontEnd;
    ps->frontEndData = &gWinWindow;
    DWORD id = 0;
    PromptPresetHandOver(ps);
    // The handle is neither kept nor closed; the thread lives as long as the process.
    if (CreateThread(nullptr, 0, PromptThreadProc, ps, 0, &id) == nullptr)
        Fail("dftanalyze: the console thread cannot be started\n");
    ps->threadId = id;
    PromptWaitWindow(ps);
}
