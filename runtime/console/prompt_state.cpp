// prompt_state.cpp: the process's one console record, and the hand-over of its start.
//
// Static storage, so it starts all zero; the start presets linePos = -1 and windowReady = 0
// before the console thread exists, and PromptRowsAlloc (console thread) makes the rest ready.
#include "runtime/console/prompt_state.h"

PromptState gPrompt;

void PromptPresetHandOver(PromptState *ps) {
    // Written before the console thread exists, so it finds them so from its first instruction.
    ps->linePos.store(-1);
    ps->windowReady.store(0);
}

void PromptWaitWindow(PromptState *ps) {
    // The first look follows the first sleep. A millisecond a look: the window is ready within a
    // few, and every one waited is a millisecond more before the first question.
    do {
        PlatSleep(1);
    } while (ps->windowReady.load(std::memory_order_acquire) == 0);
}
