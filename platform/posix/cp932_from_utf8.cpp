// cp932_from_utf8.cpp: UTF-8 -> code page 932 through iconv's "CP932", one character per call:
// typed and pasted text, input lines, and the names of the file layer. It lives with the file
// layer's library, the lowest that needs it.
//
// Invariant: a character is what its first byte announces (RtUtf8Length) when every byte it
// announces is there and is a continuation byte; anything else is one stray byte. So a sequence
// iconv refuses (an overlong form, a surrogate, beyond U+10FFFF) is one character to replace,
// and each stray byte is one.
#include <cstring>
#include <iconv.h>

#include "platform/posix/cp932.h"

static bool Utf8Whole(const uint8_t *u, int length) {
    for (int i = 1; i < length; i++) {
        if ((u[i] & 0xC0) != 0x80)
            return false;
    }
    return true;
}

size_t Cp932FromUtf8(const uint8_t *in, size_t n, uint8_t *out, size_t cap, uint8_t replacement) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == (iconv_t)-1 && replacement == 0)
        return 0;
    size_t written = 0;
    for (size_t i = 0; i < n;) {
        int length = RtUtf8Length(in[i]);
        const bool whole = length > 0 && i + (size_t)length <= n && Utf8Whole(in + i, length);
        if (!whole)
            length = 1;
        char buffer[8];
        size_t got = 0;
        bool formed = whole && length == 1;   // ASCII is itself, also without iconv
        if (formed)
            buffer[got++] = (char)in[i];
        else if (whole && cd != (iconv_t)-1) {
            char *src = (char *)(in + i), *dst = buffer;
            size_t srcLeft = (size_t)length, dstLeft = sizeof buffer;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            formed = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != (size_t)-1 && dst - buffer <= 2;
            got = formed ? (size_t)(dst - buffer) : 0;
        }
        i += (size_t)length;
        if (!formed) {
            if (replacement == 0)
                continue;   // dropped
            buffer[got++] = (char)replacement;
        }
        if (written + got > cap)
            break;
        std::memcpy(out + written, buffer, got);
        written += got;
    }
    if (cd != (iconv_t)-1)
        iconv_close(cd);
    return written;
}
