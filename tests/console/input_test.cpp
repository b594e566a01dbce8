// PromptInput over two threads: the test thread is the program thread, printing between the
// questions; a console thread does what the window's loop would, a paint every millisecond and,
// once the program has opened a line, the next scripted line's keys. Lines of one item are the
// line console's end-to-end cases; too few items, which one-item questions never see, are this
// test's. Under ThreadSanitizer it must report nothing.
#include <atomic>
#include <chrono>
#include <thread>

#include "runtime/io/input_items.h"
#include "tests/console/console_fake.h"

namespace {

TEST(Input, HandOverBetweenThreads) {
    FakeConsole fc;
    PromptState *ps = FakeOpen(&fc);
    fc.clientHeight = 64;   // four rows: the prints keep scrolling
    std::vector<std::string> script;   // the keys of each line opened, in order
    for (int i = 0; i < 40; i++) {
        if (i % 10 == 3)
            script.push_back("5\r");   // one item of two: too few, asked again
        script.push_back(std::to_string(i) + ",xy\b\r");
    }
    double number = -1;
    RtString text = StrAlloc(0);
    gInputTargets = InputTargetList{{&number, &text, nullptr}, {kInputDouble, kInputString}};

    std::atomic<bool> stop(false);
    std::thread console([&] {
        tFakeConsoleThread = true;
        std::unique_lock<std::mutex> lk(fc.console);
        for (size_t typed = 0; !stop.load();) {
            PromptOnPaint(ps, &fc.surface);
            if (typed < fc.linesOpened) {
                for (char k : script.at(typed++)) {   // at: a line asked once too often aborts
                    PromptOnChar(ps, (uint8_t)k);
                    lk.unlock();   // other messages may come between two keys
                    lk.lock();
                }
            }
            lk.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lk.lock();
        }
    });
    for (int i = 0; i < 40; i++) {
        PromptInput(ps, StrLiteral("? "));
        ASSERT_EQ(number, (double)i);
        ASSERT_EQ(std::string((const char *)text), "x");   // the Backspace took the y
        PromptPrint(ps, StrLiteral("ok\r\n"));
    }
    stop.store(true);
    console.join();
    EXPECT_EQ(fc.linesOpened, script.size());   // each line with too few items asked again
    EXPECT_EQ(ps->cursorRow, 3);
    EXPECT_NE(fc.printed.find("\x91\xab\x82\xe8"), std::string::npos);   // 足り: too few
    StrFree(text);
    FakeClose(&fc);
}

}  // namespace
