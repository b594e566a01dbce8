// console_fake.h: a headless console front end for the tests: a surface that records what is
// drawn, a front end that records the caret, the composition window, the printed texts and the
// titles, and a test console thread with a small message queue (std::thread, on every build).
//
// Threads: what the surface records is guarded by the console lock, the rest by `rec`. A send
// from the console thread, or while no console thread runs, is a plain call; from any other
// thread it queues the message and waits until the console thread has handled it between two
// messages of its loop. When the console thread handles a WM_SETFOCUS sent from the program
// thread and finds a freshly opened line, it posts the next key sequence of `script` as WM_CHARs.
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

struct FakeGlyph { int32_t x, y; std::string bytes; uint32_t fore, back; };   // x, y in pixels
struct FakeCaret { int32_t x, y; };                                             // pixels
// A queued message: c is WM_CHAR's character; done is set when a send is handled (null: a post).
struct FakeQueued { uint32_t msg; uint8_t c; bool *done; };

struct FakeConsole;
struct FakeSurface {
    PromptSurface base;   // first: a PromptSurface pointer is a FakeSurface pointer
    FakeConsole *owner;
};

struct FakeConsole {
    FakeSurface surface;   // handed out by getSurface and given to paints
    PromptState *ps;

    // Drawing, under the console lock; the client size is set while no other thread runs.
    int32_t clientWidth = 640, clientHeight = 480;   // pixels
    std::vector<FakeGlyph> glyphs;
    std::vector<int32_t> blankTops;   // y of each row blank, in drawing order
    uint32_t fore = 0, back = 0;
    std::atomic<int32_t> surfacesOut{0};   // taken and not yet given back

    std::mutex rec;   // guards everything from here down to `script`
    std::vector<FakeCaret> caretShows, compositions;
    int32_t caretHides = 0;
    std::string printed;
    bool hasClipboard = false;
    std::string clipboard;
    std::vector<std::string> titles;   // every title set, in order
    std::vector<std::string> script;   // key sequences, one per opened line
    size_t scriptNext = 0;

    std::mutex qm;   // guards the queue
    std::condition_variable qcv;
    std::deque<FakeQueued> queue;
    bool running = false;
    std::thread thread;
};

enum { kFakeCellWidth = 8, kFakeCellHeight = 16 };

// A console on fc: state zeroed, rows made, cell 8 x 16, no line open; the strings ready.
PromptState *FakeOpen(FakeConsole *fc);
void FakeClose(FakeConsole *fc);   // stops the console thread if it runs, frees the rows

void FakeStartThread(FakeConsole *fc);
void FakeStopThread(FakeConsole *fc);
void FakePost(FakeConsole *fc, uint32_t msg, uint8_t c);

// Drops the drawing, caret and composition records (not the printed text).
void FakeClearDrawing(FakeConsole *fc);

// Row i's text up to its first NUL.
inline std::string FakeRow(PromptState *ps, int32_t i) {
    return std::string((const char *)ps->rowText[i]);
}

#endif
