// fuzz_terminal.cpp: what a user types into the terminal console, from the bytes the terminal
// sends to the frame written back: the key decoder, the line editor with its pastes, the echo and
// the frame of rows wrapped as the terminal draws them (932 in, UTF-8 out), on one thread (a send
// is a plain call), against a plain model of the input line.
//
// Input: byte 0 the terminal's size and the cursor's start row, byte 1 its start column, byte 2
// after how many bytes the Escape timeout runs while a sequence is pending (bit 7 off: never);
// the rest is what the terminal sends. After Enter the next line is opened at once. Checked:
//   - a fed byte gives at most two characters, never ESC (only the timeout does), NUL or a close
//     key; a finished paste gives the paste key; the decoder's counters stay inside;
//   - linePos and lineBuffer hold the model line; Enter hands it over NUL-terminated;
//   - the cursor stays in the buffer, every row's byte 254 stays NUL.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix/term_keys.h"
#include "platform/posix/term_screen.h"
#include "runtime/console/prompt.h"
#include "runtime/console/prompt_wrap.h"

static void Fail(const char *what, size_t at) {
    std::fprintf(stderr, "fuzz_terminal: %s (input byte %zu)\n", what, at);
    std::abort();
}

static TermScreen screen;
static TermKeys *keys;
static size_t at;   // the input byte being handled, for the reports

static void ReleaseSurface(PromptState *ps, PromptSurface *s) {
    static PromptWrapView view;   // at the bottom, as typing keeps it
    PromptWrapDraw(ps, s, &view, nullptr, &screen.caretRow, &screen.caretCol);
    TermScreenFrame(&screen);
    screen.outLength = 0;
}
static void Send(PromptState *ps, PromptRequest msg) {
    if (msg == kPromptFocusIn)
        PromptOnSetFocus(ps);
    else if (msg == kPromptFocusOut)
        PromptOnKillFocus(ps);
}
static const PromptFrontEnd kFrontEnd = {
    [](PromptState *) { return &screen.surface; }, ReleaseSurface, Send,
    [](PromptState *) {
        RtString s = StrAlloc((uint32_t)keys->clipLength);
        std::memcpy(s, keys->clip, keys->clipLength);
        return s;
    },
    [](PromptState *, int32_t x, int32_t y) {
        screen.caretOn = true;
        screen.caretRow = y;
        screen.caretCol = x;
    },
    [](PromptState *) { screen.caretOn = false; }, [](PromptState *, int32_t, int32_t) {}, nullptr,
    nullptr};

// One character message to the editor, and the model line beside it.
static void Key(PromptState *ps, uint8_t c, std::string *line) {
    if (ps->linePos.load() == -1) {
        ps->linePos.store(0);
        line->clear();
    }
    if (c == 22)   // the clipboard up to its first NUL, cut at the room left
        *line += std::string(std::string((const char *)keys->clip, keys->clipLength).c_str())
                     .substr(0, kPromptLineMaxText - line->size());
    else if (c == 8 && !line->empty())
        line->pop_back();
    else if (c != 8 && c != 13 && line->size() < kPromptLineMaxText)
        line->push_back((char)c);
    PromptOnChar(ps, c);
    int32_t pos = ps->linePos.load();
    if (c == 13 ? pos != -1 || ps->lineBuffer[line->size()] != 0 : pos != (int32_t)line->size())
        Fail("linePos or the handed-over line is not the model's", at);
    if (std::memcmp(ps->lineBuffer, line->data(), line->size()) != 0)
        Fail("lineBuffer does not hold the model line", at);
    if (ps->cursorRow < 0 || ps->cursorRow >= kPromptRows || ps->cursorCol < 0)
        Fail("the cursor left the buffer", at);
    for (int32_t i = 0; i < kPromptRows; i++)
        if (ps->rowText[i][kPromptRowMaxText] != 0)
            Fail("a row's last byte is not NUL", at);
}

// The events of one fed byte (or of the timeout), checked and handed to the editor.
static void Events(PromptState *ps, const TermKeyEvents &ev, bool fed, std::string *line) {
    if (ev.charCount < 0 || ev.charCount > 2)
        Fail("one byte gave more than two characters", at);
    for (int i = 0; fed && i < ev.charCount; i++)
        if (ev.chars[i] == 27 || ev.chars[i] == 0 || ev.chars[i] == 3 || ev.chars[i] == 28)
            Fail("a fed byte gave ESC, NUL or a close key", at);
    if (ev.pasted && (ev.charCount == 0 || ev.chars[ev.charCount - 1] != 22))
        Fail("a finished paste gave no paste key", at);
    if (keys->pasteRawLength > kTermPasteRaw || keys->clipLength > kTermPasteText ||
        keys->csiLength < 0 || keys->csiLength > (int)sizeof keys->csi || keys->utf8Have < 0 ||
        keys->utf8Have > 4 || keys->pasteEndMatched < 0 || keys->pasteEndMatched > 6)
        Fail("a counter of the decoder left its range", at);
    for (int i = 0; i < ev.charCount; i++)
        Key(ps, ev.chars[i], line);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = (StrInit(), true);
    (void)ready;
    if (size < 3)
        return 0;
    static const int32_t kSizes[4][2] = {{0, 0}, {1, 3}, {5, 12}, {24, 80}};
    TermScreenInit(&screen, kSizes[data[0] & 3][0], kSizes[data[0] & 3][1]);
    keys = (TermKeys *)std::malloc(sizeof(TermKeys));
    TermKeysInit(keys);
    PromptState *ps = new PromptState();
    PromptRowsAlloc(ps);
    ps->cellWidth = ps->cellHeight = 1;
    ps->frontEnd = &kFrontEnd;
    ps->cursorRow = (data[0] >> 2) % kPromptRows;
    ps->cursorCol = data[1];
    ps->linePos.store(0);
    size_t period = data[2] & 0x80 ? (size_t)(data[2] & 15) + 1 : 0;   // 0: no timeouts

    std::string line;
    for (at = 3; at < size; at++) {
        TermKeyEvents ev;
        TermKeysFeed(keys, data[at], &ev);
        Events(ps, ev, true, &line);
        if (period && at % period == 0 && TermKeysPending(keys)) {
            TermKeysTimeout(keys, &ev);
            Events(ps, ev, false, &line);
        }
    }
    PromptRowsFree(ps);
    delete ps;
    std::free(keys);
    TermScreenFree(&screen);
    return 0;
}
