// window_text_test.cpp: the code page 932 <-> UTF-16 edge of the Windows console window, byte for
// byte, whatever the ANSI code page of the Windows (or Wine) it runs on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/window_text.h"

static std::string Hex(const uint8_t *bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; i++) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

// ---- WM_CHAR units to the bytes the line editor sees ----

struct CharCase {
    const char *name;
    const wchar_t *units;   // the WM_CHAR units in arrival order
    const char *bytes;      // the code page 932 bytes of every completed character, in hex
};

static const CharCase kCharCases[] = {
    {"ascii letter", L"A", "41"},
    {"backspace, enter, ctrl+v", L"\x08\x0d\x16", "080d16"},
    {"hiragana a", L"\x3042", "82a0"},                       // あ
    {"kanji of the font name", L"\x660E\x671D", "96be92a9"},   // 明朝
    {"half-width katakana", L"\xFF71", "b1"},                 // ｱ
    {"backslash stays itself", L"\\", "5c"},
    {"circled one (NEC row)", L"\x2460", "8740"},             // ①
    {"fullwidth tilde", L"\xFF5E", "8160"},                   // ～
    {"fullwidth hyphen-minus", L"\xFF0D", "817c"},            // －
    {"minus sign is only a best fit", L"\x2212", ""},          // −
    {"yen sign has no exact form", L"\x00A5" L"1", "31"},
    {"accented letter dropped", L"\x00E9" L"e", "65"},
    {"euro sign dropped", L"\x20AC", ""},
    {"surrogate pair dropped as one", L"\xD842\xDFB7" L"A", "41"},   // 𠮷 then A
    {"lone high surrogate dropped", L"\xD842" L"B", "42"},
    {"lone low surrogate dropped", L"\xDFB7" L"C", "43"},
    {"two highs, then a low", L"\xD842\xD842\xDFB7" L"D", "44"},
};

static void PrintTo(const CharCase &c, std::ostream *os) {
    *os << c.name;
}

class WinCharFeedTest : public testing::TestWithParam<CharCase> {};

TEST_P(WinCharFeedTest, GivesTheCp932BytesOrNothing) {
    const CharCase &c = GetParam();
    WinCharDecoder d = {0};
    uint8_t all[64];
    size_t n = 0;
    for (const wchar_t *u = c.units; *u != 0; u++) {
        uint8_t out[2] = {0xEE, 0xEE};
        int k = WinCharFeed(&d, *u, out);
        ASSERT_GE(k, 0) << c.name;
        ASSERT_LE(k, 2) << c.name;
        for (int i = 0; i < k; i++)
            all[n++] = out[i];
    }
    EXPECT_EQ(Hex(all, n), c.bytes) << c.name;
    EXPECT_EQ(d.pendingHigh, 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Units, WinCharFeedTest, testing::ValuesIn(kCharCases));

// ---- screen glyphs to the units a wide text-out draws ----

struct GlyphCase {
    const char *name;
    uint8_t bytes[2];
    int n;
    const wchar_t *units;
};

static const GlyphCase kGlyphCases[] = {
    {"ascii", {0x41, 0}, 1, L"A"},
    {"space", {0x20, 0}, 1, L" "},
    {"hiragana a", {0x82, 0xA0}, 2, L"\x3042"},
    {"half-width katakana", {0xB1, 0}, 1, L"\xFF71"},
    {"backslash byte", {0x5C, 0}, 1, L"\\"},
    {"circled one", {0x87, 0x40}, 2, L"\x2460"},
    {"fullwidth tilde", {0x81, 0x60}, 2, L"\xFF5E"},
};

TEST(WinGlyphToWide, OneGlyphIsOneCharacter) {
    for (const GlyphCase &c : kGlyphCases) {
        wchar_t out[2] = {0, 0};
        int k = WinGlyphToWide(c.bytes, c.n, out);
        EXPECT_EQ(std::wstring(out, k > 0 ? k : 0), std::wstring(c.units)) << c.name;
    }
}

TEST(WinGlyphToWide, LoneLeadByteGivesAtMostOneUnit) {
    // A lead byte that ends its row is drawn alone; it must not read past its one byte.
    const uint8_t lead[2] = {0x82, 0xA0};
    wchar_t out[2] = {0, 0};
    int k = WinGlyphToWide(lead, 1, out);
    EXPECT_GE(k, 0);
    EXPECT_LE(k, 1);
}

TEST(WinTextToWide, RowTextKeepsOneUnitPerCharacter) {
    // "? " then 漢字 then "x": the width of a row is measured over these units.
    const uint8_t text[] = {0x3F, 0x20, 0x8A, 0xBF, 0x8E, 0x9A, 0x78};
    wchar_t out[sizeof text];
    int k = WinTextToWide(text, (int)sizeof text, out);
    EXPECT_EQ(std::wstring(out, k), std::wstring(L"? \x6F22\x5B57x"));
}

// ---- the clipboard's text ----

struct PasteCase {
    const char *name;
    const wchar_t *text;
    uint32_t cap;
    const char *bytes;
};

static const PasteCase kPasteCases[] = {
    {"three ascii bytes", L"3,4", 255, "332c34"},
    {"line break kept as bytes", L"\x3042\r\nB", 255, "82a00d0a42"},
    {"unmappable characters left out", L"\x00E9" L"1\xD842\xDFB7" L"2", 255, "3132"},
    {"katakana word", L"\x30C6\x30B9\x30C8", 255, "836583588367"},   // テスト
    {"empty", L"", 255, ""},
    {"cut before a double-byte character", L"ab\x3042", 3, "6162"},
    {"cut exactly at the cap", L"a\x3042" L"b", 3, "6182a0"},
    {"dropped characters take no room", L"\x20AC\x20AC" L"ab", 2, "6162"},
};

TEST(WinWideToCp932, ClipboardTextBecomesCp932Bytes) {
    for (const PasteCase &c : kPasteCases) {
        std::wstring text(c.text);
        uint8_t out[64];
        std::memset(out, 0xEE, sizeof out);
        uint32_t n = WinWideToCp932(text.data(), (uint32_t)text.size(), out, c.cap);
        ASSERT_LE(n, c.cap) << c.name;
        EXPECT_EQ(out[n], 0xEE) << c.name << ": wrote past its count";
        EXPECT_EQ(Hex(out, n), c.bytes) << c.name;
    }
}
