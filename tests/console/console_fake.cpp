// console_fake.cpp: the headless front end of console_fake.h.
#include "tests/console/console_fake.h"

#include <cstdio>
#include <cstdlib>

#include "tests/test_strings.h"

static thread_local bool tOnConsoleThread = false;

static FakeConsole *Owner(PromptSurface *s) { return ((FakeSurface *)s)->owner; }
static FakeConsole *Fake(PromptState *ps) { return (FakeConsole *)ps->frontEndData; }

// ---- the recording surface ----
// Its entries take no lock of their own: the console calls them only under the console lock, so
// a missing console lock shows up under ThreadSanitizer as a race on the recordings as well.

static void NoFont(PromptSurface *) {}
static void ClientSize(PromptSurface *s, int32_t *width, int32_t *height) {
    *width = Owner(s)->clientWidth;
    *height = Owner(s)->clientHeight;
}
static int32_t TextWidth(PromptSurface *, const uint8_t *, int32_t n) { return n * kFakeCellWidth; }
static void Blank(PromptSurface *s, int32_t, int32_t y, int32_t, int32_t) {
    Owner(s)->blankTops.push_back(y);
}
static void SetColours(PromptSurface *s, uint32_t fore, uint32_t back) {
    Owner(s)->fore = fore;
    Owner(s)->back = back;
}
static void DrawGlyph(PromptSurface *s, int32_t x, int32_t y, const uint8_t *glyph, int32_t n) {
    FakeConsole *fc = Owner(s);
    fc->glyphs.push_back(FakeGlyph{x, y, std::string((const char *)glyph, n), fc->fore, fc->back});
}
static bool IsLeadByte(uint8_t b) {   // code page 932
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

static const PromptSurfaceOps kFakeSurfaceOps = {
    NoFont, NoFont, ClientSize, TextWidth, Blank, SetColours, DrawGlyph, IsLeadByte,
};

// ---- the front end ----

// One front-end record: the fake of ps, held under its `rec` mutex for the record's life.
struct Record {
    FakeConsole *fc;
    std::lock_guard<std::mutex> hold;
    explicit Record(PromptState *ps) : fc(Fake(ps)), hold(Fake(ps)->rec) {}
};

static PromptSurface *GetSurface(PromptState *ps) {
    Fake(ps)->surfacesOut.fetch_add(1, std::memory_order_relaxed);
    return &Fake(ps)->surface.base;
}
static void ReleaseSurface(PromptState *ps, PromptSurface *) {
    Fake(ps)->surfacesOut.fetch_sub(1, std::memory_order_relaxed);
}

static void Handle(FakeConsole *fc, uint32_t msg, uint8_t c, bool sentFromOutside);

static void Send(PromptState *ps, uint32_t msg) {
    FakeConsole *fc = Fake(ps);
    if (tOnConsoleThread || !fc->running) {
        Handle(fc, msg, 0, false);
        return;
    }
    bool done = false;
    std::unique_lock<std::mutex> lk(fc->qm);
    fc->queue.push_back(FakeQueued{msg, 0, &done});
    fc->qcv.notify_all();
    fc->qcv.wait(lk, [&] { return done; });
}

static RtString ClipboardText(PromptState *ps) {
    Record r(ps);
    return r.fc->hasClipboard ? TestString(r.fc->clipboard) : nullptr;
}
static void CaretShow(PromptState *ps, int32_t x, int32_t y) {
    Record(ps).fc->caretShows.push_back(FakeCaret{x, y});
}
static void CaretHide(PromptState *ps) { Record(ps).fc->caretHides++; }
static void CompositionAt(PromptState *ps, int32_t x, int32_t y) {
    Record(ps).fc->compositions.push_back(FakeCaret{x, y});
}
static void Printed(PromptState *ps, const uint8_t *text, uint32_t n) {
    Record(ps).fc->printed.append((const char *)text, n);
}
static void SetTitle(PromptState *ps, const char *title) { Record(ps).fc->titles.push_back(title); }

static const PromptFrontEnd kFakeFrontEnd = {
    GetSurface, ReleaseSurface, Send, ClipboardText, CaretShow, CaretHide, CompositionAt, Printed,
    SetTitle,
};

// ---- the test console thread ----

static void Handle(FakeConsole *fc, uint32_t msg, uint8_t c, bool sentFromOutside) {
    PromptState *ps = fc->ps;
    switch (msg) {
    case kMsgSetFocus:
        PromptOnSetFocus(ps);
        // The user starts typing once the program has opened a line and shown the caret.
        if (sentFromOutside && ps->linePos.load() == 0) {
            std::string keys;
            {
                std::lock_guard<std::mutex> g(fc->rec);
                if (fc->scriptNext == fc->script.size()) {
                    // The program asks once more than the test expected: fail now, not hang.
                    std::fprintf(stderr, "console fake: a line was opened with no keys left\n");
                    std::abort();
                }
                keys = fc->script[fc->scriptNext++];
            }
            for (char k : keys)
                FakePost(fc, kMsgChar, (uint8_t)k);
        }
        break;
    case kMsgKillFocus: PromptOnKillFocus(ps); break;
    case kMsgChar: PromptOnChar(ps, c); break;
    case kMsgPaint: PromptOnPaint(ps, &fc->surface.base); break;
    default: break;
    }
}

static void Loop(FakeConsole *fc) {
    tOnConsoleThread = true;
    for (;;) {
        FakeQueued m;
        {
            std::unique_lock<std::mutex> lk(fc->qm);
            fc->qcv.wait(lk, [&] { return !fc->queue.empty(); });
            m = fc->queue.front();
            fc->queue.pop_front();
        }
        if (m.msg == kMsgQuit)
            return;
        Handle(fc, m.msg, m.c, m.done != nullptr);
        if (m.done) {
            std::lock_guard<std::mutex> lk(fc->qm);
            *m.done = true;
            fc->qcv.notify_all();
        }
    }
}

void FakePost(FakeConsole *fc, uint32_t msg, uint8_t c) {
    std::lock_guard<std::mutex> lk(fc->qm);
    fc->queue.push_back(FakeQueued{msg, c, nullptr});
    fc->qcv.notify_all();
}

void FakeStartThread(FakeConsole *fc) {
    fc->running = true;
    fc->thread = std::thread(Loop, fc);
}

void FakeStopThread(FakeConsole *fc) {
    if (!fc->running)
        return;
    FakePost(fc, kMsgQuit, 0);
    fc->thread.join();
    fc->running = false;
}

// ---- set-up ----

PromptState *FakeOpen(FakeConsole *fc) {
    TestStringsReady();
    PromptState *ps = new PromptState();
    PromptRowsAlloc(ps);
    ps->cellWidth = kFakeCellWidth;
    ps->cellHeight = kFakeCellHeight;
    ps->linePos.store(-1);
    ps->frontEnd = &kFakeFrontEnd;
    ps->frontEndData = fc;
    fc->surface.base.ops = &kFakeSurfaceOps;
    fc->surface.owner = fc;
    fc->ps = ps;
    return ps;
}

void FakeClose(FakeConsole *fc) {
    FakeStopThread(fc);
    PromptRowsFree(fc->ps);
    delete fc->ps;
    fc->ps = nullptr;
}

void FakeClearDrawing(FakeConsole *fc) {
    std::lock_guard<std::mutex> g(fc->rec);
    fc->glyphs.clear();
    fc->blankTops.clear();
    fc->caretShows.clear();
    fc->compositions.clear();
    fc->caretHides = 0;
}
