// PromptInput over two threads: the test thread is the program thread, the fake's console thread
// types each scripted line once the program has opened it. Lines of one item are the line
// console's end-to-end cases; too few items, which one-item questions never see, are this test's.
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
    for (int i = 0; i < 40; i++) {
        if (i % 10 == 3)
            fc.script.push_back("5\r");   // one item of two: too few, asked again
        fc.script.push_back(std::to_string(i) + ",xy\b\r");
    }
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
    size_t tooFew = 0;   // "入力データの個数が足りません"
    for (size_t at = 0; (at = fc.printed.find("\x91\xab\x82\xe8", at)) != std::string::npos; at++)
        tooFew++;
    EXPECT_EQ(tooFew, 4u);
    StrFree(text);
    FakeClose(&fc);
}

}  // namespace
