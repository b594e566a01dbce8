// window_text.h: the window's edge between the system's text (code page 932 bytes) and the wide
// (UTF-16) calls of Windows. Every text the console keeps stays code page 932; these functions
// convert with code page 932 explicitly, so the result does not depend on the system's ANSI code
// page. A character that code page 932 cannot hold is dropped, never replaced by a look-alike or
// by "?".
#ifndef PLATFORM_WIN32_WINDOW_TEXT_H
#define PLATFORM_WIN32_WINDOW_TEXT_H

#include <cstdint>

enum { kWinCodePage = 932 };

// One glyph of the screen buffer (1 byte, or a lead byte and its trail byte) in UTF-16: writes at
// most 2 units to out and returns how many (0 when the bytes stand for nothing).
int WinGlyphToWide(const uint8_t *glyph, int n, wchar_t out[2]);

// n bytes of code page 932 text in UTF-16: writes at most n units to out and returns how many.
int WinTextToWide(const uint8_t *text, int n, wchar_t *out);

// The decoder of WM_CHAR units: a surrogate pair arrives as two messages and is one character.
struct WinCharDecoder {
    wchar_t pendingHigh;   // the high surrogate waiting for its low half; 0 when none
};

// Feeds one UTF-16 unit. Writes the code page 932 bytes of a completed character to out, lead
// byte first, and returns their count: 1 or 2, or 0 while a pair is half-read, for a character
// without a code page 932 form, and for a surrogate without its partner (which is dropped).
int WinCharFeed(WinCharDecoder *d, wchar_t unit, uint8_t out[2]);

// A whole UTF-16 text of n units (the clipboard's) in code page 932: writes at most cap bytes to
// out and returns their count. Characters without a code page 932 form are left out; the text is
// cut before the first character whose bytes would pass cap, so a double-byte character is never
// split.
uint32_t WinWideToCp932(const wchar_t *text, uint32_t n, uint8_t *out, uint32_t cap);

#endif
