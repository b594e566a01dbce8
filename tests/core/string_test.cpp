// Runtime strings: layout, ownership and the registry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/core/rt_string.h"

namespace {

class Strings : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static bool ready = false;
        if (!ready)
            StrInit();
        ready = true;
    }
    void SetUp() override { base = StrLiveCount(); }
    void TearDown() override { EXPECT_EQ(StrLiveCount(), base) << "a test leaked strings"; }
    uint32_t base = 0;
};

std::string Text(RtString s) {
    return std::string((const char *)s, StrLength(s));
}

TEST_F(Strings, AllocIsZeroFilledAndCounted) {
    for (uint32_t n : {0u, 1u, 7u, 1000u}) {
        RtString s = StrAlloc(n);
        EXPECT_EQ(StrLength(s), n);
        for (uint32_t i = 0; i <= n; i++)
            ASSERT_EQ(s[i], 0) << "n=" << n << " i=" << i;
        EXPECT_EQ(StrLiveCount(), base + 1);
        StrFree(s);
    }
}

TEST_F(Strings, ConcatConsumesBothAndKeepsNulBytes) {
    RtString joined = StrConcat(StrLiteral("ab"), StrLiteral("c"));
    EXPECT_EQ(Text(joined), "abc");
    EXPECT_EQ(joined[3], 0);
    EXPECT_EQ(StrLiveCount(), base + 1);
    StrFree(joined);

    RtString empty = StrConcat(StrAlloc(0), StrAlloc(0));
    EXPECT_EQ(StrLength(empty), 0u);
    EXPECT_EQ(StrLiveCount(), base + 1);
    StrFree(empty);

    RtString withNul = StrConcat(StrAlloc(2), StrLiteral("x"));   // two NUL bytes, then x
    EXPECT_EQ(Text(withNul), std::string("\0\0x", 3));
    RtString copy = StrCopy(withNul);
    EXPECT_EQ(Text(copy), Text(withNul));
    StrFree(copy);
    StrFree(withNul);
}

TEST_F(Strings, CompareReportsEqualOnlyForSameBytes) {
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
    RtString a = StrConcat(StrAlloc(1), StrLiteral("a"));
    RtString b = StrConcat(StrAlloc(1), StrLiteral("b"));
    EXPECT_NE(StrCompare(a, b), kStrEqual);
}

TEST_F(Strings, AscGivesFirstByteAndConsumes) {
    EXPECT_EQ(StrAsc(StrAlloc(0)), 0);
    EXPECT_EQ(StrAsc(StrLiteral("A")), 65);
    EXPECT_EQ(StrAsc(StrLiteral("\x82\xa0")), 0x82);
    EXPECT_EQ(StrAsc(StrLiteral("\xe0\x40")), 0xe0);
}

TEST_F(Strings, RegistryKeepsAllocationOrderAcrossRelease) {
    RtString a = StrAlloc(1), b = StrAlloc(2), c = StrAlloc(3);
    StrFree(b);
    ASSERT_EQ(StrLiveCount(), base + 2);
    EXPECT_EQ(StrLiveAt(base), a);
    EXPECT_EQ(StrLiveAt(base + 1), c);
    StrFree(a);
    StrFree(c);
}

TEST_F(Strings, DoubleReleaseAndNullChangeNothing) {
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

TEST_F(Strings, ManyLiveStringsGrowTheRegistry) {
    RtString held[300];
    for (int i = 0; i < 300; i++)
        held[i] = StrAlloc((uint32_t)i);
    for (int i = 0; i < 300; i += 2)
        StrFree(held[i]);
    for (int i = 1, at = 0; i < 300; i += 2, at++)
        ASSERT_EQ(StrLiveAt(base + at), held[i]);
    for (int i = 1; i < 300; i += 2)
        StrFree(held[i]);
}

}  // namespace
