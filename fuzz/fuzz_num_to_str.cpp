// fuzz_num_to_str.cpp: NumToStr over arbitrary bit patterns of doubles.
//
// Input: 8 bytes, the double's bits (shorter inputs are zero-filled).
// Checked beside the sanitizers: the call ends (libFuzzer's timeout), the text has 1 to 22
// bytes in the runtime's form (-?digits[.digits][e+ddd|e-dd]), the non-finite values have their
// names, and the text reads back within one unit of its fifteenth significant digit (the
// digits' own bound).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/rt_string.h"
#include "runtime/math/rt_math.h"

static void Fail(const char *what, const std::string &text, double v) {
    std::fprintf(stderr, "fuzz_num_to_str: %s: \"%s\" for %a\n", what, text.c_str(), v);
    std::abort();
}

static bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// -?D+(.D+)?(e[+-]D+)? with no trailing "." or fraction zero in the positional form.
static bool WellFormed(const std::string &t) {
    size_t i = 0;
    if (i < t.size() && t[i] == '-')
        i++;
    size_t digits = i;
    while (i < t.size() && IsDigit(t[i]))
        i++;
    if (i == digits)
        return false;
    if (i < t.size() && t[i] == '.') {
        size_t fraction = ++i;
        while (i < t.size() && IsDigit(t[i]))
            i++;
        if (i == fraction)
            return false;
    }
    if (i < t.size() && t[i] == 'e') {
        i++;
        if (i == t.size() || (t[i] != '+' && t[i] != '-'))
            return false;
        size_t exponent = ++i;
        while (i < t.size() && IsDigit(t[i]))
            i++;
        if (i - exponent < 2)
            return false;
    }
    return i == t.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready)
        StrInit();
    ready = true;
    uint64_t bits = 0;
    std::memcpy(&bits, data, size < 8 ? size : 8);
    double v;
    std::memcpy(&v, &bits, 8);

    RtString s = NumToStr(v);
    std::string text((const char *)s, StrLength(s));
    StrFree(s);
    if (text.empty() || text.size() > 22)
        Fail("the text is empty or longer than 22 bytes", text, v);
    if (v != v || v - v != 0) {
        const char *name = v != v ? "nan" : v < 0 ? "-inf" : "inf";
        if (text != name)
            Fail("a non-finite value has the wrong name", text, v);
        return 0;
    }
    if (!WellFormed(text))
        Fail("the text is not a number in the runtime's form", text, v);
    // Read back wider than a double: the fifteen-digit text of a value near the largest double
    // may lie above it ("1.79769313486232e+308"), and the digits of a subnormal are finer than
    // its spacing.
    long double back = std::strtold(text.c_str(), nullptr);
    long double error = back > v ? back - v : v - back;
    long double magnitude = v < 0 ? -(long double)v : v;
    if (error > 1.01e-14L * magnitude)
        Fail("the text does not read back within the fifteenth digit", text, v);
    return 0;
}
