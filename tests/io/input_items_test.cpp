// Input items: the digit-by-digit value of an item text, and its store into each kind of variable.
#include <cstring>

#include "runtime/io/input_items.h"
#include "runtime/math/rt_scalar.h"
#include "tests/test_strings.h"

namespace {

const uint64_t kNegZero = 0x8000000000000000ull;
const uint64_t kNaN = 1;   // marks a row whose result must be some NaN (its sign is the CPU's)

// The value of each text, and whether ParseNumber reads all of it (empty counts as whole: it reads
// 0 on purpose).
TEST(ParseNumber, ValueAndWholeness) {
    const struct {
        std::string text;
        uint64_t bits;
        bool whole;
    } cases[] = {
        {"", 0, true}, {" \t", 0, true}, {"  -12.5", RtBitsOf(-12.5), true},
        {"\t +3", RtBitsOf(3), true}, {" 256 \t", RtBitsOf(256), true}, {".5", RtBitsOf(0.5), true},
        {"5.", RtBitsOf(5), true}, {".", 0, false}, {"-", kNegZero, false}, {"--3", kNegZero, false},
        {"- 5", kNegZero, false}, {"1e5", RtBitsOf(1), false}, {"12abc", RtBitsOf(12), false},
        {"1.5.5", RtBitsOf(1.5), false}, {"\"12\"", 0, false}, {"\n5", 0, false},
        {"12.5%", RtBitsOf(12.5), false}, {"5;2", RtBitsOf(5), false}, {"1 2", RtBitsOf(1), false},
        {"1234567890.0987654321", 0x41d26580b486522cull, true},
        // 0.1 + 0.02 + 0.003, each rounded: one ulp above the double nearest 0.123.
        {"0.123", 0x3fbf7ced916872b1ull, true},
        {"9007199254740993", 0x4340000000000000ull, true},   // the integer sum rounds to even
        // 309 digits, their weights rounded on the way; the 310th digit has infinite weight (and
        // 0 times it is NaN); the 309th fraction digit adds nothing.
        {"1" + std::string(308, '0'), 0x7fe1ccf385ebc89full, true},
        {"-1" + std::string(309, '0'), 0xfff0000000000000ull, true},
        {std::string(310, '0'), kNaN, true}, {"0." + std::string(308, '0') + "5", 0, true},
        {" \t&h1f", RtBitsOf(31), true}, {"&HFFFF", RtBitsOf(65535), true},
        {"&H1 ", RtBitsOf(1), true}, {"&o777", RtBitsOf(511), true}, {"&O18", RtBitsOf(1), false},
        // The top bit is the sign, a 17th hex digit has weight 0; all ones sums to 0: the lower 15
        // digits to 2^60 after rounding, the top term -2^60. Octal's 22nd digit is the sign.
        {"&H8000000000000000", 0xc3e0000000000000ull, true},
        {"&H10000000000000001", RtBitsOf(1), true}, {"&HFFFFFFFFFFFFFFFF", 0, true},
        {"&O1" + std::string(21, '0'), 0xc3e0000000000000ull, true},
        {"&O1" + std::string(21, '0') + "3", RtBitsOf(3), true},
        {"&", 0, false}, {"&O", 0, false}, {"&H", 0, false}, {"&X12", 0, false},
        {"&H 12", 0, false}, {"-&H10", kNegZero, false},
    };
    for (const auto &c : cases) {
        const uint8_t *text = (const uint8_t *)c.text.c_str();
        double v = ParseNumber(text);
        if (c.bits == kNaN)
            EXPECT_NE(v, v) << c.text;
        else
            EXPECT_EQ(RtBitsOf(v), c.bits) << c.text << ": got " << v;
        EXPECT_EQ(NumberIsWhole(text), c.whole) << c.text;
    }
}

// A reader with 1024 bytes of room that squeezes each time it is full must read every long number
// as the whole text reads: the same bits (any NaN for a NaN), wholeness and first 32 bytes.
TEST(NumberTextSqueeze, LongNumbersReadAsWhole) {
    const std::string ones(5000, '1'), mid = std::string(2000, '1') + "0" + std::string(3000, '1');
    const std::string cases[] = {
        ones, mid, "-" + mid.substr(0, 400) + "." + std::string(5000, '5') + "x",
        std::string(1000, '1') + std::string(1000, '0'), "0." + std::string(307, '0') + ones,
        std::string(200, '7') + "." + ones, ones + "e" + ones, "&h" + std::string(5000, 'F') + "1",
        "&O" + std::string(3000, '7'), "12abc" + ones, "\"" + ones, " -&H" + ones,
    };
    for (const auto &text : cases) {
        uint8_t room[1024];
        uint32_t length = 0;
        for (char c : text) {
            if (length + 1 == sizeof room)
                length = NumberTextSqueeze(room, length);
            ASSERT_LT(length + 1, sizeof room) << text.substr(0, 40);
            room[length++] = (uint8_t)c;
        }
        room[length] = 0;
        const uint8_t *whole = (const uint8_t *)text.c_str();
        double want = ParseNumber(whole), got = ParseNumber(room);
        if (want != want) {
            EXPECT_NE(got, got) << text.substr(0, 40);
        } else {
            EXPECT_EQ(RtBitsOf(got), RtBitsOf(want)) << text.substr(0, 40);
        }
        EXPECT_EQ(NumberIsWhole(room), NumberIsWhole(whole)) << text.substr(0, 40);
        EXPECT_EQ(std::string((const char *)room, 32), text.substr(0, 32));
    }
}

// A double one byte into a field of 0xAA bytes: the store writes its eight bytes there
// (little-endian), through any alignment, and leaves the bytes around it alone.
TEST(StoreInputItem, DoubleTakesItsEightBytesOnly) {
    const struct {
        std::string text;
        uint64_t value;
    } cases[] = {{"-", kNegZero}, {"0.123", 0x3fbf7ced916872b1ull}};
    for (const auto &c : cases) {
        uint8_t field[16];
        std::memset(field, 0xAA, sizeof field);
        InputTargetsSetOne(field + 1, kInputDouble);
        StoreInputItem((const uint8_t *)c.text.c_str(), 0);
        for (uint32_t i = 0; i < sizeof field; i++) {
            bool inside = i >= 1 && i < 9;
            ASSERT_EQ(field[i], inside ? (uint8_t)(c.value >> (8 * (i - 1))) : 0xAA)
                << c.text << ": byte " << i;
        }
    }
}

}  // namespace
