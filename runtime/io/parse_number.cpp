// parse_number.cpp: the one conversion of an item text into a double.
//
// The value is summed digit by digit in double arithmetic, each product, quotient and sum rounded
// on its own in the order written here, so the result is not always the double nearest to the
// decimal text (0.123 comes out as 0.1 + 0.02 + 0.003, one unit in the last place high). Keep the
// parentheses: they are the order of operations.
//
//   decimal  [blanks/tabs][- or +]digits[.digits]   anything after it is ignored; no exponent
//   &H / &O  hexadecimal or octal digits, summed as signed 64-bit terms that wrap modulo 2^64
//
// Never fails: text without a number is 0. The text is only read, never changed or kept.
#include "runtime/io/input_items.h"

#include <cstring>

// Upper case of an ASCII letter; every other byte unchanged.
static uint8_t AsciiUpper(uint8_t c) {
    return (c >= 'a' && c <= 'z') ? (uint8_t)(c - 'a' + 'A') : c;
}

// Value of c as a digit of base 8 or 16, or -1 when it is none.
static int DigitValue(uint8_t c, uint32_t base) {
    c = AsciiUpper(c);
    if (c >= '0' && c <= '7')
        return c - '0';
    if (base == 16 && c >= '8' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// text points at the "&". Digits are summed from the last to the first; both the weight and each
// term wrap modulo 2^64, and each term is read as a signed 64-bit integer (exact as a double only
// up to 2^53; the conversion rounds to nearest). A 17th hex or 23rd octal digit from the right
// has weight 0.
static double ParseBased(const uint8_t *text) {
    uint8_t form = AsciiUpper(text[1]);
    uint32_t base = form == 'H' ? 16 : form == 'O' ? 8 : 0;
    if (base == 0)
        return 0.0;
    const uint8_t *digits = text + 2;
    uint32_t n = 0;
    while (DigitValue(digits[n], base) >= 0)
        n++;
    double result = 0.0;
    uint64_t weight = 1;
    for (uint32_t k = n; k-- > 0;) {
        uint64_t term = (uint64_t)DigitValue(digits[k], base) * weight;
        result = (double)(int64_t)term + result;   // two's-complement reading of the wrapped term
        weight = weight * base;
    }
    return result;
}

double ParseNumber(const uint8_t *text) {
    while (*text == ' ' || *text == '\t')
        text++;
    if (*text == '&')
        return ParseBased(text);

    bool negative = false;
    if (*text == '-') {
        negative = true;
        text++;
    } else if (*text == '+') {
        text++;
    }

    // Integer part, from its last digit to its first. From the 310th digit on the weight is
    // infinite: a 0 digit there gives 0 * inf, not a number, and that stays.
    uint32_t n = 0;
    while (text[n] >= '0' && text[n] <= '9')
        n++;
    double result = 0.0;
    double weight = 1.0;
    for (uint32_t k = n; k-- > 0;) {
        result = ((double)(text[k] - '0') * weight) + result;
        weight = weight * 10.0;
    }

    // Fraction, left to right; the divisor becomes infinite at the 309th digit, which adds 0.
    const uint8_t *p = text + n;
    if (*p == '.') {
        double divisor = 10.0;
        for (p++; *p >= '0' && *p <= '9'; p++) {
            result = result + ((double)(*p - '0') / divisor);
            divisor = divisor * 10.0;
        }
    }

    if (negative)
        result = result * -1.0;   // a sign without digits gives -0
    return result;
}

// Whether nothing but blanks and tabs is left: blanks behind a number end it, as they end a
// number item of a file, and are no part of it.
static bool OnlyBlanks(const uint8_t *text) {
    while (*text == ' ' || *text == '\t')
        text++;
    return *text == 0;
}

bool NumberIsWhole(const uint8_t *text) {
    while (*text == ' ' || *text == '\t')
        text++;
    if (*text == 0)
        return true;
    if (*text == '&') {
        uint8_t form = AsciiUpper(text[1]);
        uint32_t base = form == 'H' ? 16 : form == 'O' ? 8 : 0;
        const uint8_t *p = text + 2;
        if (base == 0 || DigitValue(*p, base) < 0)
            return false;
        while (DigitValue(*p, base) >= 0)
            p++;
        return OnlyBlanks(p);
    }
    if (*text == '-' || *text == '+')
        text++;
    uint32_t digits = 0;
    for (; *text >= '0' && *text <= '9'; text++)
        digits++;
    if (*text == '.')
        for (text++; *text >= '0' && *text <= '9'; text++)
            digits++;
    return digits > 0 && OnlyBlanks(text);
}

// What of a long number the rules read: of the integer (or &H / &O) run only its last
// kNumberTextRun digits have finite weight (the 310th decimal digit from the right and every one
// before it weighs infinity, the 17th hex and 23rd octal digit 0), so the digits before them count
// only as "a 0 among them" (0 * inf is NaN) or "none". The run keeps its first kNumberTextHead
// digits (what the user is shown) and its last kNumberTextRun; the digits between become one,
// '0' when a 0 was among them, else '1', at a place whose weight is infinite (or 0) as theirs was.
// Of the fraction only the first 308 digits add anything; from the 309th on each adds 0. Behind the
// number one byte tells "not wholly a number"; the text's first kNumberTextHead bytes are kept.
static bool IsRunDigit(uint8_t c, uint32_t base) {
    return base == 10 ? c >= '0' && c <= '9' : base != 0 && DigitValue(c, base) >= 0;
}

uint32_t NumberTextSqueeze(uint8_t *text, uint32_t length) {
    uint32_t p = 0;
    while (p < length && (text[p] == ' ' || text[p] == '\t'))
        p++;
    uint32_t base = 10;
    if (p < length && text[p] == '&') {
        uint8_t form = p + 1 < length ? AsciiUpper(text[p + 1]) : 0;
        base = form == 'H' ? 16 : form == 'O' ? 8 : 0;
        p += base != 0 ? 2 : 1;
    } else if (p < length && (text[p] == '-' || text[p] == '+')) {
        p++;
    }
    uint32_t end = p;
    while (end < length && IsRunDigit(text[end], base))
        end++;
    if (end - p > kNumberTextHead + 1 + kNumberTextRun) {
        uint32_t cut = p + kNumberTextHead, kept = end - kNumberTextRun;
        text[cut] = std::memchr(text + cut, '0', kept - cut) != nullptr ? '0' : '1';
        std::memmove(text + cut + 1, text + kept, length - kept);
        length -= kept - cut - 1;
        end -= kept - cut - 1;
    }
    if (base == 10 && end < length && text[end] == '.') {
        p = ++end;
        while (end < length && IsRunDigit(text[end], 10))
            end++;
        if (end - p > kNumberTextRun) {
            std::memmove(text + p + kNumberTextRun, text + end, length - end);
            length -= end - p - kNumberTextRun;
            end = p + kNumberTextRun;
        }
    }
    uint32_t kept = end + 1 > kNumberTextHead ? end + 1 : kNumberTextHead;
    return length < kept ? length : kept;
}
