// cp932_bytes.h: the byte tests of code page 932 text, and of the UTF-16 and UTF-8 forms it is
// converted from and to.
//
// A lead byte (0x81-0x9F, 0xE0-0xFC) and a trail byte behind it (0x40-0xFC but 0x7F) are one
// double-byte character; every other byte is one single-byte character. A trail byte can look
// like a lead byte, so text is only ever read in glyphs from its start.
#ifndef RUNTIME_CORE_CP932_BYTES_H
#define RUNTIME_CORE_CP932_BYTES_H

#include <cstdint>

inline bool RtIsLeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline bool RtIsTrailByte(uint8_t b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

inline bool RtIsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool RtIsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The length in bytes that a UTF-8 sequence starting with b announces: 1 for ASCII, 2 for
// 110xxxxx, 3 for 1110xxxx, 4 for 0xF0-0xFF; 0 for a continuation byte (10xxxxxx), which starts
// none. Overlong leads (0xC0, 0xC1) and those beyond U+10FFFF (0xF5-0xFF) announce a length too:
// the converter then refuses the whole sequence as one character.
inline int RtUtf8Length(uint8_t b) {
    return b < 0x80 ? 1 : b < 0xC0 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

// The code point of the whole, well-formed sequence of n (1 to 4) bytes at u.
inline uint32_t RtUtf8CodePoint(const uint8_t *u, int n) {
    uint32_t c = n == 1 ? u[0] : u[0] & (0x7F >> n);
    for (int i = 1; i < n; i++)
        c = (c << 6) | (u[i] & 0x3F);
    return c;
}

#endif
