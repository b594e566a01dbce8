// fuzz_input_items.cpp: ParseNumber and StoreInputItem over arbitrary item texts and every type
// code (and codes beside them).
//
// Input: byte 0 picks the type code (0 to 12; 0 and 12 are unknown codes), the rest is the item
// text, cut at its first NUL as the input operations hand it on.
// Each target variable is a heap block exactly as wide as its type and deliberately misaligned,
// so that a store wider than the type, or one that assumes alignment, is a sanitizer report.
// Checked beside the sanitizers:
//   - a double target holds exactly ParseNumber's value; an unknown code writes nothing;
//   - a string target holds the text's bytes, and the string it held before is released;
//   - a text of at most 15 plain decimal digits parses to exactly that integer (every partial
//     sum is exact below 2^53, so the digit-by-digit sum must be too).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/rt_string.h"
#include "runtime/io/input_items.h"

static void Fail(const char *what, const std::string &text) {
    std::fprintf(stderr, "fuzz_input_items: %s (text of %zu bytes)\n", what, text.size());
    std::abort();
}

// Width of each type code's variable; 1 for the unknown codes 0 and 12.
static size_t Width(int32_t type) {
    static const size_t kWidth[13] = {1, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8, sizeof(RtString), 1};
    return kWidth[type];
}

static bool AllDecimalDigits(const std::string &text) {
    if (text.empty() || text.size() > 15)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready)
        StrInit();
    ready = true;
    if (size == 0)
        return 0;

    int32_t type = data[0] % 13;
    std::string text((const char *)data + 1, size - 1);
    text = text.c_str();   // the item ends at its first NUL

    double value = ParseNumber((const uint8_t *)text.c_str());
    if (AllDecimalDigits(text) && value != (double)std::strtoull(text.c_str(), nullptr, 10))
        Fail("a short decimal integer did not parse exactly", text);

    // One spare byte in front: the variable starts at an odd address.
    size_t width = Width(type);
    uint8_t *block = (uint8_t *)std::malloc(width + 1);
    uint8_t *variable = block + 1;
    std::memset(variable, 0xA5, width);
    uint32_t liveBefore = StrLiveCount();
    if (type == kInputString) {
        RtString old = StrLiteral("old");
        std::memcpy(variable, &old, sizeof old);
        liveBefore++;
    }

    InputTargetsSetOne(variable, type);
    StoreInputItem((const uint8_t *)text.c_str(), 0);

    if (type == kInputDouble && std::memcmp(variable, &value, 8) != 0)
        Fail("a double target does not hold ParseNumber's value", text);
    if ((type == 0 || type == 12) && (variable[0] != 0xA5))
        Fail("an unknown type code wrote its variable", text);
    if (type == kInputString) {
        RtString stored;
        std::memcpy(&stored, variable, sizeof stored);
        if (StrLength(stored) != text.size() || std::memcmp(stored, text.data(), text.size()) != 0)
            Fail("a string target does not hold the text", text);
        if (StrLiveCount() != liveBefore)
            Fail("the old string was not released", text);
        StrFree(stored);
    }
    std::free(block);
    return 0;
}
