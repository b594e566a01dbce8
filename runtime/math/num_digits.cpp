// num_digits.cpp: NumDigits and DigitRoundUp, the significant decimal digits of a double.
//
// Invariant: the digit buffer holds digit values 0..9 while NumDigits works and ASCII digits with
// a NUL at position count when it returns; nothing reads it after NumToStr has copied it.
//
// Method (count digits, count <= 15):
//   1. zero (either sign): count "0"s, exponent 0, negative 0.
//   2. negative values are replaced by value * -1 and flagged.
//   3. exponent = 1; while value < LOW: value = value * 10, exponent - 1.
//   4. then while value >= HIGH: value = value / 10, exponent + 1. Step 3 is not repeated, so a
//      value this step divided may end in [0.99999999999999893, LOW) with a leading digit 0;
//      the rounding of step 6 then carries it up to 1 followed by zeros.
//   5. for each position: digit = RtInt(value); value = (value - digit) * 10.
//   6. if the remaining value (the next digit with its fraction) is 5 or more, DigitRoundUp at
//      count - 1: half up on the sixteenth digit as the multiplication yields it, not on the
//      exact decimal expansion of the double.
//
// Error: each scaling step of 3-4 rounds (2^-53 relative each, up to ~330 steps for the extreme
// exponents), and each step of 5 multiplies the earlier roundings by 10, so the sixteenth digit
// is only good to about +-0.1. The fifteen digits are within one unit of the fifteenth digit.
//
// Special cases: subnormals work (step 3 just runs longer). Infinities would never leave step 4
// and NaN has no digits: both give count "0"s and exponent 0; NumToStr writes them by name.
//
// A carry never runs past the leading digit for count 15: a leading 9 takes a carry only when all
// fifteen digits are 9 and the next is 5 or more, i.e. value >= 9.999999999999995 >= HIGH, which
// step 4 has already divided.
#include "runtime/math/rt_math.h"

// Lower bound of step 3: 9.99999999999999000799e-01, the double nearest 0.999999999999999.
static const double kLow = 9.99999999999999000799e-01;    // 0x3FEFFFFF, 0xFFFFFFF7
// Upper bound of step 4: 9.99999999999998934186e+00, the double nearest 9.99999999999999.
static const double kHigh = 9.99999999999998934186e+00;   // 0x4023FFFF, 0xFFFFFFFA

// Digit values (then ASCII digits) and the NUL behind them.
static char digitBuffer[kNumDigitsMax + 1];

void DigitRoundUp(int32_t position) {
    if (position < 0)   // unreachable for count 15 (see above); never writes outside the buffer
        return;
    if (digitBuffer[position] == 9) {
        digitBuffer[position] = 0;
        DigitRoundUp(position - 1);
    } else {
        digitBuffer[position] = (char)(digitBuffer[position] + 1);
    }
}

char *NumDigits(double value, int32_t count, int32_t *exponent, int32_t *negative) {
    if (count < 1)
        count = 1;
    if (count > kNumDigitsMax)
        count = kNumDigitsMax;

    *negative = 0;
    *exponent = 0;
    if (value == 0 || value != value || value - value != 0) {   /* zero, NaN, +-inf */
        if (value < 0)
            *negative = 1;
        for (int32_t i = 0; i < count; i++)
            digitBuffer[i] = '0';
        digitBuffer[count] = 0;
        return digitBuffer;
    }
    if (value < 0) {
        *negative = 1;
        value = value * -1.0;
    }

    int32_t e = 1;
    while (value < kLow) {
        value = value * 10.0;
        e = e - 1;
    }
    while (value >= kHigh) {
        value = value / 10.0;
        e = e + 1;
    }

    for (int32_t i = 0; i < count; i++) {
        int32_t digit = RtInt(value);   // 0..9: value stays in [0, 10) throughout
        digitBuffer[i] = (char)digit;
        value = (value - (double)digit) * 10.0;
    }
    digitBuffer[count] = 0;
    if (value >= 5.0)
        DigitRoundUp(count - 1);

    for (int32_t i = 0; i < count; i++)
        digitBuffer[i] = (char)(digitBuffer[i] + '0');
    digitBuffer[count] = 0;
    *exponent = e;
    return digitBuffer;
}
