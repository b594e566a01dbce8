// prompt_input.cpp: PromptInput, the console's input: asks with a prompt, waits for a typed line
// and stores its comma-separated items into the variables of the InputTargetList.
//
// A line is split only at commas and nothing is trimmed; an empty item (empty line, two commas,
// a comma at either end) is stored as an empty text like any other. Item i goes to variable i.
// A comma behind the item for the last variable prints "too many", a line that ends before every
// variable had an item prints "too few"; either way the question comes again, and the variables
// stored so far keep their values until the next line stores them again.
//
// Hand-over (program thread): linePos = 0 (release) opens the line; from then until this thread
// loads -1 (acquire) it touches nothing of the console but linePos and prints nothing. The
// WM_KILLFOCUS send returns only once the console thread has finished with Enter, its echo
// included, so lineBuffer is complete and the cursor settled when it is read.
#include "runtime/console/prompt.h"

#include <cstring>

#include "runtime/io/input_items.h"

// "入力データの個数が多すぎます\r\n"
static const char kTooManyItems[] =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xbd\x82\xb7"
    "\x82\xac\x82\xdc\x82\xb7\r\n";
// "入力データの個数が足りません\r\n"
static const char kTooFewItems[] =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xab\x82\xe8"
    "\x82\xdc\x82\xb9\x82\xf1\r\n";

// The line is looked at every millisecond for the first kQuickPolls looks (an answer piped in, or
// typed ahead, is there at once and should not wait), then every kPollMilliseconds: a typed
// answer takes seconds, and ten milliseconds are not seen.
enum { kQuickPolls = 50, kPollMilliseconds = 10 };

static bool TargetListEndsAt(int32_t index) {
    return index >= kInputTargets || gInputTargets.address[index] == nullptr;
}

// Splits line at commas into item (room for the whole line and its NUL) and stores each item.
// Returns null when every variable got its item, else the error text to print.
static const char *SplitAndStore(const uint8_t *line, RtString item) {
    int32_t at = 0;
    for (int32_t target = 0;; target++) {
        int32_t k = 0;
        while (line[at] != ',' && line[at] != 0)
            item[k++] = line[at++];
        item[k] = 0;
        StoreInputItem(item, target);

        bool listEnds = TargetListEndsAt(target + 1);
        if (line[at] == ',' && listEnds)
            return kTooManyItems;
        if (line[at] == 0)
            return listEnds ? nullptr : kTooFewItems;
        at++;   // past the comma: the next item, for the next variable
    }
}

void PromptInput(PromptState *ps, RtString prompt) {
    RtString item = StrAlloc(0);
    for (;;) {
        PromptPrint(ps, StrCopy(prompt));

        ps->linePos.store(0, std::memory_order_release);
        ps->frontEnd->send(ps, kPromptFocusIn);
        for (int polls = 0; ps->linePos.load(std::memory_order_acquire) != -1; polls++)
            PlatSleep(polls < kQuickPolls ? 1 : kPollMilliseconds);
        ps->frontEnd->send(ps, kPromptFocusOut);

        RtString fresh = StrBuffer((uint32_t)std::strlen((const char *)ps->lineBuffer) + 1);
        StrFree(item);
        item = fresh;

        const char *error = SplitAndStore(ps->lineBuffer, item);
        if (!error)
            break;
        PromptPrint(ps, StrLiteral(error));
    }
    StrFree(prompt);
    StrFree(item);
}
