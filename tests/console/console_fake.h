// console_fake.h: a headless front end for the console tests. Its surface records what is drawn
// (8 x 16 pixel cells), its front end the caret, the composition window, the printed texts, the
// titles and a clipboard, and it has a console thread of its own with a small message queue.
//
// Threads: the drawing records are touched only under the console lock, so a print that leaves
// the lock out is a race on them under ThreadSanitizer; the other records are guarded by `rec`.
// A send from the console thread, or while none runs, is a plain call; from another thread it
// waits until the console thread has handled it between two messages of its loop. A WM_SETFOCUS
// sent from the program thread onto a freshly opened line posts the next key sequence of `script`.
// One fake at a time (gFake).
#ifndef TESTS_CONSOLE_CONSOLE_FAKE_H
#define TESTS_CONSOLE_CONSOLE_FAKE_H

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/console/prompt.h"
#include "tests/test_strings.h"

struct FakeGlyph { int32_t x, y; std::string bytes; uint32_t fore, back; };
struct FakePoint { int32_t x, y; };
struct FakeQueued { uint32_t msg; uint8_t c; bool *done; };   // done: null for a post

struct FakeConsole {
    PromptSurface surface;
    PromptState *ps;
    int32_t clientWidth = 640, clientHeight = 480;   // set while no other thread runs
    std::vector<FakeGlyph> glyphs;                   // drawing, under the console lock
    std::vector<int32_t> blankTops;                  // y of each row blanked, in order
    uint32_t fore = 0, back = 0;
    int32_t surfacesOut = 0;
    std::mutex rec;                                  // guards the records below
    std::vector<FakePoint> caretShows, compositions;
    int32_t caretHides = 0;
    std::string printed;
    bool hasClipboard = false;
    std::string clipboard;
    std::vector<std::string> titles;
    std::vector<std::string> script;                 // key sequences, one per opened line
    size_t scriptNext = 0;
    std::mutex qm;                                   // guards the queue
    std::condition_variable qcv;
    std::deque<FakeQueued> queue;
    bool running = false;
    std::thread thread;
};
inline FakeConsole *gFake;
inline thread_local bool tFakeConsoleThread = false;

inline void FakePost(uint32_t msg, uint8_t c) {
    std::lock_guard<std::mutex> lk(gFake->qm);
    gFake->queue.push_back(FakeQueued{msg, c, nullptr});
    gFake->qcv.notify_all();
}

inline void FakeHandle(uint32_t msg, uint8_t c, bool sentFromOutside) {
    PromptState *ps = gFake->ps;
    if (msg == kMsgKillFocus)
        PromptOnKillFocus(ps);
    else if (msg == kMsgChar)
        PromptOnChar(ps, c);
    else if (msg == kMsgPaint)
        PromptOnPaint(ps, &gFake->surface);
    else if (msg == kMsgSetFocus) {
        PromptOnSetFocus(ps);
        if (sentFromOutside && ps->linePos.load() == 0) {   // the user types once asked
            std::lock_guard<std::mutex> g(gFake->rec);
            if (gFake->scriptNext == gFake->script.size()) {
                std::fprintf(stderr, "console fake: a line was opened with no keys left\n");
                std::abort();   // the program asked once more than the test expected
            }
            for (char k : gFake->script[gFake->scriptNext++])
                FakePost(kMsgChar, (uint8_t)k);
        }
    }
}

inline const PromptSurfaceOps kFakeSurfaceOps = {
    [](PromptSurface *) {}, [](PromptSurface *) {},
    [](PromptSurface *, int32_t *w, int32_t *h) { *w = gFake->clientWidth, *h = gFake->clientHeight; },
    [](PromptSurface *, const uint8_t *, int32_t n) { return n * 8; },
    [](PromptSurface *, int32_t, int32_t y, int32_t, int32_t) { gFake->blankTops.push_back(y); },
    [](PromptSurface *, uint32_t f, uint32_t b) { gFake->fore = f, gFake->back = b; },
    [](PromptSurface *, int32_t x, int32_t y, const uint8_t *g, int32_t n) {
        gFake->glyphs.push_back(FakeGlyph{x, y, std::string((const char *)g, n), gFake->fore, gFake->back});
    },
    [](uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); },
};

inline const PromptFrontEnd kFakeFrontEnd = {
    [](PromptState *) { gFake->surfacesOut++; return &gFake->surface; },
    [](PromptState *, PromptSurface *) { gFake->surfacesOut--; },
    [](PromptState *, uint32_t msg) {
        if (tFakeConsoleThread || !gFake->running)
            return FakeHandle(msg, 0, false);
        bool done = false;
        std::unique_lock<std::mutex> lk(gFake->qm);
        gFake->queue.push_back(FakeQueued{msg, 0, &done});
        gFake->qcv.notify_all();
        gFake->qcv.wait(lk, [&] { return done; });
    },
    [](PromptState *) -> RtString {
        std::lock_guard<std::mutex> g(gFake->rec);
        return gFake->hasClipboard ? TestString(gFake->clipboard) : nullptr;
    },
    [](PromptState *, int32_t x, int32_t y) {
        std::lock_guard<std::mutex> g(gFake->rec);
        gFake->caretShows.push_back(FakePoint{x, y});
    },
    [](PromptState *) { std::lock_guard<std::mutex> g(gFake->rec); gFake->caretHides++; },
    [](PromptState *, int32_t x, int32_t y) {
        std::lock_guard<std::mutex> g(gFake->rec);
        gFake->compositions.push_back(FakePoint{x, y});
    },
    [](PromptState *, const uint8_t *text, uint32_t n) {
        std::lock_guard<std::mutex> g(gFake->rec);
        gFake->printed.append((const char *)text, n);
    },
    [](PromptState *, const char *title) {
        std::lock_guard<std::mutex> g(gFake->rec);
        gFake->titles.push_back(title);
    },
};

// The console thread: handles queued messages until WM_QUIT.
inline void FakeStartThread() {
    gFake->running = true;
    gFake->thread = std::thread([] {
        tFakeConsoleThread = true;
        for (;;) {
            FakeQueued m;
            {
                std::unique_lock<std::mutex> lk(gFake->qm);
                gFake->qcv.wait(lk, [] { return !gFake->queue.empty(); });
                m = gFake->queue.front();
                gFake->queue.pop_front();
            }
            if (m.msg == kMsgQuit)
                return;
            FakeHandle(m.msg, m.c, m.done != nullptr);
            if (m.done) {
                std::lock_guard<std::mutex> lk(gFake->qm);
                *m.done = true;
                gFake->qcv.notify_all();
            }
        }
    });
}

inline void FakeStopThread() {
    if (gFake->running) {
        FakePost(kMsgQuit, 0);
        gFake->thread.join();
        gFake->running = false;
    }
}

// A console on fc: rows made, cell 8 x 16, no line open; the strings ready.
inline PromptState *FakeOpen(FakeConsole *fc) {
    TestStringsReady();
    gFake = fc;
    fc->surface.ops = &kFakeSurfaceOps;
    fc->ps = new PromptState();
    PromptRowsAlloc(fc->ps);
    fc->ps->cellWidth = 8;
    fc->ps->cellHeight = 16;
    fc->ps->linePos.store(-1);
    fc->ps->frontEnd = &kFakeFrontEnd;
    return fc->ps;
}

inline void FakeClose(FakeConsole *fc) {
    FakeStopThread();
    PromptRowsFree(fc->ps);
    delete fc->ps;
    gFake = nullptr;
}

// Drops the drawing, caret and composition records (not the printed text).
inline void FakeClearDrawing(FakeConsole *fc) {
    std::lock_guard<std::mutex> g(fc->rec);
    fc->glyphs.clear();
    fc->blankTops.clear();
    fc->caretShows.clear();
    fc->compositions.clear();
    fc->caretHides = 0;
}

inline std::string FakeRow(PromptState *ps, int32_t i) {   // row i up to its first NUL
    return std::string((const char *)ps->rowText[i]);
}

#endif
