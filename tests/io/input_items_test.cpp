// Input items: the digit-by-digit value of an item text, and its store into each kind of variable.
#include <cstring>

#include "runtime/io/input_items.h"
#include "runtime/math/rt_scalar.h"
#include "tests/test_strings.h"

namespace {

const uint64_t kNegZero = 0x8000000000000000ull;
const uint64_t kNaN = 1;   // marks a row whose result must be some NaN (its sign is the CPU's)

TEST(ParseNumber, Table) {
    const struct {
        const char *name;
        std::string text;
        uint64_t bits;
    } cases[] = {
        {"empty", "", 0}, {"blanks then negative fraction", "  -12.5", RtBitsOf(-12.5)},
        {"tab and blank skipped, plus sign", "\t +3", RtBitsOf(3)},
        {"sign alone is -0", "-", kNegZero}, {"second sign ends the number", "--3", kNegZero},
        {"blank after sign ends it", "- 5", kNegZero}, {"no exponent", "1e5", RtBitsOf(1)},
        {"fraction only", ".5", RtBitsOf(0.5)}, {"trailing point", "5.", RtBitsOf(5)},
        {"point alone", ".", 0}, {"trailing letters", "12abc", RtBitsOf(12)},
        {"second point ends it", "1.5.5", RtBitsOf(1.5)}, {"quoted", "\"12\"", 0},
        {"line break byte not skipped", "\n5", 0}, {"every digit", "1234567890.0987654321", 0x41d26580b486522cull},
        // 0.1 + 0.02 + 0.003, each rounded: one ulp above the double nearest 0.123.
        {"fraction summed digit by digit", "0.123", 0x3fbf7ced916872b1ull},
        {"integer sum rounds to even", "9007199254740993", 0x4340000000000000ull},
        {"309 digits, weights rounded on the way", "1" + std::string(308, '0'), 0x7fe1ccf385ebc89full},
        {"310th digit has infinite weight", "-1" + std::string(309, '0'), 0xfff0000000000000ull},
        {"0 digit times infinite weight", std::string(310, '0'), kNaN},
        {"309th fraction digit adds nothing", "0." + std::string(308, '0') + "5", 0},
        {"hex lower case, blanks before", " \t&h1f", RtBitsOf(31)}, {"hex is 64 bits wide", "&HFFFF", RtBitsOf(65535)},
        {"octal", "&o777", RtBitsOf(511)}, {"8 ends an octal run", "&O18", RtBitsOf(1)},
        {"hex top bit is the sign", "&H8000000000000000", 0xc3e0000000000000ull},
        {"17th hex digit has weight 0", "&H10000000000000001", RtBitsOf(1)},
        // The lower 15 digits sum to 2^60 after rounding, and the top term is -2^60.
        {"all ones hex sums to 0", "&HFFFFFFFFFFFFFFFF", 0},
        {"22nd octal digit is the sign", "&O1" + std::string(21, '0'), 0xc3e0000000000000ull},
        {"23rd octal digit has weight 0", "&O1" + std::string(21, '0') + "3", RtBitsOf(3)},
        {"ampersand alone, no digits, unknown base", "&", 0}, {"octal without digits", "&O", 0},
        {"unknown base", "&X12", 0}, {"blank after base", "&H 12", 0},
        {"sign before hex", "-&H10", kNegZero},
    };
    for (const auto &c : cases) {
        double v = ParseNumber((const uint8_t *)c.text.c_str());
        if (c.bits == kNaN)
            EXPECT_NE(v, v) << c.name;
        else
            EXPECT_EQ(RtBitsOf(v), c.bits) << c.name << ": got " << v;
    }
}

// Wholly a number: what ParseNumber reads, all of it; empty counts as whole (it reads 0 on purpose).
TEST(NumberIsWhole, Table) {
    const struct {
        const char *text;
        bool whole;
    } cases[] = {
        {"", true}, {" \t", true}, {" -12.5", true}, {"+.5", true}, {"5.", true}, {"&h1F", true},
        {"&O17", true}, {" 256 \t", true}, {"&H1 ", true}, {".", false}, {"-", false}, {"&H", false}, {"&O18", false}, {"1e5", false},
        {"12.5%", false}, {"\"3\"", false}, {"5;2", false}, {"1.5.5", false}, {"value", false}, {"1 2", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NumberIsWhole((const uint8_t *)c.text), c.whole) << c.text;
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
        EXPECT_TRUE(RtBitsOf(got) == RtBitsOf(want) || (got != got && want != want)) << text.substr(0, 40);
        EXPECT_EQ(NumberIsWhole(room), NumberIsWhole(whole)) << text.substr(0, 40);
        EXPECT_EQ(std::string((const char *)room, 32), text.substr(0, 32));
    }
}

// Each variable sits one byte into a field of 0xAA bytes: the store must write exactly its width
// there, through any alignment, and leave the bytes around it alone.
TEST(StoreInputItem, NumericTable) {
    const struct {
        const char *name;
        int32_t type;
        std::string text;
        uint32_t width;   // 0: nothing may be written
        uint64_t value;   // the width's low bytes, little-endian
    } cases[] = {
        {"int32 truncates toward zero", kInputInt32, "-3.99", 4, 0xfffffffd},
        {"int32 largest", kInputInt32b, "2147483647.9", 4, 0x7fffffff},
        {"int32 just above saturates", kInputInt32, "2147483648", 4, 0x80000000},
        {"int32 smallest after truncation", kInputInt32, "-2147483648.9", 4, 0x80000000},
        {"int32 of NaN", kInputInt32, std::string(310, '0'), 4, 0x80000000},
        {"int64 largest double below 2^63", kInputInt64b, "&H7FFFFFFFFFFFFC00", 8, 0x7ffffffffffffc00ull},
        {"int64 2^63 saturates", kInputInt64, "9223372036854775808", 8, 0x8000000000000000ull},
        {"int64 truncates", kInputInt64, "-3.5", 8, 0xfffffffffffffffdull},
        {"int16 wraps", kInputInt16, "70000", 2, 4464}, {"int16 minus one", kInputInt16b, "-1", 2, 0xffff},
        {"int16 where int32 saturates", kInputInt16, "3000000000", 2, 0},
        {"int8 wraps", kInputInt8, "300", 1, 44}, {"int8 minus one", kInputInt8b, "-1", 1, 0xff},
        {"single nearest to 0.1", kInputSingle, "0.1", 4, 0x3dcccccd},
        {"single tie goes to even", kInputSingle, "1.000000178813934326171875", 4, 0x3f800002},
        {"single keeps -0", kInputSingle, "-", 4, 0x80000000},
        {"single below the overflow midpoint", kInputSingle, "340282356779733677437539395458142568448", 4, 0x7f7fffff},
        {"single at the overflow midpoint", kInputSingle, "340282356779733710437539395458142568448", 4, 0x7f800000},
        {"single negative overflow", kInputSingle, "-1" + std::string(40, '0'), 4, 0xff800000},
        {"double unchanged", kInputDouble, "0.123", 8, 0x3fbf7ced916872b1ull},
        {"unknown code writes nothing", 12, "42", 0, 0}, {"code 0 writes nothing", 0, "42", 0, 0},
    };
    for (const auto &c : cases) {
        uint8_t field[16];
        std::memset(field, 0xAA, sizeof field);
        InputTargetsSetOne(field + 1, c.type);
        StoreInputItem((const uint8_t *)c.text.c_str(), 0);
        for (uint32_t i = 0; i < sizeof field; i++) {
            bool inside = i >= 1 && i < 1 + c.width;
            ASSERT_EQ(field[i], inside ? (uint8_t)(c.value >> (8 * (i - 1))) : 0xAA) << c.name << ": byte " << i;
        }
    }
}

}  // namespace
