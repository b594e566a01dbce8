// PromptInput over two threads: the test thread is the program thread, the fake's console thread
// types each scripted line once the program has opened it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "runtime/io/input_items.h"
#include "tests/console/console_fake.h"
#include "tests/test_strings.h"

namespace {

// "入力データの個数が多すぎます\r\n", "入力データの個数が足りません\r\n"
const std::string kTooMany =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xbd\x82\xb7"
    "\x82\xac\x82\xdc\x82\xb7\r\n";
const std::string kTooFew =
    "\x93\xfc\x97\xcd\x83\x66\x81\x5b\x83\x5e\x82\xcc\x8c\xc2\x90\x94\x82\xaa\x91\xab\x82\xe8"
    "\x82\xdc\x82\xb9\x82\xf1\r\n";

struct InputCase {
    const char *name;
    std::string types;                 // one letter per variable: d double, s string
    std::vector<std::string> script;   // key sequences, one per line the program opens
    std::vector<std::string> values;   // the variables afterwards (doubles as decimal text)
    std::string transcript;            // everything printed, echo included
};

const InputCase kInputCases[] = {
    {"one number", "d", {"12\r"}, {"12"}, "? 12\r\n"},
    {"too many items asks again", "d", {"1,2\r", "7\r"}, {"7"},
     "? 1,2\r\n" + kTooMany + "? 7\r\n"},
    {"too few items asks again", "dd", {"1\r", "3,4\r"}, {"3", "4"},
     "? 1\r\n" + kTooFew + "? 3,4\r\n"},
    {"a trailing comma gives an empty item", "ss", {"1,\r"}, {"1", ""}, "? 1,\r\n"},
    {"a trailing comma behind the last item is too many", "ss", {"1,2,\r", "5,6\r"},
     {"5", "6"}, "? 1,2,\r\n" + kTooMany + "? 5,6\r\n"},
    {"an empty line is one empty item", "s", {"\r"}, {""}, "? \r\n"},
    {"blanks stay in a string", "s", {"  a b \r"}, {"  a b "}, "?   a b \r\n"},
    {"a pasted line break is part of the line", "ss", {"x\x16\r"}, {"x\r\ny", "z"},
     "? x\r\ny,z\r\n"},
};

TEST(Input, SplitsAtCommasAndAsksAgain) {
    for (const InputCase &c : kInputCases) {
        FakeConsole fc;
        PromptState *ps = FakeOpen(&fc);
        uint32_t base = StrLiveCount();
        fc.script = c.script;
        fc.hasClipboard = true;
        fc.clipboard = "\r\ny,z";

        double numbers[4] = {};
        RtString strings[4] = {};
        for (size_t i = 0; i < c.types.size(); i++) {
            strings[i] = StrAlloc(0);
            bool isString = c.types[i] == 's';
            gInputTargets.address[i] = isString ? (void *)&strings[i] : (void *)&numbers[i];
            gInputTargets.type[i] = isString ? kInputString : kInputDouble;
        }
        gInputTargets.address[c.types.size()] = nullptr;

        FakeStartThread(&fc);
        PromptInput(ps, StrLiteral("? "));
        FakeStopThread(&fc);

        EXPECT_EQ(fc.printed, c.transcript) << c.name;
        EXPECT_EQ(fc.scriptNext, c.script.size()) << c.name;
        EXPECT_EQ(ps->linePos.load(), -1) << c.name;
        for (size_t i = 0; i < c.types.size(); i++) {
            if (c.types[i] == 's')
                EXPECT_EQ(TestText(strings[i]), c.values[i]) << c.name << " variable " << i;
            else
                EXPECT_EQ(numbers[i], std::strtod(c.values[i].c_str(), nullptr))
                    << c.name << " variable " << i;
            StrFree(strings[i]);
        }
        EXPECT_EQ(StrLiveCount(), base) << c.name << ": strings leaked";
        FakeClose(&fc);
    }
}

// The hand-over under load: many lines typed on the console thread while the program thread
// waits in PromptInput and prints between questions, and paints arrive from a third thread.
// Run under ThreadSanitizer, it must report nothing.
TEST(Input, HandOverBetweenThreads) {
    FakeConsole fc;
    PromptState *ps = FakeOpen(&fc);
    fc.clientHeight = 64;   // four rows: the prints keep scrolling
    const int kLines = 40;
    for (int i = 0; i < kLines; i++)
        fc.script.push_back(std::to_string(i) + ",xy\b\r");

    double number = -1;
    RtString text = StrAlloc(0);
    gInputTargets = InputTargetList{{&number, &text, nullptr}, {kInputDouble, kInputString}};

    FakeStartThread(&fc);
    std::atomic<bool> stop(false);
    std::thread painter([&] {
        while (!stop.load()) {
            FakePost(&fc, kMsgPaint, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < kLines; i++) {
        PromptInput(ps, StrLiteral("? "));
        ASSERT_EQ(number, (double)i);
        ASSERT_EQ(std::string((const char *)text), "x");   // the Backspace took the digit
        PromptPrint(ps, StrLiteral("ok\r\n"));
    }
    stop.store(true);
    painter.join();
    FakeStopThread(&fc);

    EXPECT_EQ(ps->cursorRow, 3);
    EXPECT_EQ(ps->windowReady.load(), 1);
    StrFree(text);
    FakeClose(&fc);
}

}  // namespace
