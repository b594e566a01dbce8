// Number to text: the exact characters, the all-nines carry, the form and the non-finite values.
// The shape and read-back of any double's text: the fuzzer.
#include "runtime/math/rt_math.h"
#include "tests/test_strings.h"

namespace {

using NumText = StringsTest;

std::string Text(double x) {
    RtString s = NumToStr(x);
    std::string text = TestText(s);
    StrFree(s);
    return text;
}

TEST_F(NumText, TableByteForByte) {
    const double inf = RtDoubleOf(kRtInfBits);
    struct {
        double value;
        const char *text;
    } cases[] = {
        {0, "0"}, {-0.0, "0"}, {-1, "-1"}, {-0.5, "-0.5"}, {100, "100"}, {123.456, "123.456"},
        {3.141592653589793, "3.14159265358979"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {0.30000000000000004, "0.3"}, {0.0001, "0.0001"},
        {0.0001234, "0.0001234"}, {-0.00001, "-1.00000000000000e-05"},
        {1e-100, "1.00000000000000e-100"}, {4.9406564584124654e-324, "4.94065645841247e-324"},
        {0.9999999999999999, "1"}, {9.999999999999998, "10"}, {1e14, "100000000000000"},
        {123456789012345.6, "123456789012346"}, {999999999999999, "1.00000000000000e+015"},
        {1234567890123456, "1.23456789012346e+015"}, {6.02214076e23, "6.02214076000000e+023"},
        {1e100, "1.00000000000000e+100"}, {1.7976931348623157e308, "1.79769313486232e+308"},
        // fifteen nines carry to the next power of ten, fourteen stay
        {9.99999999999999, "10"}, {99999.9999999999, "100000"}, {0.99999999999999, "0.99999999999999"},
        // the form follows the exponent after rounding
        {0.0000999999999999999, "0.0001"}, {0.000099999999999999, "9.99999999999990e-05"},
        {12345.67890123456, "12345.6789012346"}, {0.0001234567890123456, "0.000123456789012346"},
        // the sixteenth digit as (value - digit) * 10 yields it, not as value * 10 - digit * 10
        {3.613262330227255, "3.61326233022726"}, {8.937416775764785, "8.93741677576478"},
        {inf, "inf"}, {-inf, "-inf"}, {RtDoubleOf(0xFFF8000000000000ull), "nan"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Text(c.value), c.text) << "value " << Digits17(c.value);
}

}  // namespace
