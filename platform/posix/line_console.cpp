// line_console.cpp: the line console, the console window's counterpart when standard input or
// output is not a terminal: the same program as a filter.
//
// Out: every text that PromptPrint receives goes to standard output as it is printed, converted
// from code page 932 to UTF-8, each CR LF pair written as LF. In: when a line is opened, one line
// is read from standard input (ended by LF, CR LF or a lone CR; UTF-8 made code page 932) and
// each of its bytes is posted as a character message, then Enter, so the line editor takes it as
// typed. Its echoes are not written one by one: once Enter has handed the line over, the line as
// the editor kept it (what each Backspace took is gone) goes out with its line end. The end of standard input while a line is open closes the
// window. The screen buffer is kept as on a window of kLineRows x kLineCols cells, but nothing
// is drawn.
//
// Invariant: exactly one line is read for each line the program opens (lineFed), however often
// the editor's own focus messages come while that line is typed.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "platform/posix/console_front.h"
#include "platform/posix/cp932.h"
#include "platform/posix/msg_queue.h"
#include "runtime/console/prompt.h"
#include "runtime/console/prompt_keys.h"
#include "runtime/io/plat_file.h"

enum {
    kLineRows = 25,          // the client area the buffer is kept for, in cells
    kLineCols = 80,
    kReadBytes = 4096,       // standard input is read in blocks of this size
    kLineKeep = 4096,        // bytes kept of one input line; the editor takes 255 anyway
};

struct LineConsole {
    PromptState *ps;
    PlatLock outLock;                 // one printed text at a time on standard output
    uint8_t pendingLead;              // a lead byte whose trail byte comes with the next text
    bool lineFed;                     // the open line has been read (console thread only)
    bool echoing;                     // the editor is taking a key (console thread only)
    uint8_t input[kReadBytes];        // standard input read ahead: input[inputPos .. inputEnd)
    size_t inputPos, inputEnd;
    bool afterCr;                     // the last line ended with CR: an LF now belongs to it
    bool inputEnded;
};

static LineConsole line;

// ---- Standard output -------------------------------------------------------------------------

// Writes n bytes of code page 932 text to standard output as UTF-8, CR LF as LF.
static void WriteText(const uint8_t *text, uint32_t n) {
    uint8_t *joined = (uint8_t *)PlatAlloc(n + 1);
    uint32_t length = 0;
    for (uint32_t i = 0; i < n; i++) {
        if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
            continue;   // CR LF: the LF alone
        joined[length++] = text[i];
    }
    size_t cap = (size_t)length * 3 + 4;
    uint8_t *utf8 = (uint8_t *)PlatAlloc(cap);
    PlatLockEnter(&line.outLock);
    size_t out = Cp932ToUtf8(joined, length, utf8, cap, &line.pendingLead);
    PosixWriteAll(1, utf8, out);   // a reader gone: the output is dropped
    PlatLockLeave(&line.outLock);
    PlatFree(utf8);
    PlatFree(joined);
}

// The program thread's prints; the editor's echoes (on the console thread, while it takes a key)
// are left to EchoKeptLine. The program thread prints nothing while a line is open, so echoing
// is never read then.
static void Printed(PromptState *, const uint8_t *text, uint32_t n) {
    if (!line.echoing)
        WriteText(text, n);
}

// Enter has handed the line over: the line the editor kept, and its end.
static void EchoKeptLine(PromptState *ps) {
    const uint8_t *kept = ps->lineBuffer;
    WriteText(kept, (uint32_t)std::strlen((const char *)kept));
    WriteText((const uint8_t *)"\n", 1);
}

// ---- Standard input --------------------------------------------------------------------------

// The next byte of standard input, or -1 at its end.
static int NextByte(LineConsole *l) {
    if (l->inputPos == l->inputEnd) {
        if (l->inputEnded)
            return -1;
        ssize_t got;
        do {
            got = read(0, l->input, sizeof l->input);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            l->inputEnded = true;
            return -1;
        }
        l->inputPos = 0;
        l->inputEnd = (size_t)got;
    }
    return l->input[l->inputPos++];
}

// Reads one line into raw (its UTF-8 bytes, at most kLineKeep kept). False: the input had ended
// before the line's first byte.
static bool ReadLine(LineConsole *l, uint8_t *raw, size_t *length) {
    *length = 0;
    int b = NextByte(l);
    if (b == '\n' && l->afterCr)
        b = NextByte(l);
    l->afterCr = false;
    if (b < 0)
        return false;
    for (; b >= 0 && b != '\n' && b != '\r'; b = NextByte(l)) {
        if (*length < kLineKeep)
            raw[(*length)++] = (uint8_t)b;
    }
    l->afterCr = b == '\r';
    return true;
}

// The line is open and not read yet: its bytes and Enter go to the editor, or the window closes.
static void FeedLine(LineConsole *l) {
    uint8_t raw[kLineKeep];
    size_t length;
    if (!ReadLine(l, raw, &length)) {
        MsgPost(kMsgClose, 0, 0);
        return;
    }
    uint8_t code[kLineKeep];
    size_t n = Cp932FromUtf8(raw, length, code, sizeof code);
    for (size_t i = 0; i < n; i++)
        MsgPost(kMsgChar, code[i], 0);
    MsgPost(kMsgChar, kPromptKeyEnter, 0);
}

// ---- Front end services ----------------------------------------------------------------------

static void OpNothing(PromptSurface *) {
}

static void OpClientSize(PromptSurface *, int32_t *width, int32_t *height) {
    *width = kLineCols;
    *height = kLineRows;
}

static int32_t OpTextWidth(PromptSurface *, const uint8_t *, int32_t n) {
    return n;
}

static void OpBlank(PromptSurface *, int32_t, int32_t, int32_t, int32_t) {
}

static void OpSetColours(PromptSurface *, uint32_t, uint32_t) {
}

static void OpDrawGlyph(PromptSurface *, int32_t, int32_t, const uint8_t *, int32_t) {
}

static const PromptSurfaceOps kNoDrawingOps = {
    OpNothing, OpNothing, OpClientSize, OpTextWidth, OpBlank, OpSetColours, OpDrawGlyph,
    RtIsLeadByte,
};
static PromptSurface noDrawing = {&kNoDrawingOps};

static PromptSurface *GetSurface(PromptState *) {
    return &noDrawing;
}

static void ReleaseSurface(PromptState *, PromptSurface *) {
}

static RtString ClipboardText(PromptState *) {
    return nullptr;   // a filter has no clipboard
}

static void CaretShow(PromptState *, int32_t, int32_t) {
}

static void CaretHide(PromptState *) {
}

static void CompositionAt(PromptState *, int32_t, int32_t) {
}

static const PromptFrontEnd kLineFrontEnd = {
    GetSurface, ReleaseSurface, MsgSendRequest, ClipboardText, CaretShow, CaretHide, CompositionAt,
    Printed,    nullptr,
};

// ---- Window procedure ------------------------------------------------------------------------

// A save under way leaves no file of its own behind, and its end is not a success.
static void OnEndSignal(int sig) {
    _exit(PlatFileAbandonSave(128 + sig));
}

intptr_t LineConsoleProc(uint32_t msg, uintptr_t wParam, intptr_t) {
    PromptState *ps = line.ps;
    switch (msg) {
    case kMsgCreate:
        ps->cellWidth = 1;
        ps->cellHeight = 1;
        ps->screenWidth = kLineCols;
        ps->screenHeight = kLineRows;
        return 0;
    case kMsgPaint: PromptOnPaint(ps, &noDrawing); return 0;
    case kMsgSetFocus:
        PromptOnSetFocus(ps);
        if (ps->linePos.load(std::memory_order_acquire) >= 0 && !line.lineFed) {
            line.lineFed = true;
            FeedLine(&line);
        }
        return 0;
    case kMsgKillFocus: PromptOnKillFocus(ps); return 0;
    case kMsgChar:
        line.echoing = true;
        PromptOnChar(ps, (uint8_t)wParam);
        line.echoing = false;
        if (line.lineFed && ps->linePos.load(std::memory_order_acquire) < 0) {
            // Enter handed the line over; the program thread reads it only once this message is
            // done (its kill-focus send waits), so the echo comes before what it prints next.
            EchoKeptLine(ps);
            line.lineFed = false;   // the next one is read anew
        }
        return 0;
    case kMsgClose: return LineConsoleProc(kMsgDestroy, 0, 0);
    case kMsgDestroy: MsgPostQuit(0); return 0;
    default: return 0;
    }
}

// ---- Start and end ---------------------------------------------------------------------------

void LineConsoleOpen(PromptState *ps) {
    line.ps = ps;
    PlatLockInit(&line.outLock);
    ps->frontEnd = &kLineFrontEnd;
    PlatDebugOutputOnce(true);
    signal(SIGPIPE, SIG_IGN);   // a reader that went away: the output is dropped, not the program
    const int endSignals[] = {SIGHUP, SIGTERM, SIGINT, SIGQUIT};
    for (int sig : endSignals)
        signal(sig, OnEndSignal);
}

void LineConsoleEnd(PromptState *ps) {
    PlatLockEnter(&ps->lock);   // no print can touch the rows once they are gone
    PromptRowsFree(ps);
    PlatExit(PlatFileAbandonSave(1));   // the input ended in a save: cut off, its new file removed
}
