// PromptInput over two threads: the test thread is the program thread, the fake's console thread
// types each scripted line once the program has opened it.
#include <atomic>
#include <chrono>

#include "runtime/io/input_items.h"
#include "tests/console/console_fake.h"

namespace {

// "入力データの個数が多すぎます\r\n", "入力データの個数が足りません\r\n"
const std::string kTooMany = "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94"
                             "\x82\xaa\x91\xbd\x82\xb7\x82\xac\x82\xdc\x82\xb7\r\n";
const std::string kTooFew = "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94"
                            "\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82\xf1\r\n";

struct InputCase {
    const char *name;
    int variables;                     // string variables
    std::vector<std::string> script;   // key sequences, one per line the program opens
    std::vector<std::string> values;   // the variables afterwards
    std::string transcript;            // everything printed, echo included
};

const InputCase kInputCases[] = {
    {"too many items asks again", 1, {"1,2\r", "7\r"}, {"7"}, "? 1,2\r\n" + kTooMany + "? 7\r\n"},
    {"too few items asks again", 2, {"1\r", "3,4\r"}, {"3", "4"}, "? 1\r\n" + kTooFew + "? 3,4\r\n"},
    {"a trailing comma gives an empty item", 2, {"1,\r"}, {"1", ""}, "? 1,\r\n"},
    {"a trailing comma behind the last item is too many", 2, {"1,2,\r", "5,6\r"}, {"5", "6"},
     "? 1,2,\r\n" + kTooMany + "? 5,6\r\n"},
    {"an empty line is one empty item", 1, {"\r"}, {""}, "? \r\n"},
    {"blanks stay in a string", 1, {"  a b \r"}, {"  a b "}, "?   a b \r\n"},
    {"a pasted line break is part of the line", 2, {"x\x16\r"}, {"x\r\ny", "z"}, "? x\r\ny,z\r\n"},
};

TEST(Input, SplitsAtCommasAndAsksAgain) {
    for (const InputCase &c : kInputCases) {
        FakeConsole fc;
        PromptState *ps = FakeOpen(&fc);
        uint32_t base = StrLiveCount();
        fc.script = c.script;
        fc.clipboard = "\r\ny,z";
        RtString strings[2] = {};
        for (int i = 0; i < c.variables; i++) {
            strings[i] = StrAlloc(0);
            gInputTargets.address[i] = &strings[i];
            gInputTargets.type[i] = kInputString;
        }
        gInputTargets.address[c.variables] = nullptr;

        FakeStartTypist();
        PromptInput(ps, StrLiteral("? "));
        FakeStopTypist();
        EXPECT_EQ(fc.printed, c.transcript) << c.name;
        EXPECT_EQ(fc.linesOpened, c.script.size()) << c.name;
        for (int i = 0; i < c.variables; i++) {
            EXPECT_EQ(TestText(strings[i]), c.values[i]) << c.name << " variable " << i;
            StrFree(strings[i]);
        }
        EXPECT_EQ(StrLiveCount(), base) << c.name << ": strings leaked";
        FakeClose(&fc);
    }
}

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
