// Code page 932 <-> UTF-8 on bytes: the conversions of the line console and the key decoder.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/cp932.h"

namespace {

// Each row both ways: UTF-8 into 932, and the 932 text, as two prints (its first `split` bytes,
// then the rest), into UTF-8 again: `back` where not empty, else the UTF-8 text.
struct Cp932Case {
    const char *name;
    std::string utf8, cp932, back;
    size_t split = std::string::npos;
    uint8_t pendingAfter = 0;   // a lead byte still waiting after the second print
};

const Cp932Case kCases[] = {
    {"ascii and controls are themselves", "a,1 ~\\\t\r\n", "a,1 ~\\\t\r\n", ""},
    {"lead bytes at the ends of both ranges", "　滌漾黑", "\x81\x40\x9f\xfc\xe0\x40\xfc\x4b", "", 4},
    {"half-width katakana, one byte", "ｶﾅ", "\xb6\xc5", ""},
    {"Microsoft's table: full-width tilde and minus, NEC circled one", "～－①",
     "\x81\x60\x81\x7c\x87\x40", ""},
    {"a character split over two prints", "x日y", "x\x93\xfay", "", 2},
    {"no 932 form, malformed bytes, cut off at the end: dropped",
     "a\xf0\x9f\x98\x80" "b\xff\x80" "c\xe6\x97", "abc", "abc"},
    {"no UTF-8 form, a lone lead byte before a control: ?", "", "\x80\xa0\xfd\x93\r", "????\r", 4},
    {"a lead byte at the end waits", "", "a\x93", "a", 1, 0x93},
};

TEST(Cp932, BothWays) {
    for (const Cp932Case &c : kCases) {
        uint8_t out[64], pending = 0;
        if (!c.utf8.empty()) {
            size_t n = Cp932FromUtf8((const uint8_t *)c.utf8.data(), c.utf8.size(), out, sizeof out);
            EXPECT_EQ(std::string((const char *)out, n), c.cp932) << c.name;
        }
        std::string first = c.cp932.substr(0, c.split), second = c.cp932.substr(first.size());
        size_t n = Cp932ToUtf8((const uint8_t *)first.data(), first.size(), out, sizeof out, &pending);
        n += Cp932ToUtf8((const uint8_t *)second.data(), second.size(), out + n, sizeof out - n,
                         &pending);
        EXPECT_EQ(std::string((const char *)out, n), c.back.empty() ? c.utf8 : c.back) << c.name;
        EXPECT_EQ(pending, c.pendingAfter) << c.name;
    }
    uint8_t out[3] = {0, 0, 0x55};   // a character that does not fit the room left is not begun
    EXPECT_EQ(Cp932FromUtf8((const uint8_t *)"a日", 4, out, 2), 1u);
    EXPECT_EQ(out[2], 0x55);
    const uint8_t kanji[2] = {0x93, 0xfa}, alpha[2] = {0x83, 0xbf};   // α: width up to the terminal
    EXPECT_TRUE(Cp932GlyphIsWide(kanji, 2));
    EXPECT_FALSE(Cp932GlyphIsWide(alpha, 2));
}

}  // namespace
