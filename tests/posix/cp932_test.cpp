// Code page 932 <-> UTF-8 on bytes: the conversions of the line console and the key decoder.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/cp932.h"

namespace {

struct FromCase {
    const char *name;
    std::string utf8;
    std::string cp932;
};

const FromCase kFromCases[] = {
    {"ascii is itself", "a,1 ~\\", "a,1 ~\\"},
    {"kanji, two bytes each", "日本語", "\x93\xfa\x96\x7b\x8c\xea"},
    {"half-width katakana, one byte", "ｶﾅ", "\xb6\xc5"},
    {"full-width tilde and minus (Microsoft's table)", "～－", "\x81\x60\x81\x7c"},
    {"NEC special: circled one", "①", "\x87\x40"},
    {"no 932 form: dropped", "a\xf0\x9f\x98\x80" "b", "ab"},
    {"malformed bytes: dropped", "a\xff\x80" "b", "ab"},
    {"cut off at the end: dropped", "a\xe6\x97", "a"},
};

TEST(Cp932FromUtf8, BytesAndCapacity) {
    for (const FromCase &c : kFromCases) {
        uint8_t out[64];
        size_t n = Cp932FromUtf8((const uint8_t *)c.utf8.data(), c.utf8.size(), out, sizeof out);
        EXPECT_EQ(std::string((const char *)out, n), c.cp932) << c.name;
    }
    // A character that does not fit the room left is not begun.
    uint8_t out[3] = {0, 0, 0x55};
    EXPECT_EQ(Cp932FromUtf8((const uint8_t *)"a日", 4, out, 2), 1u);
    EXPECT_EQ(out[2], 0x55);
}

struct ToCase {
    const char *name;
    std::string first, second;   // two texts in a row, as two prints
    std::string utf8;            // both converted
    uint8_t pendingAfter;        // a lead byte still waiting after the second
};

const ToCase kToCases[] = {
    {"ascii and controls are themselves", "a\t\r\n", "b", "a\t\r\nb", 0},
    {"double-byte characters", "\x93\xfa\x96\x7b", "", "日本", 0},
    {"a character split over two texts", "x\x93", "\xfa" "y", "x日y", 0},
    {"a lone lead byte before a control", "\x93", "\r", "?\r", 0},
    {"a lead byte at the end waits", "a", "\x93", "a", 0x93},
    {"no UTF-8 form: ?", "\x80\xa0\xfd", "", "???", 0}, {"half-width katakana", "\xb6", "", "ｶ", 0},
};

TEST(Cp932ToUtf8, TwoTextsInARow) {
    for (const ToCase &c : kToCases) {
        uint8_t out[64], pending = 0;
        size_t n = Cp932ToUtf8((const uint8_t *)c.first.data(), c.first.size(), out, sizeof out,
                               &pending);
        n += Cp932ToUtf8((const uint8_t *)c.second.data(), c.second.size(), out + n,
                         sizeof out - n, &pending);
        EXPECT_EQ(std::string((const char *)out, n), c.utf8) << c.name;
        EXPECT_EQ(pending, c.pendingAfter) << c.name;
    }
}

TEST(GlyphWidth, KanjiSurelyWideGreekNot) {
    const uint8_t kanji[2] = {0x93, 0xfa};   // 日
    const uint8_t alpha[2] = {0x83, 0xbf};   // α: one or two columns, depending on the terminal
    EXPECT_TRUE(Cp932GlyphIsWide(kanji, 2));
    EXPECT_FALSE(Cp932GlyphIsWide(alpha, 2));
}

}  // namespace
