// window_text_test.cpp: the code page 932 <-> UTF-16 edge of the Windows console window, byte for
// byte, whatever the ANSI code page of the Windows (or Wine) it runs on.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/window_text.h"

namespace {

// WM_CHAR units to the bytes the line editor sees, and a screen glyph back to its units.
struct CharCase {
    const char *name;
    const wchar_t *units;   // the WM_CHAR units in arrival order
    std::string bytes;      // the code page 932 bytes of every completed character
    bool glyph;             // bytes are one glyph, which a wide text-out draws as units
};

const CharCase kCharCases[] = {
    {"ascii letter", L"A", "A", true},
    {"backspace, enter, ctrl+v", L"\x08\x0d\x16", "\x08\x0d\x16", false},
    {"hiragana a", L"\x3042", "\x82\xa0", true},                             // あ
    {"half-width katakana", L"\xFF71", "\xb1", true},                        // ｱ
    {"backslash stays itself", L"\\", "\\", true},
    {"circled one (NEC row)", L"\x2460", "\x87\x40", true},                  // ①
    {"fullwidth tilde", L"\xFF5E", "\x81\x60", true},                        // ～
    {"minus sign is only a best fit", L"\x2212", "", false},                 // −
    {"yen sign has no exact form", L"\x00A5" L"1", "1", false},
    {"surrogate pair dropped as one", L"\xD842\xDFB7" L"A", "A", false},   // 𠮷 then A
    {"lone high surrogate dropped", L"\xD842" L"B", "B", false},
    {"lone low surrogate dropped", L"\xDFB7" L"C", "C", false},
    {"two highs, then a low", L"\xD842\xD842\xDFB7" L"D", "D", false},
};

TEST(WinCharFeed, GivesTheCp932BytesOrNothingAndGlyphsGiveTheUnitsBack) {
    for (const CharCase &c : kCharCases) {
        WinCharDecoder d = {0};
        std::string all;
        for (const wchar_t *u = c.units; *u != 0; u++) {
            uint8_t out[2] = {0xEE, 0xEE};
            int k = WinCharFeed(&d, *u, out);
            ASSERT_LE((unsigned)k, 2u) << c.name << ": " << k;
            all.append((const char *)out, k);
        }
        EXPECT_EQ(all, c.bytes) << c.name;
        EXPECT_EQ(d.pendingHigh, 0) << c.name;
        if (c.glyph) {
            wchar_t out[2] = {0, 0};
            int k = WinGlyphToWide((const uint8_t *)c.bytes.data(), (int)c.bytes.size(), out);
            EXPECT_EQ(std::wstring(out, k > 0 ? k : 0), std::wstring(c.units)) << c.name;
        }
    }
}

}  // namespace
