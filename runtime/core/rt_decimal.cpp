// rt_decimal.cpp: RtDecimal. The digits come out least significant first, into a local buffer of
// kRtDecimalMax bytes (enough for any uint32_t), and are copied to out in reverse.
#include "runtime/core/rt_decimal.h"

int32_t RtDecimal(uint32_t value, char *out) {
    char reversed[kRtDecimalMax];
    int32_t n = 0;
    do {
        reversed[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int32_t i = 0; i < n; i++)
        out[i] = reversed[n - 1 - i];
    return n;
}
