// Runtime strings: layout, ownership and the registry.
#include "tests/test_strings.h"

namespace {

TEST_F(StringsTest, AllocIsZeroFilledAndCounted) {
    for (uint32_t n : {0u, 1u, 7u, 1000u}) {
        RtString s = StrAlloc(n);
        EXPECT_EQ(StrLength(s), n);
        for (uint32_t i = 0; i <= n; i++)
            ASSERT_EQ(s[i], 0) << "n=" << n << " i=" << i;
        EXPECT_EQ(StrLiveCount(), base + 1);
        StrFree(s);
    }
}

TEST_F(StringsTest, ConcatConsumesBothAndKeepsNulBytes) {
    RtString joined = StrConcat(StrLiteral("ab"), StrLiteral("c"));
    EXPECT_EQ(TestText(joined), "abc");
    EXPECT_EQ(joined[3], 0);
    EXPECT_EQ(StrLiveCount(), base + 1);
    StrFree(joined);

    RtString empty = StrConcat(StrAlloc(0), StrAlloc(0));
    EXPECT_EQ(StrLength(empty), 0u);
    EXPECT_EQ(StrLiveCount(), base + 1);
    StrFree(empty);

    RtString withNul = StrConcat(StrAlloc(2), StrLiteral("x"));   // two NUL bytes, then x
    EXPECT_EQ(TestText(withNul), std::string("\0\0x", 3));
    RtString copy = StrCopy(withNul);
    EXPECT_EQ(TestText(copy), TestText(withNul));
    StrFree(copy);
    StrFree(withNul);
}

TEST_F(StringsTest, CompareReportsEqualOnlyForSameBytes) {
    struct {
        const char *left, *right;
        int32_t result;
    } cases[] = {
        {"NO", "NO", kStrEqual},   {"No", "NO", 0},  {"NO ", "NO", 0}, {"no", "NO", 0},
        {"", "", kStrEqual},       {"", "NO", 0},    {"\x82\xa0", "\x82\xa0", kStrEqual},
    };
    for (const auto &c : cases) {
        int32_t r = StrCompare(StrLiteral(c.left), StrLiteral(c.right));
        if (c.result == kStrEqual)
            EXPECT_EQ(r, kStrEqual) << c.left << " vs " << c.right;
        else
            EXPECT_TRUE(r == kStrLess || r == kStrGreater) << c.left << " vs " << c.right << " gave " << r;
    }
    // Strings that differ only after a NUL byte are different: the length counts.
    EXPECT_NE(StrCompare(TestString(std::string("\0a", 2)), TestString(std::string("\0b", 2))),
              kStrEqual);
}

TEST_F(StringsTest, AscGivesFirstByteUnsignedAndConsumes) {
    EXPECT_EQ(StrAsc(StrAlloc(0)), 0);
    EXPECT_EQ(StrAsc(StrLiteral("A")), 65);
    EXPECT_EQ(StrAsc(StrLiteral("\x82\xa0")), 0x82);
}

// Releasing every other one of 300 strings: the registry grows past any small start and keeps
// the survivors in allocation order.
TEST_F(StringsTest, RegistryGrowsAndKeepsAllocationOrderAcrossRelease) {
    RtString held[300];
    for (int i = 0; i < 300; i++)
        held[i] = StrAlloc((uint32_t)i);
    for (int i = 0; i < 300; i += 2)
        StrFree(held[i]);
    ASSERT_EQ(StrLiveCount(), base + 150);
    for (int i = 1, at = 0; i < 300; i += 2, at++)
        ASSERT_EQ(StrLiveAt(base + at), held[i]);
    for (int i = 1; i < 300; i += 2)
        StrFree(held[i]);
}

TEST_F(StringsTest, DoubleReleaseAndNullChangeNothing) {
    RtString kept = StrAlloc(4);
    RtString s = StrAlloc(1);
    StrFree(s);
    uint32_t after = StrLiveCount();
    StrFree(s);      // reported on the debugger output, nothing released
    StrFree(nullptr);
    EXPECT_EQ(StrLiveCount(), after);
    EXPECT_EQ(StrLiveAt(base), kept);
    StrFree(kept);
}

}  // namespace
