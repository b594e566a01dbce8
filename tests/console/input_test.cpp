// PromptInput over two threads: the test thread is the program thread, the fake's console thread
// types each scripted line once the program has opened it. How a typed line splits into items,
// and the questions asked again, are the line console's end-to-end cases (the same PromptInput).
#include <atomic>
#include <chrono>

#include "runtime/io/input_items.h"
#include "tests/console/console_fake.h"

namespace {

// The hand-over under load: lines typed on the console thread while the program thread waits in
// PromptInput and prints between questions, and paints arrive from a third thread. Run under
// ThreadSanitizer, it must report nothing.
TEST(Input, HandOverBetweenThreads) {
    FakeConsole fc;
    PromptState *ps = FakeOpen(&fc);
    fc.clientHeight = 64;   // four rows: the prints keep scrolling
    for (int i = 0; i < 40; i++)
        fc.script.push_back(std::to_string(i) + ",xy\b\r");
    double number = -1;
    RtString text = StrAlloc(0);
    gInputTargets = InputTargetList{{&number, &text, nullptr}, {kInputDouble, kInputString}};

    FakeStartTypist();
    std::atomic<bool> stop(false);
    std::thread painter([&] {
        while (!stop.load()) {
            std::lock_guard<std::mutex> g(fc.console);   // a paint, between two messages
            PromptOnPaint(ps, &fc.surface);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < 40; i++) {
        PromptInput(ps, StrLiteral("? "));
        ASSERT_EQ(number, (double)i);
        ASSERT_EQ(std::string((const char *)text), "x");   // the Backspace took the y
        PromptPrint(ps, StrLiteral("ok\r\n"));
    }
    stop.store(true);
    painter.join();
    FakeStopTypist();
    EXPECT_EQ(ps->cursorRow, 3);
    StrFree(text);
    FakeClose(&fc);
}

}  // namespace
