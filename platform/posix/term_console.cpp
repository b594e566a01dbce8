// term_console.cpp: the terminal console, the console window's counterpart on a terminal.
//
// The terminal is the client area, one cell a character (cellWidth = cellHeight = 1, client
// height = the terminal's rows), so the console's scroll rule holds as it is. Every frame draws
// the session's rows as prompt_wrap.h lays them out: a row wider than the terminal goes on in the
// next screen line, and the caret stands at the cursor cell's place in those lines. While the
// console owns the terminal it is in raw mode on the alternate screen, white on black, autowrap
// off (the lines are placed one by one), bracketed paste on, and the cursor is shown only as the
// caret of an open line.
//
// Prints are drawn in frames, as the window draws them: a print marks what it changed and asks
// for a frame; the console thread draws the marks at most every kFrameMs milliseconds, so a fast
// stream of lines costs a frame per screen refresh, not a screen's worth of work per line. A
// print on the console thread (the echo of typed keys) and every caret move draw at once.
//
// The view (PromptWrapView, in screen lines): PageUp and PageDown move it a screen back into the
// history and forward, Up and Down a line, Ctrl+Home and Ctrl+End to the top and the bottom; a
// key of an open line brings it back to the bottom. A long wait's progress stands on the screen
// at the cursor cell (prompt_wrap.h's overlay), in no row of the buffer, beside the title's. The mouse wheel works through the
// terminal's alternate scroll mode (DECSET 1007): on the alternate screen a terminal with that
// mode turns a wheel turn into Up and Down keys and leaves mouse reporting off, so dragging still
// selects the terminal's own text. Mouse reporting would give the wheel itself but takes plain
// selection away in most terminals; the console never asks for it.
//
// At the end the session stays: after leaving the alternate screen the console prints every row
// it still holds, the history and the screen buffer down to the cursor row, on the normal
// screen, so the terminal's own scrollback holds them as if the program had written them there
// (a scrollback shorter than the session keeps its newest rows, the last screenful among them).
//
// Invariant: every way out gives the terminal back exactly as it was found (modes and screen, the
// session's rows printed on the normal screen but after a signal):
// the end of the message loop and PlatExit (RtEnd) through Restore, the end signals through
// OnEndSignal, which does only async-signal-safe things (write, tcsetattr, _exit). Ctrl+C and
// Ctrl+\ arrive as bytes in raw mode and close the window like its close box.
//
// Suspending: SIGTSTP (which the handler only reports through the wake pipe) and Ctrl+Z (byte 26
// in raw mode, where ISIG is off) reach the key reader, which gives the terminal back whole
// (TermSuspend), stops the process with SIGSTOP, and once it runs again (SIGCONT) takes the
// terminal again and redraws every cell (TermResume). SIGSTOP, not SIGTSTP's default action: the
// kernel drops that in a process group without a job-control shell above it.
//
// Threads: the console thread runs the window procedure; the key reader thread turns input bytes
// into posted messages (keys, close, and a paint for each resize, which SIGWINCH reports through
// a pipe); the program thread's prints mark rows and post a frame message. Every write to the
// terminal happens under frameLock, taken before the console lock like every surface.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <system_error>
#include <termios.h>
#include <time.h>
#include <thread>
#include <unistd.h>

#include "platform/posix/console_front.h"
#include "platform/posix/msg_queue.h"
#include "platform/posix/term_codes.h"
#include "platform/posix/term_keys.h"
#include "platform/posix/term_screen.h"
#include "runtime/console/prompt.h"
#include "runtime/console/prompt_wrap.h"
#include "runtime/io/plat_file.h"

// Taking the terminal: the alternate screen, autowrap off, cursor hidden, bracketed paste on,
// alternate scroll mode saved and on, the terminal's title saved and set to the window's.
static const char kTakeTerminal[] =
    TERM_ALT_SCREEN_ON TERM_AUTOWRAP_OFF TERM_CURSOR_HIDE TERM_PASTE_BRACKETS_ON
    TERM_ALT_SCROLL_SAVE TERM_ALT_SCROLL_ON TERM_TITLE_PUSH
    TERM_TITLE_START "BASIC PROMPT" TERM_TITLE_END;
// Giving it back, each of the above undone, colours reset.
static const char kGiveBackTerminal[] =
    TERM_TITLE_POP TERM_ALT_SCROLL_RESTORE TERM_PASTE_BRACKETS_OFF TERM_COLOURS_RESET
    TERM_AUTOWRAP_ON TERM_CURSOR_SHOW TERM_ALT_SCREEN_OFF;

enum {
    kEscapeWaitMs = 50,       // after a lone ESC: the rest of a key's sequence comes within this
    kClipBytes = kTermPasteText,
    kFrameMs = 16,            // frames of prints from the program thread: at most about 60 a second
    kSessionFlushBytes = 1 << 16,   // the session left on the normal screen goes out in such writes
};

// Posted by a print on the program thread: draw a frame (the window's own message numbers are
// below 0x8000).
enum : uint32_t { kTermMsgFrame = 0x8001 };

struct TermConsole {
    PromptState *ps;
    int inFd, outFd;                  // keys come from inFd, the screen goes to outFd
    struct termios saved;             // the terminal's modes before the console took it
    std::atomic<bool> owned;          // raw mode and the alternate screen are on
    PlatLock frameLock;               // held from getSurface to releaseSurface and by every write
    TermScreen screen;                // under frameLock
    int wakePipe[2];                  // SIGWINCH and SIGTSTP write a byte, the key reader reads it
    PlatLock clipLock;                // guards the clipboard
    uint8_t clip[kClipBytes + 1];     // the text of the last bracketed paste, code page 932, NUL
    size_t clipLength;
    bool clipSet;                     // a paste has come
    TermKeys keys;                    // key reader thread only
    std::atomic<bool> frameAsked;     // a frame message is on its way; cleared as a frame begins
    int64_t lastFrameMs;              // console thread: when the last frame began (monotonic)
    PromptWrapView view;              // console thread: where the picture lies in the session
    std::atomic<int32_t> progress;    // a long wait's percent on the screen; -1: none
};

static TermConsole term;

// ---- Low level terminal handling -------------------------------------------------------------

static void TerminalSize(const TermConsole *t, int32_t *rows, int32_t *cols) {
    struct winsize ws;
    if (ioctl(t->outFd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) {
        *rows = ws.ws_row;
        *cols = ws.ws_col;
    } else {
        *rows = 24;   // a terminal that does not tell: the classic size
        *cols = 80;
    }
}

static bool RawModeOn(TermConsole *t) {
    struct termios raw = t->saved;
    raw.c_iflag &= ~(tcflag_t)BRKINT;   // a break is no signal
    raw.c_iflag &= ~(tcflag_t)ICRNL;    // Enter arrives as CR, as typed
    raw.c_iflag &= ~(tcflag_t)INPCK;    // no parity checking
    raw.c_iflag &= ~(tcflag_t)ISTRIP;   // all 8 bits: UTF-8
    raw.c_iflag &= ~(tcflag_t)IXON;     // Ctrl+S and Ctrl+Q are keys, not flow control
    raw.c_oflag &= ~(tcflag_t)OPOST;    // output as written: LF is a line feed, no CR added
    raw.c_cflag |= CS8;                 // 8-bit characters
    raw.c_lflag &= ~(tcflag_t)ECHO;     // the console echoes, the terminal does not
    raw.c_lflag &= ~(tcflag_t)ICANON;   // bytes as they come, not lines
    raw.c_lflag &= ~(tcflag_t)IEXTEN;   // Ctrl+V is the paste key, not "literal next"
    raw.c_lflag &= ~(tcflag_t)ISIG;     // Ctrl+C and Ctrl+\ arrive as bytes 3 and 28
    raw.c_cc[VMIN] = 1;                 // a read returns as soon as one byte is there
    raw.c_cc[VTIME] = 0;
    return tcsetattr(t->inFd, TCSAFLUSH, &raw) == 0;
}

// Whether standard error writes to the terminal that the console draws on.
static bool ErrorIsTheTerminal(const TermConsole *t) {
    struct stat err, out;
    if (!isatty(2) || fstat(2, &err) != 0 || fstat(t->outFd, &out) != 0)
        return false;
    return err.st_rdev == out.st_rdev;
}

// Every row the console holds, from the oldest in the history to the cursor row, as lines on the
// normal screen; an empty cursor row is left to the shell, whose prompt comes where the cursor
// was. The caller holds frameLock and the console lock.
static void PrintSession(TermConsole *t, PromptState *ps) {
    TermScreen *ts = &t->screen;
    ts->outLength = 0;
    PromptRowCells cells;
    int32_t last = PromptHistoryRows(ps) + ps->cursorRow;
    for (int32_t j = 0; j <= last; j++) {
        PromptRowRef row = PromptSessionRow(ps, j, &cells);
        if (j < last || row.text[0] != 0)
            TermScreenAppendLine(ts, row.text, row.fore, row.back);
        if (ts->outLength >= kSessionFlushBytes || j == last) {
            PosixWriteAll(t->outFd, ts->out, ts->outLength);
            ts->outLength = 0;
        }
    }
}

// Gives the terminal back once; later calls do nothing. With session (its console lock held too)
// the session's rows are left on the normal screen. The caller holds frameLock, so no frame is
// cut in the middle.
static void Restore(TermConsole *t, PromptState *session) {
    if (!t->owned.exchange(false))
        return;
    PosixWriteAll(t->outFd, kGiveBackTerminal, sizeof kGiveBackTerminal - 1);
    if (session)
        PrintSession(t, session);
    tcsetattr(t->inFd, TCSADRAIN, &t->saved);
    PlatDebugOutputSuppress(false);
}

// PlatExit's hook (RtEnd on the program thread): waits for a frame being written, then restores.
// The console's own end restores before it calls PlatExit, so this never waits on itself.
static void RestoreAtExit() {
    if (!term.owned.load())
        return;
    PlatLockEnter(&term.frameLock);
    PlatLockEnter(&term.ps->lock);
    Restore(&term, term.ps);
}

// A signal can come in the middle of a print: the rows are not read, only the modes restored.
static void OnEndSignal(int sig) {
    if (term.owned.load()) {
        PosixWriteAll(term.outFd, TERM_CANCEL, sizeof TERM_CANCEL - 1);
        PosixWriteAll(term.outFd, kGiveBackTerminal, sizeof kGiveBackTerminal - 1);
        tcsetattr(term.inFd, TCSANOW, &term.saved);
    }
    _exit(PlatFileAbandonSave(128 + sig));   // a save's new file removed, if one was under way
}

// The bytes of the wake pipe: what the signal handler reports to the key reader.
enum : char { kWakeResize = 1, kWakeStop = 2 };

static void Wake(char b) {
    int saved = errno;
    ssize_t ignored = write(term.wakePipe[1], &b, 1);   // a full pipe already holds a wake-up
    (void)ignored;
    errno = saved;
}

static void OnResizeSignal(int) {
    Wake(kWakeResize);
}

static void OnStopSignal(int) {
    Wake(kWakeStop);
}

// The signals the console handles while it owns the terminal: the end signals, the resize, the
// stop.
enum { kSignalCount = 6 };
static const int kSignals[kSignalCount] = {SIGHUP, SIGTERM, SIGINT, SIGQUIT, SIGWINCH, SIGTSTP};

// Installs the console's handler of each signal in kSignals, in order, its previous handler kept
// in before; returns how many were installed (all, unless sigaction failed).
static int InstallSignals(struct sigaction *before) {
    struct sigaction end;
    std::memset(&end, 0, sizeof end);
    end.sa_handler = OnEndSignal;
    sigfillset(&end.sa_mask);   // no second signal inside the handler

    struct sigaction resize;
    std::memset(&resize, 0, sizeof resize);
    resize.sa_handler = OnResizeSignal;
    resize.sa_flags = SA_RESTART;
    sigemptyset(&resize.sa_mask);
    struct sigaction stop = resize;
    stop.sa_handler = OnStopSignal;

    int installed = 0;
    for (; installed < kSignalCount; installed++) {
        int sig = kSignals[installed];
        const struct sigaction *mine = sig == SIGWINCH ? &resize : sig == SIGTSTP ? &stop : &end;
        if (sigaction(sig, mine, &before[installed]) != 0)
            break;
    }
    return installed;
}

// Puts back the handlers that the first `installed` signals had before, last first.
static void RestoreSignals(const struct sigaction *before, int installed) {
    while (installed-- > 0)
        sigaction(kSignals[installed], &before[installed], nullptr);
}

// Writes the frame built in the screen's buffer. The caller holds frameLock.
static void FlushFrame(TermConsole *t) {
    TermScreenFrame(&t->screen);
    if (t->owned.load())
        PosixWriteAll(t->outFd, t->screen.out, t->screen.outLength);
    t->screen.outLength = 0;
}

// ---- Suspend and resume ----------------------------------------------------------------------

// Gives the terminal back as Restore does, without the session's rows: the shell gets its screen
// and modes while the program is stopped. frameLock stays held until TermResume, so no frame is
// written to a terminal the console does not own. False when the terminal was not owned (an end
// is under way): nothing done, the lock left.
static bool TermSuspend(TermConsole *t) {
    PlatLockEnter(&t->frameLock);
    if (!t->owned.exchange(false)) {
        PlatLockLeave(&t->frameLock);
        return false;
    }
    PosixWriteAll(t->outFd, kGiveBackTerminal, sizeof kGiveBackTerminal - 1);
    tcsetattr(t->inFd, TCSADRAIN, &t->saved);
    return true;
}

// Takes the terminal again after a stop: the modes the shell left are kept to give back at the
// end, raw mode and the screen modes set, and the screen made unknown, so that the paint posted
// here draws every cell. The caller holds frameLock (TermSuspend); it is left here.
static void TermResume(TermConsole *t) {
    int32_t rows, cols;
    tcgetattr(t->inFd, &t->saved);
    if (RawModeOn(t)) {
        t->owned.store(true);
        PosixWriteAll(t->outFd, kTakeTerminal, sizeof kTakeTerminal - 1);
    }
    TerminalSize(t, &rows, &cols);
    TermScreenResize(&t->screen, rows, cols);
    PlatLockLeave(&t->frameLock);
    MsgPost(kMsgPaint, 0, 0);
}

// Key reader thread: the terminal given back, the process stopped until SIGCONT, the terminal
// taken again.
static void Suspend(TermConsole *t) {
    if (!TermSuspend(t))
        return;
    // To this thread: it stops before raise returns (a signal to the process could be taken
    // by another thread while this one took the terminal again) and runs on after SIGCONT.
    raise(SIGSTOP);
    TermResume(t);
}

// ---- Key reader thread -----------------------------------------------------------------------

static void Deliver(TermConsole *t, const TermKeyEvents *ev) {
    if (ev->pasted) {   // the clipboard first: the paste key that follows reads it
        PlatLockEnter(&t->clipLock);
        std::memcpy(t->clip, t->keys.clip, t->keys.clipLength);
        t->clipLength = t->keys.clipLength;
        t->clip[t->clipLength] = 0;
        t->clipSet = true;
        PlatLockLeave(&t->clipLock);
    }
    for (int i = 0; i < ev->charCount; i++)
        MsgPost(kMsgChar, ev->chars[i], 0);
    if (ev->view != kTermViewNone)
        MsgPost(kMsgKeyDown, ev->view, 0);
    if (ev->close)
        MsgPost(kMsgClose, 0, 0);
    if (ev->suspend)
        Suspend(t);
}

static void KeyReader(TermConsole *t) {
    TermKeysInit(&t->keys);
    TermKeyEvents ev;
    for (;;) {
        struct pollfd fds[2] = {{t->inFd, POLLIN, 0}, {t->wakePipe[0], POLLIN, 0}};
        int ready = poll(fds, 2, TermKeysPending(&t->keys) ? kEscapeWaitMs : -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            break;
        if (ready == 0) {
            TermKeysTimeout(&t->keys, &ev);
            Deliver(t, &ev);
            continue;
        }
        if (fds[1].revents & POLLIN) {
            char drain[64];
            bool stop = false;
            for (ssize_t got; (got = read(t->wakePipe[0], drain, sizeof drain)) > 0;)
                stop = stop || std::memchr(drain, kWakeStop, (size_t)got) != nullptr;
            if (stop)
                Suspend(t);   // its resume repaints
            else
                MsgPost(kMsgPaint, 0, 0);
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            uint8_t bytes[256];
            ssize_t got = read(t->inFd, bytes, sizeof bytes);
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (got <= 0)
                break;   // the terminal went away
            for (ssize_t i = 0; i < got; i++) {
                TermKeysFeed(&t->keys, bytes[i], &ev);
                Deliver(t, &ev);
            }
        }
    }
    MsgPost(kMsgClose, 0, 0);
}

// ---- Front end services ----------------------------------------------------------------------

static PromptSurface *GetSurface(PromptState *) {
    PlatLockEnter(&term.frameLock);
    return &term.screen.surface;
}

static void ReleaseSurface(PromptState *, PromptSurface *) {
    FlushFrame(&term);
    PlatLockLeave(&term.frameLock);
}

static RtString ClipboardText(PromptState *) {
    RtString text = nullptr;
    PlatLockEnter(&term.clipLock);
    if (term.clipSet && term.clipLength > 0) {
        text = StrBuffer((uint32_t)term.clipLength);
        std::memcpy(text, term.clip, term.clipLength);
    }
    PlatLockLeave(&term.clipLock);
    return text;
}

// ---- Frames ----------------------------------------------------------------------------------

static int64_t NowMs() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

// The session's picture and the caret's cell, with the progress over it while a wait shows one.
// Console thread, frameLock held.
static void DrawPicture(TermConsole *t) {
    char text[32] = "";
    int32_t percent = t->progress.load();
    if (percent >= 0)   // "計算中 37%"
        std::snprintf(text, sizeof text, "\x8c\x76\x8e\x5a\x92\x86 %d%%", (int)percent);
    PromptWrapDraw(t->ps, &t->screen.surface, &t->view, (const uint8_t *)text,
                   &t->screen.caretRow, &t->screen.caretCol);
}

// Draws the session as it is now and the caret, as one frame. Console thread.
static void DrawFrame(TermConsole *t) {
    PlatLockEnter(&t->frameLock);
    t->frameAsked.store(false);   // before the rows are read: a later print asks again
    t->lastFrameMs = NowMs();
    DrawPicture(t);
    FlushFrame(t);
    PlatLockLeave(&t->frameLock);
}

// The console's frameLater: either thread.
static void FrameLater(PromptState *ps) {
    if ((uint32_t)syscall(SYS_gettid) == ps->threadId) {
        DrawFrame(&term);
        return;
    }
    if (!term.frameAsked.exchange(true))
        MsgPost(kTermMsgFrame, 0, 0);
}

// kTermMsgFrame: the frame when its turn comes. The wait holds up the keys for at most a frame.
static void OnFrameAsked(TermConsole *t) {
    int64_t since = NowMs() - t->lastFrameMs;
    if (since >= 0 && since < kFrameMs)
        PlatSleep((uint32_t)(kFrameMs - since));
    DrawFrame(t);
}

// The caret is the terminal's cursor, on the cursor cell's place in the picture (each frame finds
// it); out of view (a view back in the history) it is hidden. A caret move draws a frame, so a
// question and the caret behind it come together.
static void CaretShow(PromptState *, int32_t, int32_t) {
    term.screen.caretOn = true;   // console thread only, as every caret call
    DrawFrame(&term);
}

static void CaretHide(PromptState *) {
    term.screen.caretOn = false;
    DrawFrame(&term);
}

// The terminal's input method composes at the cursor, which the caret has placed already.
static void CompositionAt(PromptState *, int32_t, int32_t) {
}

// The terminal's title, through the title escape sequence (OSC 0).
static void SetTitle(PromptState *, const char *title) {
    PlatLockEnter(&term.frameLock);
    PosixWriteAll(term.outFd, TERM_TITLE_START, sizeof TERM_TITLE_START - 1);
    PosixWriteAll(term.outFd, title, std::strlen(title));
    PosixWriteAll(term.outFd, TERM_TITLE_END, sizeof TERM_TITLE_END - 1);
    PlatLockLeave(&term.frameLock);
}

// The progress on the screen: the next frame shows it (or takes it away). Either thread.
static void ShowProgress(PromptState *ps, int32_t percent) {
    if (term.progress.exchange(percent < 0 ? -1 : percent) != percent)
        FrameLater(ps);
}

static const PromptFrontEnd kTermFrontEnd = {
    GetSurface, ReleaseSurface, MsgSendRequest, ClipboardText, CaretShow,
    CaretHide,  CompositionAt,  nullptr, SetTitle,      FrameLater, ShowProgress,
};

// ---- Window procedure ------------------------------------------------------------------------

static void OnCreate(PromptState *ps) {
    ps->cellWidth = 1;
    ps->cellHeight = 1;
    TerminalSize(&term, &ps->screenHeight, &ps->screenWidth);
    PlatLockEnter(&ps->lock);
    ps->clientHeight = ps->screenHeight;
    PlatLockLeave(&ps->lock);
}

// Every paint follows the terminal's size of the moment: a resize is a paint.
static void OnPaint(PromptState *ps) {
    int32_t rows, cols;
    TerminalSize(&term, &rows, &cols);
    PromptSurface *s = GetSurface(ps);
    if (rows != term.screen.rows || cols != term.screen.cols)
        TermScreenResize(&term.screen, rows, cols);
    PlatLockEnter(&ps->lock);
    ps->clientHeight = rows;   // the scroll rule of the prints to come
    PlatLockLeave(&ps->lock);
    DrawPicture(&term);
    ReleaseSurface(ps, s);
    // Lets the start-up go on: everything the console thread made before is visible to it.
    ps->windowReady.store(1, std::memory_order_release);
}

// A view key: the view moves by screen lines, and the caret with its line.
static void OnViewKey(PromptState *ps, uintptr_t key) {
    PromptSurface *s = &term.screen.surface;   // its size is read under the frame lock
    PromptWrapView *v = &term.view;
    PlatLockEnter(&term.frameLock);
    int32_t page = term.screen.rows;
    bool moved = false;
    switch (key) {
    case kTermViewRowUp: moved = PromptWrapScroll(ps, s, v, 1); break;
    case kTermViewRowDown: moved = PromptWrapScroll(ps, s, v, -1); break;
    case kTermViewPageUp: moved = PromptWrapScroll(ps, s, v, page); break;
    case kTermViewPageDown: moved = PromptWrapScroll(ps, s, v, -page); break;
    case kTermViewTop: moved = PromptWrapToTop(ps, s, v); break;
    case kTermViewBottom: moved = PromptWrapToBottom(v); break;
    default: break;
    }
    PlatLockLeave(&term.frameLock);
    if (moved)
        DrawFrame(&term);
}

// A key of an open line brings the view back to the input line first, as the window's does.
static void OnChar(PromptState *ps, uint8_t c) {
    if (ps->linePos.load(std::memory_order_acquire) >= 0 && PromptWrapToBottom(&term.view))
        DrawFrame(&term);
    PromptOnChar(ps, c);
}

intptr_t TermConsoleProc(uint32_t msg, uintptr_t wParam, intptr_t) {
    PromptState *ps = term.ps;
    switch (msg) {
    case kMsgCreate: OnCreate(ps); return 0;
    case kMsgPaint: OnPaint(ps); return 0;
    case kMsgSetFocus: PromptOnSetFocus(ps); return 0;
    case kMsgKillFocus: PromptOnKillFocus(ps); return 0;
    case kMsgChar: OnChar(ps, (uint8_t)wParam); return 0;
    case kMsgKeyDown: OnViewKey(ps, wParam); return 0;   // the key reader's view keys
    case kTermMsgFrame: OnFrameAsked(&term); return 0;
    case kMsgClose: return TermConsoleProc(kMsgDestroy, 0, 0);   // closing destroys the window
    case kMsgDestroy: MsgPostQuit(0); return 0;
    default: return 0;
    }
}

// ---- Start and end ---------------------------------------------------------------------------

// Each step is checked; a failed one jumps to fail, which undoes the steps done, last first, so
// that the terminal, the signals and the descriptors are left exactly as they were.
bool TermConsoleOpen(PromptState *ps) {
    TermConsole *t = &term;
    int pipeFds[2];
    struct sigaction before[kSignalCount];   // the handlers the console's own replaced
    int installed = 0;
    bool screenMade = false, raw = false;
    int32_t rows, cols;
    t->ps = ps;
    t->inFd = 0;
    t->outFd = 1;
    t->wakePipe[0] = t->wakePipe[1] = -1;
    t->progress.store(-1);
    PlatLockInit(&t->frameLock);
    PlatLockInit(&t->clipLock);

    if (tcgetattr(t->inFd, &t->saved) != 0)
        goto fail;
    if (pipe(pipeFds) != 0)
        goto fail;
    t->wakePipe[0] = pipeFds[0];
    t->wakePipe[1] = pipeFds[1];
    for (int fd : pipeFds) {
        int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 ||
            fcntl(fd, F_SETFD, FD_CLOEXEC) != 0)
            goto fail;
    }
    TerminalSize(t, &rows, &cols);
    TermScreenInit(&t->screen, rows, cols);
    screenMade = true;
    installed = InstallSignals(before);
    if (installed < kSignalCount)
        goto fail;

    PlatLockEnter(&t->frameLock);
    raw = RawModeOn(t);
    if (raw) {
        t->owned.store(true);
        if (ErrorIsTheTerminal(t))
            PlatDebugOutputSuppress(true);
        PlatSetExitHook(RestoreAtExit);
        PosixWriteAll(t->outFd, kTakeTerminal, sizeof kTakeTerminal - 1);
    }
    PlatLockLeave(&t->frameLock);
    if (!raw)
        goto fail;

    try {
        std::thread(KeyReader, t).detach();
    } catch (const std::system_error &) {
        goto fail;
    }
    ps->frontEnd = &kTermFrontEnd;
    return true;

fail:
    if (raw) {   // the terminal back first: an exit meanwhile finds it given back already
        PlatLockEnter(&t->frameLock);
        Restore(t, nullptr);
        PlatLockLeave(&t->frameLock);
        PlatSetExitHook(nullptr);
    }
    RestoreSignals(before, installed);
    if (screenMade)
        TermScreenFree(&t->screen);
    for (int &fd : t->wakePipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    return false;
}

void TermConsoleEnd(PromptState *ps) {
    // The frame lock first, as every surface takes it: no frame is cut, and no print can touch
    // the rows once they are gone (the process ends holding both locks).
    PlatLockEnter(&term.frameLock);
    PlatLockEnter(&ps->lock);
    Restore(&term, ps);
    PromptRowsFree(ps);
    PlatExit(PlatFileAbandonSave(1));   // closed in a save: cut off, its new file removed
}
