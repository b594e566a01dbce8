// file_text.cpp: the file layer's texts on Windows: where a name leads (GetFullPathNameW), why a
// call failed (the system's own message, FormatMessageW, in the user's language), and the code
// page 932 form of UTF-16 text (WideCharToMultiByte). Every text leaves here as code page 932,
// whatever the system's own code page, a character without a form there as '?' and never a
// "best fit" look-alike. Only the program thread uses files: the buffers are static.
#include <windows.h>

#include <cstring>

#include "runtime/io/plat_file.h"

enum { kWideChars = 32768 };   // the longest path the wide calls take, and any message text

static wchar_t gWideName[kWideChars], gWideText[kWideChars];

// wide (n units) in code page 932 into out, at most cap - 1 bytes and a NUL; returns the length.
// A cut never leaves half of a double-byte character: the text is shortened until it fits.
static uint32_t ToCp932(const wchar_t *wide, int n, char *out, uint32_t cap) {
    if (cap == 0)
        return 0;
    int got = 0;
    while (n > 0 && (got = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, n, out, (int)cap - 1,
                                               "?", nullptr)) == 0)
        n = n * 3 / 4;   // did not fit (or failed): try a shorter text
    out[got] = 0;
    return (uint32_t)got;
}

uint32_t PlatFileLastError() {
    return GetLastError();
}

uint32_t PlatFileFullPath(const char *name, char *out, uint32_t cap) {
    DWORD n = 0;
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, name, -1, gWideName, kWideChars) > 0)
        n = GetFullPathNameW(gWideName, kWideChars, gWideText, nullptr);
    if (n == 0 || n >= kWideChars) {
        uint32_t length = 0;
        while (name[length] != 0 && length + 1 < cap)
            length++;
        memcpy(out, name, length);
        if (cap > 0)
            out[length] = 0;
        return length;
    }
    return ToCp932(gWideText, (int)n, out, cap);
}

// The message without its line end and the blanks around it. A code without a message is shown
// as its number.
uint32_t PlatFileErrorText(uint32_t error, char *out, uint32_t cap) {
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, error, 0, gWideText, kWideChars, nullptr);
    while (n > 0 && (gWideText[n - 1] == L' ' || gWideText[n - 1] == L'\r' || gWideText[n - 1] == L'\n'))
        n--;
    if (n == 0)
        n = (DWORD)wsprintfW(gWideText, L"Windows error %lu", (unsigned long)error);
    return ToCp932(gWideText, (int)n, out, cap);
}

uint32_t PlatTextFromUtf16(const uint16_t *units, uint32_t n, uint8_t *out) {
    if (n == 0)
        return 0;
    int got = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, (const wchar_t *)units, (int)n,
                                  (char *)out, (int)(2 * n), "?", nullptr);
    return got > 0 ? (uint32_t)got : 0;
}
