// input_items.h: the list of variables one input operation fills, and the one conversion of an
// item text into a typed variable that both input operations (console and files) share.
#ifndef RUNTIME_IO_INPUT_ITEMS_H
#define RUNTIME_IO_INPUT_ITEMS_H

#include <cstdint>

enum { kInputTargets = 32 };   // at most 31 variables and the null address that ends the list

// Type codes: how item i is converted and how wide its variable is.
enum : int32_t {
    kInputInt8 = 1, kInputInt8b = 2,      // low 8 bits of the 32-bit conversion
    kInputInt16 = 3, kInputInt16b = 4,    // low 16 bits of the 32-bit conversion
    kInputInt32 = 5, kInputInt32b = 6,    // truncated; outside the range or NaN: -2147483648
    kInputInt64 = 7, kInputInt64b = 8,    // truncated; outside the range or NaN: INT64_MIN
    kInputSingle = 9,                     // rounded once to the nearest single
    kInputDouble = 10,
    kInputString = 11,                    // address of the variable that holds an RtString
};

// Entry i names the i-th variable; the list ends at the first null address. Process-wide and
// without a lock: only the program thread runs input operations, one at a time.
struct InputTargetList {
    void *address[kInputTargets];
    int32_t type[kInputTargets];
};
extern InputTargetList gInputTargets;

// Makes the list name exactly one variable (entry 0) and ends it (entry 1).
void InputTargetsSetOne(void *address, int32_t type);

// The value of an item text (NUL-terminated, code page 932); never fails.
double ParseNumber(const uint8_t *text);
// Whether text reads wholly as a number: after the blanks and tabs ParseNumber skips, it is empty,
// or it is all of one form ParseNumber takes, with nothing but blanks and tabs behind it:
// [-|+]digits[.digits] with a digit on at least one side of the point, or &H / &O (any case) and
// at least one digit of its base. "1e5", "12.5%", "1 2", a quoted "3" and "-" are not:
// ParseNumber reads a part of them, or nothing.
bool NumberIsWhole(const uint8_t *text);
// Shortens the first length bytes of an item text in place so that ParseNumber and NumberIsWhole
// read the same of them as of the whole, and its first kNumberTextHead bytes stay as they are;
// returns the new length: behind the blanks it begins with, at most kNumberTextHead +
// 2 * kNumberTextRun + 5 bytes. A reader can so hold a number of any length in bounded
// room: it squeezes whenever its room is full and appends on.
enum : uint32_t { kNumberTextHead = 32, kNumberTextRun = 320 };
uint32_t NumberTextSqueeze(uint8_t *text, uint32_t length);
// Stores an item text (NUL-terminated; stays the caller's) into variable index of the list.
void StoreInputItem(const uint8_t *text, int32_t index);

#endif
