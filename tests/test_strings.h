// test_strings.h: StrInit once per program, strings of exact bytes (NULs included) and back, a
// fixture that fails a test which changes the number of live strings, and a double's 17 digits.
#ifndef TESTS_TEST_STRINGS_H
#define TESTS_TEST_STRINGS_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/core/rt_string.h"

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
