// test_strings.h: what every test program that handles runtime strings shares: StrInit once per
// program, strings made from exact bytes (NULs included) and read back by their length, and a
// fixture that fails any test which leaves a different number of live strings than it found; and
// a double's seventeen digits, which tell any two doubles apart, for a failure's message.
#ifndef TESTS_TEST_STRINGS_H
#define TESTS_TEST_STRINGS_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/core/rt_string.h"

// One StrInit for the whole program, whichever file asks first (one static for every includer).
inline void TestStringsReady() {
    static const bool ready = (StrInit(), true);
    (void)ready;
}

inline RtString TestString(const std::string &bytes) {
    RtString s = StrAlloc((uint32_t)bytes.size());
    std::memcpy(s, bytes.data(), bytes.size());
    return s;
}

inline std::string TestText(RtString s) {
    return std::string((const char *)s, StrLength(s));
}

inline std::string Digits17(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", x);
    return text;
}

class StringsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestStringsReady();
        base = StrLiveCount();
    }
    void TearDown() override { EXPECT_EQ(StrLiveCount(), base) << "the test leaked strings"; }
    uint32_t base = 0;   // live strings before the test
};

#endif
