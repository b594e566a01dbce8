// prompt_editor.cpp: the line editor and the caret, the handlers of WM_CHAR, WM_SETFOCUS and
// WM_KILLFOCUS that each front end's window procedure calls on the console thread.
//
// The input line: while linePos >= 0 a line is open and linePos is the number of bytes in
// lineBuffer (at most 255; the 256th byte is room for the NUL that Enter writes). Keys:
//   Backspace (8)  drops the line's last byte and moves the cursor one column left (never left
//                  of column 0), clearing the screen byte there if it lies inside the row
//   Enter (13)     ends the line with a NUL and stores linePos = -1: the line is handed over
//   Ctrl+V (22)    appends the clipboard's text up to its first NUL, cut at the room left
//   any other      appends the byte; with the line full it is ignored, with no echo
// Each handled key is echoed: WM_KILLFOCUS (caret off), PromptPrint of the echo, WM_SETFOCUS
// (caret at the new cursor; none after Enter, as no line is open any more). A paste that finds
// no text, a key on a full line and every key while no line is open do nothing at all. Any key
// while a line is open first returns the view to the bottom, where the line is.
//
// Hand-over: while a line is open only this thread writes linePos, lineBuffer and the cursor.
// linePos is loaded with acquire (the program thread's 0 that opened the line) and stored with
// release, the -1 of Enter after the line's NUL, so the program thread reading -1 sees the line.
// The console lock is held across the changes to the cursor and the row; it is left before any
// send and before PromptPrint, which takes it itself.
#include "runtime/console/prompt.h"

#include <cstring>

#include "runtime/console/prompt_keys.h"

static RtString EditBackspace(PromptState *ps, int32_t pos) {
    if (pos > 0) {
        pos--;
        ps->lineBuffer[pos] = 0;
        ps->linePos.store(pos, std::memory_order_release);
        PlatLockEnter(&ps->lock);
        // A pasted line break can leave the line's start on an earlier row: the cursor stops at
        // column 0, and only a byte inside the row is cleared.
        if (ps->cursorCol > 0) {
            ps->cursorCol--;
            if (ps->cursorCol < kPromptRowMaxText)
                ps->rowText[ps->cursorRow][ps->cursorCol] = 0;
        }
        PlatLockLeave(&ps->lock);
    }
    return StrAlloc(0);
}

static RtString EditEnter(PromptState *ps, int32_t pos) {
    ps->lineBuffer[pos] = 0;
    ps->linePos.store(-1, std::memory_order_release);
    return StrLiteral("\r\n");
}

// Null when the clipboard holds no text.
static RtString EditPaste(PromptState *ps, int32_t pos) {
    RtString clip = ps->frontEnd->clipboardText(ps);
    if (!clip)
        return nullptr;
    uint32_t n = (uint32_t)std::strlen((const char *)clip);
    uint32_t room = (uint32_t)(kPromptLineMaxText - pos);
    if (n > room)
        n = room;
    RtString echo = StrBuffer(n + 1);
    std::memcpy(echo, clip, n);
    std::memcpy(ps->lineBuffer + pos, clip, n);
    ps->lineBuffer[pos + n] = 0;
    ps->linePos.store(pos + (int32_t)n, std::memory_order_release);
    StrFree(clip);
    return echo;
}

// Null when the line is full: the byte is ignored.
static RtString EditByte(PromptState *ps, int32_t pos, uint8_t c) {
    if (pos >= kPromptLineMaxText)
        return nullptr;
    ps->lineBuffer[pos] = c;
    ps->linePos.store(pos + 1, std::memory_order_release);
    RtString echo = StrBuffer(2);
    echo[0] = c;
    return echo;
}

void PromptOnChar(PromptState *ps, uint8_t c) {
    int32_t pos = ps->linePos.load(std::memory_order_acquire);
    if (pos < 0)
        return;   // no line open: the key is lost, also for the next line
    if (PromptViewToBottom(ps))
        PromptViewShow(ps);

    RtString echo;
    switch (c) {
    case kPromptKeyBackspace: echo = EditBackspace(ps, pos); break;
    case kPromptKeyEnter: echo = EditEnter(ps, pos); break;
    case kPromptKeyPaste: echo = EditPaste(ps, pos); break;
    default: echo = EditByte(ps, pos, c); break;
    }
    if (!echo)
        return;

    ps->frontEnd->send(ps, kPromptFocusOut);
    PromptPrint(ps, echo);
    ps->frontEnd->send(ps, kPromptFocusIn);
}

void PromptOnSetFocus(PromptState *ps) {
    if (ps->linePos.load(std::memory_order_acquire) == -1)
        return;
    PlatLockEnter(&ps->lock);
    int32_t row = ps->cursorRow + ps->viewBack;   // the cursor cell stays with its row in view
    int32_t x = ps->cursorCol * ps->cellWidth;
    int32_t top = row * ps->cellHeight;
    int32_t raise = PromptScaled(kPromptCaretRaise, ps->dpi);
    int32_t caretTop = (row + 1) * ps->cellHeight - raise;
    PlatLockLeave(&ps->lock);

    ps->frontEnd->compositionAt(ps, x, top);
    ps->frontEnd->caretShow(ps, x, caretTop);
}

int32_t PromptScaled(int32_t px, int32_t dpi) {
    return (px * (dpi > 0 ? dpi : 96) + 48) / 96;
}

void PromptOnKillFocus(PromptState *ps) {
    ps->frontEnd->caretHide(ps);
}
