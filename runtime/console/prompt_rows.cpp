// prompt_rows.cpp: the screen buffer's 101 rows, their making, release and the one-row scroll.
//
// Invariant: each of rowText, rowFore, rowBack holds 101 live zero-filled blocks from the moment
// PromptRowsAlloc returns until PromptRowsFree; text blocks are 255 bytes whose last byte stays
// NUL, colour blocks 255 COLORREF values. A scroll gives back exactly the three blocks of row 0
// and takes three fresh ones for row 100, so the count never changes. Row 0 goes into the
// history as it leaves.
#include "runtime/console/prompt.h"

#include <cstring>

static void RowMake(PromptState *ps, int32_t i) {
    ps->rowText[i] = (uint8_t *)PlatAlloc(kPromptRowBytes);
    ps->rowFore[i] = (uint32_t *)PlatAlloc(kPromptRowBytes * sizeof(uint32_t));
    ps->rowBack[i] = (uint32_t *)PlatAlloc(kPromptRowBytes * sizeof(uint32_t));
}

static void RowRelease(PromptState *ps, int32_t i) {
    PlatFree(ps->rowText[i]);
    PlatFree(ps->rowFore[i]);
    PlatFree(ps->rowBack[i]);
    ps->rowText[i] = nullptr;
    ps->rowFore[i] = nullptr;
    ps->rowBack[i] = nullptr;
}

void PromptRowsAlloc(PromptState *ps) {
    // The lock is made here, on the console thread before its window exists: the program thread
    // first prints after windowReady, which the first paint sets after this.
    PlatLockInit(&ps->lock);
    for (int32_t i = 0; i < kPromptRows; i++)
        RowMake(ps, i);
    ps->curFore = kPromptWhite;
    ps->curBack = kPromptBlack;
    ps->cursorRow = 0;
    ps->cursorCol = 0;
    PromptHistoryInit(&ps->history, kPromptHistoryBytes);
    ps->viewBack = 0;
}

void PromptRowsFree(PromptState *ps) {
    for (int32_t i = 0; i < kPromptRows; i++)
        RowRelease(ps, i);
    PromptHistoryFree(&ps->history);
    ps->viewBack = 0;
}

void PromptRowsScroll(PromptState *ps) {
    PromptHistoryAdd(ps, ps->rowText[0], ps->rowFore[0], ps->rowBack[0]);
    RowRelease(ps, 0);
    // The row blocks stay where they are; only their pointers move up.
    size_t moved = (kPromptRows - 1) * sizeof(void *);
    std::memmove(&ps->rowText[0], &ps->rowText[1], moved);
    std::memmove(&ps->rowFore[0], &ps->rowFore[1], moved);
    std::memmove(&ps->rowBack[0], &ps->rowBack[1], moved);
    RowMake(ps, kPromptRows - 1);
}
