// console_fake.h: a headless front end for the console tests. Its surface records what is drawn
// (8 x 16 pixel cells), its front end the printed texts and the titles, and its clipboard holds
// `clip`; the caret is left out. One fake at a time (gFake).
//
// The console thread, when one is started, is a typist: each WM_SETFOCUS sent from the program
// thread onto a freshly opened line makes it type the next key sequence of `script`, one
// WM_CHAR after the other. `console` is held while the console side handles anything (a key, a
// send from the program thread, a paint), so a send is handled between two messages, as the
// window's own message loop does. The drawing records are touched only under the console lock, so
// a print that leaves that lock out is a race on them under ThreadSanitizer.
#ifndef TESTS_CONSOLE_CONSOLE_FAKE_H
#define TESTS_CONSOLE_CONSOLE_FAKE_H

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/console/prompt.h"
#include "runtime/core/cp932_bytes.h"
#include "tests/test_strings.h"

struct FakeGlyph { int32_t x, y; std::string bytes; uint32_t fore; };

struct FakeConsole {
    PromptSurface surface;
    PromptState *ps;
    int32_t clientWidth = 640, clientHeight = 480;   // set while no other thread runs
    std::vector<FakeGlyph> glyphs;                   // drawing, under the console lock
    std::vector<int32_t> blankTops;                  // y of each row blanked, in order
    uint32_t fore = 0;
    int32_t surfacesOut = 0;
    std::mutex rec;                                  // guards the records below
    std::string printed;
    std::vector<std::string> titles;
    const char *clip = nullptr;                      // the clipboard's text; null: none
    std::mutex console;                              // held while the console side handles anything
    std::condition_variable opened;
    std::vector<std::string> script;                 // key sequences, one per opened line
    size_t linesOpened = 0;
    bool typing = false, stop = false;
    std::thread typist;
};
inline FakeConsole *gFake;
inline thread_local bool tFakeTypist = false;

inline void FakeSend(PromptState *ps, PromptRequest msg) {
    std::unique_lock<std::mutex> lk(gFake->console, std::defer_lock);
    if (!tFakeTypist)
        lk.lock();
    if (msg == kPromptFocusOut)
        return PromptOnKillFocus(ps);
    PromptOnSetFocus(ps);
    if (gFake->typing && !tFakeTypist && ps->linePos.load() == 0) {
        gFake->linesOpened++;
        gFake->opened.notify_all();
    }
}

inline const PromptSurfaceOps kFakeSurfaceOps = {
    [](PromptSurface *) {}, [](PromptSurface *) {},
    [](PromptSurface *, int32_t *w, int32_t *h) { *w = gFake->clientWidth, *h = gFake->clientHeight; },
    [](PromptSurface *, const uint8_t *, int32_t n) { return n * 8; },
    [](PromptSurface *, int32_t, int32_t y, int32_t, int32_t) { gFake->blankTops.push_back(y); },
    [](PromptSurface *, uint32_t fore, uint32_t) { gFake->fore = fore; },
    [](PromptSurface *, int32_t x, int32_t y, const uint8_t *g, int32_t n) {
        gFake->glyphs.push_back(FakeGlyph{x, y, std::string((const char *)g, n), gFake->fore});
    },
    RtIsLeadByte,
};

#define FAKE_RECORD(...) { std::lock_guard<std::mutex> g(gFake->rec); __VA_ARGS__; }
inline const PromptFrontEnd kFakeFrontEnd = {
    [](PromptState *) { gFake->surfacesOut++; return &gFake->surface; },
    [](PromptState *, PromptSurface *) { gFake->surfacesOut--; },
    FakeSend,
    [](PromptState *) { return gFake->clip ? StrLiteral(gFake->clip) : nullptr; },
    [](PromptState *, int32_t, int32_t) {},
    [](PromptState *) {}, [](PromptState *, int32_t, int32_t) {},
    [](PromptState *, const uint8_t *text, uint32_t n) FAKE_RECORD(gFake->printed.append((const char *)text, n)),
    [](PromptState *, const char *title) FAKE_RECORD(gFake->titles.push_back(title)),
};
#undef FAKE_RECORD

// The typist: one script line per line opened, each key handled under `console`.
inline void FakeStartTypist() {
    gFake->typing = true;
    gFake->typist = std::thread([] {
        tFakeTypist = true;
        std::unique_lock<std::mutex> lk(gFake->console);
        for (size_t typed = 0;; typed++) {
            gFake->opened.wait(lk, [&] { return gFake->stop || gFake->linesOpened > typed; });
            if (gFake->stop)
                return;
            if (typed == gFake->script.size()) {   // asked once more than the test expected
                std::fprintf(stderr, "console fake: a line was opened with no keys left\n");
                std::abort();
            }
            for (char k : gFake->script[typed]) {
                PromptOnChar(gFake->ps, (uint8_t)k);
                lk.unlock();   // other messages may come between two keys
                lk.lock();
            }
        }
    });
}

inline void FakeStopTypist() {
    if (gFake->typing) {
        {
            std::lock_guard<std::mutex> g(gFake->console);
            gFake->stop = true;
        }
        gFake->opened.notify_all();
        gFake->typist.join();
        gFake->typing = false;
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
    FakeStopTypist();
    PromptRowsFree(fc->ps);
    delete fc->ps;
    gFake = nullptr;
}

inline std::string FakeRow(PromptState *ps, int32_t i) {   // row i up to its first NUL
    return std::string((const char *)ps->rowText[i]);
}

#endif
