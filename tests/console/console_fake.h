// console_fake.h: a headless front end for the console tests. Its surface records what is drawn
// (8 x 16 pixel cells), its front end the printed texts, and its clipboard holds
// `clip`; the caret is left out. One fake at a time (gFake).
//
// A test may run a console thread of its own: `console` is held while the console side handles
// anything (a key, a send, a paint), so a send is handled between two messages as in the window's
// own loop, and a send from that thread (tFakeConsoleThread) is a plain call. The drawing records
// are touched only under the console lock: a print that leaves that lock out races on them.
#ifndef TESTS_CONSOLE_CONSOLE_FAKE_H
#define TESTS_CONSOLE_CONSOLE_FAKE_H

#include <mutex>
#include <string>
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
    const char *clip = nullptr;                      // the clipboard's text; null: none
    std::mutex console;                              // held while the console side handles anything
    size_t linesOpened = 0;                          // fresh lines focused, under `console`
};
inline FakeConsole *gFake;
inline thread_local bool tFakeConsoleThread = false;

inline void FakeSend(PromptState *ps, PromptRequest msg) {
    std::unique_lock<std::mutex> lk(gFake->console, std::defer_lock);
    if (!tFakeConsoleThread)
        lk.lock();
    if (msg == kPromptFocusOut)
        return PromptOnKillFocus(ps);
    PromptOnSetFocus(ps);
    if (!tFakeConsoleThread && ps->linePos.load() == 0)
        gFake->linesOpened++;   // a fresh line: the console thread may type its keys
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
    [](PromptState *, const char *) {},
};
#undef FAKE_RECORD

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
    PromptRowsFree(fc->ps);
    delete fc->ps;
    gFake = nullptr;
}

inline std::string FakeRow(PromptState *ps, int32_t i) {   // row i up to its first NUL
    return std::string((const char *)ps->rowText[i]);
}

// A fixture with a fake console open (fc, ps) that fails a test leaving strings live.
class FakeTest : public StringsTest {
  protected:
    void SetUp() override {
        ps = FakeOpen(&fc);
        StringsTest::SetUp();
    }
    void TearDown() override {
        FakeClose(&fc);
        StringsTest::TearDown();
    }
    FakeConsole fc;
    PromptState *ps = nullptr;
};

#endif
