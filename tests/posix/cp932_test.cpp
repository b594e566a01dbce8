// Code page 932 -> UTF-8 on bytes, as the line console and the terminal's frames convert prints
// (the other way is the key decoder's, tested with its pastes).
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/cp932.h"

namespace {

// File names: a character without a 932 form (an overlong form too) and a stray byte each become
// the replacement; the consoles' conversion drops them (tested with the pastes).
TEST(Cp932FromUtf8, ReplacementForNames) {
    const char kMixed[] = "a\xf0\x9f\x98\x80" "b\xff\x80" "c\xc0\xaf" "d\xe6\x97";
    uint8_t named[16];
    size_t n = Cp932FromUtf8((const uint8_t *)kMixed, sizeof kMixed - 1, named, sizeof named, '?');
    EXPECT_EQ(std::string((const char *)named, n), "a?b??c?d??");
}

// Two texts in a row, as two prints, with the lead byte carried between them.
TEST(Cp932ToUtf8, TwoTextsInARow) {
    const struct {
        const char *name;
        std::string first, second, utf8;
        uint8_t pendingAfter;   // a lead byte still waiting after the second
    } cases[] = {
        {"ascii and controls are themselves", "a\t\r\n", "b~\\", "a\t\r\nb~\\", 0},
        {"lead bytes at the ends of both ranges", "\x81\x40\x9f\xfc", "\xe0\x40\xfc\x4b", "　滌漾黑", 0},
        {"Microsoft's table: full-width tilde and minus, NEC circled one", "\x81\x60\x81\x7c",
         "\x87\x40", "～－①", 0},
        {"a character split over two texts", "x\x93", "\xfa" "y", "x日y", 0},
        {"a lone lead byte before a control", "\x93", "\r", "?\r", 0},
        {"a lead byte at the end waits", "a", "\x93", "a", 0x93},
        {"no UTF-8 form: ?", "\x80\xa0\xfd", "", "???", 0},
        {"half-width katakana", "\xb6", "", "ｶ", 0},
    };
    for (const auto &c : cases) {
        uint8_t out[64], pending = 0;
        size_t n = Cp932ToUtf8((const uint8_t *)c.first.data(), c.first.size(), out, sizeof out, &pending);
        n += Cp932ToUtf8((const uint8_t *)c.second.data(), c.second.size(), out + n, sizeof out - n,
                         &pending);
        EXPECT_EQ(std::string((const char *)out, n), c.utf8) << c.name;
        EXPECT_EQ(pending, c.pendingAfter) << c.name;
    }
    uint8_t out[3] = {0, 0, 0x55};   // UTF-8 -> 932: a character that does not fit is not begun
    EXPECT_EQ(Cp932FromUtf8((const uint8_t *)"a日", 4, out, 2), 1u);
    EXPECT_EQ(out[2], 0x55);
    const uint8_t kanji[2] = {0x93, 0xfa}, alpha[2] = {0x83, 0xbf};   // α: width up to the terminal
    EXPECT_TRUE(Cp932GlyphIsWide(kanji, 2));
    EXPECT_FALSE(Cp932GlyphIsWide(alpha, 2));
}

}  // namespace
