// rt_start.cpp: start-up and end of the process.
#include "runtime/core/rt_start.h"

#include "runtime/core/plat_core.h"
#include "runtime/console/prompt_state.h"

void RtStartUp() {
    StrInit();
    // Written before the console thread exists, so it finds them so from its first instruction.
    gPrompt.linePos.store(-1);
    gPrompt.windowReady.store(0);
    PromptStartThread(&gPrompt);
    // The first look follows the first sleep. A millisecond a look: the window is ready within a
    // few, and every one waited is a millisecond more before the first question.
    do {
        PlatSleep(1);
    } while (gPrompt.windowReady.load(std::memory_order_acquire) == 0);
}

void RtEnd(RtString *const variables[], int count) {
    for (int i = 0; i < count; i++)
        StrFree(*variables[i]);
    PlatExit(0);
}
