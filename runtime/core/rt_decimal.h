// rt_decimal.h: the decimal digits of an unsigned integer, the one writer of them that the
// runtime's texts (a number's exponent, a temporary file's name, the progress in the title) and
// the picture's coordinates share. Pure integer arithmetic: the same bytes on every platform,
// whatever the locale, and no C library formatting.
#ifndef RUNTIME_CORE_RT_DECIMAL_H
#define RUNTIME_CORE_RT_DECIMAL_H

#include <cstdint>

// The most digits a uint32_t has (4294967295).
enum { kRtDecimalMax = 10 };

// Writes value's decimal digits at out, most significant first, without sign, leading zero or
// NUL ("0" for zero): 1 to kRtDecimalMax bytes. Returns how many.
int32_t RtDecimal(uint32_t value, char *out);

#endif
