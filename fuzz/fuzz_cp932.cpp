// fuzz_cp932.cpp: UTF-8 <-> code page 932 over arbitrary bytes and capacities.
//
// Input: byte 0 picks the capacity (bit 0: the full capacity or a smaller one from byte 1) and
// where a text is split in two (byte 1); the rest is the text, read both as UTF-8 and as 932.
// Every output buffer is a heap block exactly as large as the capacity passed, so a write beyond
// it is a sanitizer report. Checked beside:
//   - no conversion returns more bytes than its capacity;
//   - 932 -> UTF-8 gives well-formed UTF-8, and two calls with the lead byte carried between
//     them give exactly what one call gives;
//   - UTF-8 -> 932 -> UTF-8 -> 932 gives the first 932 text again (each character has one 932 form).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/cp932.h"

static void Fail(const char *what) {
    std::fprintf(stderr, "fuzz_cp932: %s\n", what);
    std::abort();
}

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
static bool IsUtf8(const uint8_t *p, size_t n) {
    for (size_t i = 0; i < n;) {
        uint8_t b = p[i];
        size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > n)
            return false;
        uint32_t cp = len == 1 ? b : b & (0xFF >> (len + 1));
        for (size_t j = 1; j < len; j++) {
            if ((p[i + j] & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (p[i + j] & 0x3F);
        }
        static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

// 932 -> UTF-8 into an exact heap block of cap bytes.
static std::string ToUtf8(const uint8_t *in, size_t n, size_t cap, uint8_t *pending) {
    uint8_t *out = (uint8_t *)std::malloc(cap ? cap : 1);
    size_t got = Cp932ToUtf8(in, n, out, cap, pending);
    if (got > cap)
        Fail("932 -> UTF-8 returned more than its capacity");
    std::string s((const char *)out, got);
    std::free(out);
    return s;
}

static std::string FromUtf8(const uint8_t *in, size_t n, size_t cap) {
    uint8_t *out = (uint8_t *)std::malloc(cap ? cap : 1);
    size_t got = Cp932FromUtf8(in, n, out, cap);
    if (got > cap)
        Fail("UTF-8 -> 932 returned more than its capacity");
    std::string s((const char *)out, got);
    std::free(out);
    return s;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    bool small = (data[0] & 1) != 0;
    const uint8_t *text = data + 2;
    size_t n = size - 2;
    size_t split = n ? data[1] % (n + 1) : 0;

    // 932 -> UTF-8: whole, then in two calls carrying the lead byte.
    size_t full = 3 * n + 3;
    uint8_t pendingWhole = 0;
    std::string whole = ToUtf8(text, n, small ? data[1] % (full + 1) : full, &pendingWhole);
    if (!IsUtf8((const uint8_t *)whole.data(), whole.size()))
        Fail("932 -> UTF-8 gave malformed UTF-8");
    if (!small) {
        uint8_t pending = 0;
        std::string parts = ToUtf8(text, split, 3 * split + 3, &pending);
        parts += ToUtf8(text + split, n - split, 3 * (n - split) + 3, &pending);
        if (parts != whole || pending != pendingWhole)
            Fail("two calls with the lead byte carried differ from one");
    }

    // UTF-8 -> 932, and the round trip of its result.
    std::string code = FromUtf8(text, n, small ? data[1] % (n + 1) : n);
    if (!small) {
        uint8_t pending = 0;
        std::string back = ToUtf8((const uint8_t *)code.data(), code.size(), 3 * code.size() + 3, &pending);
        std::string again = FromUtf8((const uint8_t *)back.data(), back.size(), back.size());
        if (pending != 0 || again != code)
            Fail("a 932 text made from UTF-8 does not come back the same");
    }
    return 0;
}
