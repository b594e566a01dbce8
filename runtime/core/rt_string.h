// rt_string.h: counted byte strings on the process heap, every live one listed in one registry.
//
// Layout of one string, one zero-filled heap block of n + 5 bytes:
//
//     [ n: uint32 ][ n bytes of text ][ NUL ]
//                  ^ the handle points here
//
// The length n counts the text bytes only; the NUL behind them is not counted. The length is
// authoritative: the text may hold NUL bytes, and copy, concatenation and comparison carry them.
// n is at most kStrMaxLength, so that the block's n + 5 bytes fit in 32 bits on every target.
// An operation that would make a longer string (StrAlloc of more, StrLiteral of a longer text, a
// StrConcat whose lengths add up to more) ends the process as an exhausted heap does (exit code
// 2, plat_core.h) before it allocates or copies anything: the sum is checked, never wrapped.
// Text is code page 932; a double-byte character counts as two bytes.
//
// Ownership: every string an operation receives as an operand is consumed (released) by it;
// every string it returns is new and belongs to the caller. A string variable owns its string
// and releases the old one before it takes a new one. A null handle stands for "no string" and
// only StrFree accepts it.
//
// The registry holds every string that StrAlloc returned and StrFree has not released, once
// each, in allocation order. One lock guards it and nothing else; no other lock of the system is
// taken while it is held (the console lock, where held, is always taken first).
#ifndef RUNTIME_CORE_RT_STRING_H
#define RUNTIME_CORE_RT_STRING_H

#include <cstdint>
#include <cstring>

typedef uint8_t *RtString;

// The longest string: 2^32 - 6 bytes of text.
const uint32_t kStrMaxLength = 0xFFFFFFFFu - 5;

// The message written to the debugger output when a handle the registry does not hold is released.
extern const char kStrUnknownReleaseMessage[];

void StrInit();                       // once, at process start, before any other Str call
RtString StrAlloc(uint32_t n);        // n NUL bytes
void StrFree(RtString s);             // null: nothing; unknown: reported, nothing released
RtString StrLiteral(const char *text);  // copies text up to its first NUL
RtString StrCopy(RtString s);         // s stays with its owner
RtString StrConcat(RtString left, RtString right);   // consumes left, then right
int32_t StrCompare(RtString left, RtString right);   // 1, 2 (equal), 3, or 0; consumes both
int32_t StrAsc(RtString s);           // first byte, 0 to 255; consumes s
// StrAlloc under the name the program's calls use where they want a buffer to fill through the
// handle (an echo, a typed line, a paste); the same block, the same registry entry.
RtString StrBuffer(uint32_t n);

// Results of StrCompare, as CompareStringA gives them (CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN).
enum { kStrLess = 1, kStrEqual = 2, kStrGreater = 3 };

// The length stored in the four bytes before the handle.
inline uint32_t StrLength(RtString s) {
    uint32_t n;
    std::memcpy(&n, s - 4, 4);
    return n;
}

// Stores a new string into a string variable: releases the string the variable held first.
inline void StrAssign(RtString *variable, RtString value) {
    StrFree(*variable);
    *variable = value;
}

// For tests and diagnostics: the number of live strings, and the handle at an index of the
// registry (null past the end). Both take the registry lock.
uint32_t StrLiveCount();
RtString StrLiveAt(uint32_t index);

#endif
