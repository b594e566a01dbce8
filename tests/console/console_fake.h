// console_fake.h: a headless console front end for the tests: a surface that records what is
// drawn, a front end that records the caret, the composition window and the printed texts, and
// a test console thread with a small message queue (std::thread, so it runs on every build).
//
// Threads: what the surface records is guarded by the console lock, the rest by the fake's own
// mutex. send() from the console thread, or while no console thread runs, is a plain call; from
// any other thread it queues the message and waits until the console thread has handled it
// between two messages of its loop.
// Typing: when the console thread handles a WM_SETFOCUS sent from the program thread and finds
// a freshly opened line, it queues the next scripted key sequence of `script` as WM_CHARs.
#ifndef TESTS_CONSOLE_CONSOLE_FAKE_H
#define TESTS_CONSOLE_CONSOLE_FAKE_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "runtime/console/prompt.h"

struct FakeGlyph {
    int32_t x, y;
    std::string bytes;
    uint32_t fore, back;
};

struct FakeCaret {
    int32_t x, y;
};

struct FakeQueued {
    uint32_t msg;
    uint8_t c;          // WM_CHAR's character
    bool *done;         // a send: set when handled; null for a post
};

struct FakeConsole;
struct FakeSurface {
    PromptSurface base;          // first: a PromptSurface pointer is a FakeSurface pointer
    FakeConsole *owner;
};

struct FakeConsole {
    FakeSurface surface;         // handed out by getSurface and given to paints
    PromptState *ps;

    // Drawing: touched under the console lock only (and by the test thread while no other
    // thread draws); clientWidth and clientHeight are set while no other thread runs.
    int32_t clientWidth = 640;   // pixels
    int32_t clientHeight = 480;
    std::vector<FakeGlyph> glyphs;
    std::vector<int32_t> blankTops;   // y of each row blank, in drawing order
    uint32_t fore = 0, back = 0;
    std::atomic<int32_t> surfacesOut{0};   // taken and not yet given back

    std::mutex rec;              // guards everything from here down to `script`
    std::vector<FakeCaret> caretShows;
    std::vector<FakeCaret> compositions;
    int32_t caretHides = 0;
    std::string printed;
    bool hasClipboard = false;
    std::string clipboard;
    std::vector<std::string> titles;   // every title set, in order

    std::vector<std::string> script;   // key sequences, one per opened line
    size_t scriptNext = 0;

    std::mutex qm;
    std::condition_variable qcv;
    std::deque<FakeQueued> queue;
    bool running = false;
    std::thread thread;
};

enum { kFakeCellWidth = 8, kFakeCellHeight = 16 };

// A console on fc: state zeroed, rows made, cell 8 x 16, no line open. Calls StrInit once.
PromptState *FakeOpen(FakeConsole *fc);
void FakeClose(FakeConsole *fc);           // stops the console thread if it runs, frees the rows

void FakeStartThread(FakeConsole *fc);
void FakeStopThread(FakeConsole *fc);
void FakePost(FakeConsole *fc, uint32_t msg, uint8_t c);

// Drops everything recorded so far (not the printed text).
void FakeClearDrawing(FakeConsole *fc);

// Row i's text up to its first NUL.
std::string FakeRow(PromptState *ps, int32_t i);
// An RtString with exactly these bytes (NULs included).
RtString FakeText(const std::string &bytes);

#endif
