// window_text.cpp: code page 932 <-> UTF-16 at the window's edge.
//
// Invariant: a character goes into the line only if code page 932 holds it exactly, that is if its
// bytes convert back to the very same UTF-16 units. This refuses the "best fit" substitutes that
// Windows would otherwise make (the yen sign as a backslash, an accented letter as the plain one)
// and the default character "?" for everything else, including every character outside the basic
// multilingual plane, which code page 932 has none of.
#include "platform/win32/window_text.h"

#include <windows.h>

#include "runtime/core/cp932_bytes.h"

int WinGlyphToWide(const uint8_t *glyph, int n, wchar_t out[2]) {
    if (n < 1 || n > 2)
        return 0;
    return MultiByteToWideChar(kWinCodePage, 0, (LPCCH)glyph, n, out, 2);
}

int WinTextToWide(const uint8_t *text, int n, wchar_t *out) {
    if (n <= 0)
        return 0;
    return MultiByteToWideChar(kWinCodePage, 0, (LPCCH)text, n, out, n);
}

// One character of 1 or 2 units to code page 932; 0 bytes when it has no exact form there.
static int CharToCp932(const wchar_t *units, int n, uint8_t out[2]) {
    BOOL usedDefault = FALSE;
    char bytes[2];
    int count = WideCharToMultiByte(kWinCodePage, WC_NO_BEST_FIT_CHARS, units, n, bytes, 2, nullptr,
                                    &usedDefault);
    if (count <= 0 || usedDefault)
        return 0;
    wchar_t back[2];
    int backCount = MultiByteToWideChar(kWinCodePage, MB_ERR_INVALID_CHARS, bytes, count, back, 2);
    if (backCount != n)
        return 0;
    for (int i = 0; i < n; i++)
        if (back[i] != units[i])
            return 0;
    out[0] = (uint8_t)bytes[0];
    out[1] = (uint8_t)bytes[1];
    return count;
}

int WinCharFeed(WinCharDecoder *d, wchar_t unit, uint8_t out[2]) {
    wchar_t units[2];
    int n = 0;
    if (RtIsHighSurrogate(unit)) {
        d->pendingHigh = unit;   // a high surrogate still waiting is dropped
        return 0;
    }
    if (RtIsLowSurrogate(unit)) {
        if (d->pendingHigh == 0)
            return 0;
        units[n++] = d->pendingHigh;
    }
    d->pendingHigh = 0;
    units[n++] = unit;
    return CharToCp932(units, n, out);
}

uint32_t WinWideToCp932(const wchar_t *text, uint32_t n, uint8_t *out, uint32_t cap) {
    WinCharDecoder d = {0};
    uint32_t put = 0;
    for (uint32_t i = 0; i < n; i++) {
        uint8_t bytes[2];
        uint32_t k = (uint32_t)WinCharFeed(&d, text[i], bytes);
        if (put + k > cap)
            break;
        for (uint32_t j = 0; j < k; j++)
            out[put++] = bytes[j];
    }
    return put;
}
