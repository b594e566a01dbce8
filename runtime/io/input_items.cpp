// input_items.cpp: the InputTargetList and the store of one item text into a typed variable.
//
// Conversions, none of them undefined for any double (the code also runs under UBSan, and a
// double outside the target's range must never reach a C++ cast):
//   32-bit  truncated toward zero; outside -2147483648 .. 2147483647 or NaN: -2147483648
//   64-bit  truncated toward zero; outside the 64-bit range or NaN: -9223372036854775808
//   8/16    the low bits of the 32-bit conversion, so they wrap (and get 0 where it saturates)
//   single  one rounding from the double, to nearest, ties to even; overflow gives an infinity
// Variables are written through memcpy: the list promises only an address, not its alignment.
#include "runtime/io/input_items.h"

#include <cstring>

#include "runtime/core/rt_string.h"

InputTargetList gInputTargets;

void InputTargetsSetOne(void *address, int32_t type) {
    gInputTargets.address[0] = address;
    gInputTargets.type[0] = type;
    gInputTargets.address[1] = nullptr;
}

static int32_t ToInt32(double d) {
    // The open interval (-2^31 - 1, 2^31) is exactly what truncates into range; NaN fails both tests.
    if (d > -2147483649.0 && d < 2147483648.0)
        return (int32_t)d;
    return INT32_MIN;
}

static int64_t ToInt64(double d) {
    // -2^63 - 1 is no double, so [-2^63, 2^63) is the whole range that truncates into int64.
    if (d >= -9223372036854775808.0 && d < 9223372036854775808.0)
        return (int64_t)d;
    return INT64_MIN;
}

// The single nearest to d as its bit pattern. Values of magnitude 2^128 - 2^103 (the midpoint
// between the largest single and 2^128) and above round to an infinity; a NaN keeps its sign and
// the top 22 bits of its payload and becomes quiet, as the hardware conversion does.
static uint32_t ToSingleBits(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    uint32_t sign = (uint32_t)(bits >> 32) & 0x80000000u;
    uint64_t magnitude = bits & 0x7FFFFFFFFFFFFFFFull;
    if (magnitude > 0x7FF0000000000000ull)   // NaN
        return sign | 0x7FC00000u | (uint32_t)((bits & 0x000FFFFFFFFFFFFFull) >> 29);
    if (magnitude >= 0x47EFFFFFF0000000ull)  // |d| >= 0x1.ffffffp127, infinity included
        return sign | 0x7F800000u;
    float f = (float)d;   // in range: a defined conversion, rounded to nearest once
    uint32_t out;
    std::memcpy(&out, &f, 4);
    return out;
}

void StoreInputItem(const uint8_t *text, int32_t index) {
    void *target = gInputTargets.address[index];
    switch (gInputTargets.type[index]) {
    case kInputInt8:
    case kInputInt8b: {
        uint8_t v = (uint8_t)(uint32_t)ToInt32(ParseNumber(text));
        std::memcpy(target, &v, 1);
        break;
    }
    case kInputInt16:
    case kInputInt16b: {
        uint16_t v = (uint16_t)(uint32_t)ToInt32(ParseNumber(text));
        std::memcpy(target, &v, 2);
        break;
    }
    case kInputInt32:
    case kInputInt32b: {
        int32_t v = ToInt32(ParseNumber(text));
        std::memcpy(target, &v, 4);
        break;
    }
    case kInputInt64:
    case kInputInt64b: {
        int64_t v = ToInt64(ParseNumber(text));
        std::memcpy(target, &v, 8);
        break;
    }
    case kInputSingle: {
        uint32_t v = ToSingleBits(ParseNumber(text));
        std::memcpy(target, &v, 4);
        break;
    }
    case kInputDouble: {
        double v = ParseNumber(text);
        std::memcpy(target, &v, 8);
        break;
    }
    case kInputString: {
        // The slot holds a live handle; it is released before the new string takes its place.
        RtString old;
        std::memcpy(&old, target, sizeof old);
        uint32_t n = (uint32_t)std::strlen((const char *)text);
        StrFree(old);
        RtString s = StrAlloc(n);
        std::memcpy(s, text, n);
        std::memcpy(target, &s, sizeof s);
        break;
    }
    default:   // no variable of a known kind: the item is used up, nothing is written
        break;
    }
}
