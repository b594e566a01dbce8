// num_to_str.cpp: NumToStr, the text by which the runtime shows and writes a number.
//
// Invariant: the text has at most 22 bytes (sign, digit, point, fourteen digits, "e", sign, three
// exponent digits) and is built in a 36-byte local buffer, so it cannot overflow.
//
// Layout of the fifteen digits d1..d15 from NumDigits with exponent E (value ~ d1.d2.. * 10^(E-1)):
//   E > 15:        d1 "." d2..d15 "e" and E-1 as "+%03d"   (+015, +308); zeros kept
//   E < -3:        d1 "." d2..d15 "e" and E-1 as "%03d"    (-05, -324); zeros kept
//   -3 <= E <= 15: positional. E >= 1: d1..dE "."; else "0." and -E zeros. Then the remaining
//                  digits up to d15; trailing "0"s are dropped (the "." stops them), and then a
//                  trailing ".".
// A "-" leads for negative values; positive values get no sign and no blank. So the scientific
// form is used for values that round to 1e15 or more or to below 1e-4 in magnitude.
//
// Special cases: zero (either sign) gives "0"; +inf, -inf and NaN give "inf", "-inf", "nan".
#include "runtime/math/rt_math.h"

#include "runtime/core/rt_decimal.h"

enum { kTextCapacity = 36 };

// Appends the exponent E - 1 as the scientific form writes it: a sign and at least three
// characters in all for a positive exponent ("+015"), at least two digits after "-" ("-05").
static int32_t AppendExponent(char *text, int32_t length, int32_t power) {
    uint32_t magnitude;
    int32_t width;
    if (power >= 0) {
        text[length++] = '+';
        magnitude = (uint32_t)power;
        width = 3;
    } else {
        text[length++] = '-';
        magnitude = 0u - (uint32_t)power;
        width = 2;
    }
    char digits[kRtDecimalMax];
    int32_t n = RtDecimal(magnitude, digits);
    for (int32_t pad = n; pad < width; pad++)
        text[length++] = '0';
    std::memcpy(text + length, digits, (size_t)n);
    return length + n;
}

static RtString TextToString(const char *text, int32_t length) {
    RtString s = StrAlloc((uint32_t)length);
    std::memcpy(s, text, (size_t)length);
    return s;
}

RtString NumToStr(double value) {
    char text[kTextCapacity];
    int32_t length = 0;

    if (value != value)
        return TextToString("nan", 3);
    if (value - value != 0) {   /* +-inf */
        if (value < 0)
            return TextToString("-inf", 4);
        return TextToString("inf", 3);
    }

    int32_t exponent, negative;
    const char *digits = NumDigits(value, kNumDigitsMax, &exponent, &negative);
    if (negative == 1)
        text[length++] = '-';

    if (exponent > 15 || exponent < -3) {
        text[length++] = digits[0];
        text[length++] = '.';
        for (int32_t i = 1; i < kNumDigitsMax; i++)
            text[length++] = digits[i];
        text[length++] = 'e';
        length = AppendExponent(text, length, exponent - 1);
        return TextToString(text, length);
    }

    int32_t next;   // the first digit not yet written
    if (exponent >= 1) {
        for (next = 0; next < exponent; next++)
            text[length++] = digits[next];
        text[length++] = '.';
    } else {
        text[length++] = '0';
        text[length++] = '.';
        for (int32_t i = 0; i < -exponent; i++)
            text[length++] = '0';
        next = 0;
    }
    for (; next < kNumDigitsMax; next++)
        text[length++] = digits[next];
    while (text[length - 1] == '0')
        length--;
    if (text[length - 1] == '.')
        length--;
    return TextToString(text, length);
}
