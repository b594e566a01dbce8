// Runtime strings: layout, ownership and the registry. (Every StringsTest counts the live ones.)
#include "tests/test_strings.h"

namespace {

TEST_F(StringsTest, AllocZeroFillsConcatConsumesBothKeepingNulBytesAndAFreeIsOnce) {
    RtString s = StrAlloc(1000);
    EXPECT_EQ(StrLength(s), 1000u);
    for (uint32_t i = 0; i <= 1000; i++)
        ASSERT_EQ(s[i], 0) << i;
    StrFree(s);
    RtString joined = StrConcat(StrAlloc(2), StrLiteral("x"));   // two NUL bytes, then x
    EXPECT_EQ(TestText(joined), std::string("\0\0x", 3));
    EXPECT_EQ(joined[3], 0);
    EXPECT_EQ(StrLiveCount(), base + 1);
    RtString copy = StrCopy(joined);
    EXPECT_EQ(TestText(copy), TestText(joined));
    StrFree(copy);
    StrFree(joined);
    StrFree(joined);   // reported on the debugger output, nothing released
    StrFree(nullptr);
    StrFree(StrConcat(StrAlloc(0), StrAlloc(0)));
}

TEST_F(StringsTest, CompareIsEqualOnlyForTheSameBytesAndAscConsumes) {
    const struct {
        std::string left, right;
        bool equal;
    } cases[] = {
        {"NO", "NO", true}, {"No", "NO", false}, {"NO ", "NO", false}, {"", "", true},
        {"", "NO", false},  {"\x82\xa0", "\x82\xa0", true},
        {std::string("\0a", 2), std::string("\0b", 2), false},   // the length counts, not the NUL
    };
    for (const auto &c : cases) {
        int32_t r = StrCompare(TestString(c.left), TestString(c.right));
        EXPECT_EQ(r == kStrEqual, c.equal) << c.left << " vs " << c.right << " gave " << r;
    }
    EXPECT_EQ(StrAsc(StrAlloc(0)), 0);
    EXPECT_EQ(StrAsc(StrLiteral("\x82\xa0")), 0x82);
}

// Lengths past kStrMaxLength end the process as an exhausted heap does, before any byte is
// copied; the operands are strings that only say they are that long. The last sum wraps to 0.
TEST(StringLimits, LengthsPastTheLongestStringEndAsOutOfMemory) {
    const uint32_t sums[][2] = {{kStrMaxLength, 1}, {1, kStrMaxLength}, {0x80000000u, 0x80000000u}};
    auto claiming = [](uint32_t n) {
        RtString s = StrAlloc(0);
        std::memcpy(s - 4, &n, 4);
        return s;
    };
    TestStringsReady();
    for (const auto &c : sums)
        EXPECT_EXIT(StrConcat(claiming(c[0]), claiming(c[1])), testing::ExitedWithCode(2),
                    "out of memory") << c[0] << " + " << c[1];
    EXPECT_EXIT(StrAlloc(kStrMaxLength + 1), testing::ExitedWithCode(2), "out of memory");
}

}  // namespace
