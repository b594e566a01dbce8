// fuzz_term_keys.cpp: the terminal key decoder over arbitrary bytes, with the Escape timeout
// at arbitrary points.
//
// Input: byte 0 says after which bytes the timeout runs while a sequence is pending (bit 7 off:
// never; else every (byte & 15) + 1 bytes); the rest is what the terminal sends.
// Checked beside the sanitizers (the decoder lives in a heap block exactly its size):
//   - a fed byte gives at most two characters, never ESC, NUL, Ctrl+C or Ctrl+\ (ESC comes only
//     from the timeout; the other three are dropped or close);
//   - a finished paste gives the paste key and a clipboard text within its capacity;
//   - the decoder's counters stay within their buffers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/term_keys.h"

static void Fail(const char *what, size_t at) {
    std::fprintf(stderr, "fuzz_term_keys: %s (input byte %zu)\n", what, at);
    std::abort();
}

static void CheckState(const TermKeys *k, size_t at) {
    if (k->pasteRawLength > kTermPasteRaw || k->clipLength > kTermPasteText)
        Fail("a paste length passed its buffer", at);
    if (k->csiLength < 0 || k->csiLength > (int)sizeof k->csi)
        Fail("the CSI length passed its buffer", at);
    if (k->utf8Have < 0 || k->utf8Have > 4 || k->pasteEndMatched < 0 || k->pasteEndMatched > 6)
        Fail("a counter left its range", at);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    bool timeouts = (data[0] & 0x80) != 0;
    size_t period = (size_t)(data[0] & 15) + 1;
    TermKeys *k = (TermKeys *)std::malloc(sizeof(TermKeys));
    TermKeysInit(k);

    for (size_t at = 1; at < size; at++) {
        TermKeyEvents ev = {};
        TermKeysFeed(k, data[at], &ev);
        if (ev.charCount < 0 || ev.charCount > 2)
            Fail("one byte gave more than two characters", at);
        for (int i = 0; i < ev.charCount; i++) {
            uint8_t c = ev.chars[i];
            if (c == 27 || c == 0 || c == 3 || c == 28)
                Fail("a fed byte gave ESC, NUL or a close key as a character", at);
        }
        if (ev.pasted && (ev.charCount == 0 || ev.chars[ev.charCount - 1] != 22))
            Fail("a finished paste gave no paste key", at);
        CheckState(k, at);
        if (timeouts && at % period == 0 && TermKeysPending(k)) {
            TermKeyEvents tev = {};
            TermKeysTimeout(k, &tev);
            if (tev.charCount < 0 || tev.charCount > 2)
                Fail("a timeout gave more than two characters", at);
            CheckState(k, at);
        }
    }
    std::free(k);
    return 0;
}
