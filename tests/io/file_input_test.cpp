// FileInput through real files: the reading rules, and where the handle stands after each call.
#include <string>
#include <vector>

#include "runtime/io/input_items.h"
#include "tests/io/io_test_support.h"

namespace {

const double kUntouched = -999.0;

// Successive calls with one double each, until a call stores nothing.
struct NumberCase {
    const char *name;
    std::string contents;
    std::vector<double> values;
};

const NumberCase kNumberCases[] = {
    {"one per line, CR LF", "1\r\n2\r\n3\r\n", {1, 2, 3}},
    {"commas on one line", "1,2,3\r\n", {1, 2, 3}}, {"LF alone", "1\n2", {1, 2}},
    {"empty field", "1,,2", {1, 0, 2}}, {"comma before line end", "1,\r\n2", {1, 0, 2}},
    {"empty line", "1\r\n\r\n2", {1, 0, 2}}, {"blanks around a comma", "  7 , 8", {7, 8}},
    {"tabs around a comma", "7\t,\t8", {7, 8}}, {"blanks alone separate", "1  2", {1, 2}},
    {"blank before line end gives an empty item", "1 \r\n2", {1, 0, 2}},
    {"no exponent", "1.5e3", {1.5}}, {"quoted number", "\"12\"", {0}},
    {"comma inside quotes", "\"1,234\"\r\n5", {0, 5}},
    {"line end inside quotes ends the item", "\"1\n2\"", {0, 2}},
    {"lone CR stays in the item", "1\r2", {1}}, {"CR as the last byte", "5\r", {5}},
    {"NUL ends an item", std::string("1\0" "2", 3), {1, 2}},
    {"header line reads as 0", "value\r\n-4.25\r\n", {0, -4.25}}, {"empty file", "", {}},
    {"only blanks and tabs", " \t \t", {}},
};

TEST_F(IoFiles, ReadsNumbersOnePerCall) {
    for (const auto &c : kNumberCases) {
        Write("data.csv", c.contents);
        FileOpen(Name("data.csv"), FileModeInput, 1);
        std::vector<double> got;
        for (int call = 0; call < 10; call++) {
            double v = kUntouched;
            InputTargetsSetOne(&v, kInputDouble);
            FileInput(1);
            if (FileInputStoredCount() == 0) {
                EXPECT_EQ(v, kUntouched) << c.name << ": a call that stores nothing keeps the value";
                break;
            }
            got.push_back(v);
        }
        EXPECT_EQ(got, c.values) << c.name;
        FileClose(1);
    }
}

// Successive calls with one string variable each.
struct StringCase {
    const char *name;
    std::string contents;
    std::vector<std::string> values;
};

const StringCase kStringCases[] = {
    {"string keeps inner blanks", "a b,c", {"a b", "c"}},
    {"quotes kept, comma inside", "\"x, y\",z", {"\"x, y\"", "z"}},
    {"leading blanks skipped, trailing kept", "  lead,\ttab \r\nend", {"lead", "tab ", "end"}},
    {"CR as the last byte is no text", "1\r", {"1"}}, {"lone CR is text", "a\rb\r\n", {"a\rb"}},
    {"empty first field", ",x", {"", "x"}},
    {"item longer than any read block", std::string(40000, 'q') + ",r",
     {std::string(40000, 'q'), "r"}},
};

TEST_F(IoFiles, ReadsStringsOnePerCall) {
    for (const auto &c : kStringCases) {
        Write("data.csv", c.contents);
        FileOpen(Name("data.csv"), FileModeInput, 1);
        std::vector<std::string> got;
        RtString v = StrLiteral("untouched");
        InputTargetsSetOne(&v, kInputString);
        for (int call = 0; call < 10; call++) {
            FileInput(1);
            if (FileInputStoredCount() == 0)
                break;
            got.push_back(TestText(v));
        }
        EXPECT_EQ(got, c.values) << c.name;
        StrFree(v);
        FileClose(1);
    }
}

TEST_F(IoFiles, OneCallFillsSeveralVariablesOfMixedKinds) {
    Write("data.csv", "12,  hello world ,3.5\r\n9");
    FileOpen(Name("data.csv"), FileModeInput, 1);
    int32_t n = 0;
    RtString s = StrAlloc(0);
    double d = 0;
    gInputTargets =
        InputTargetList{{&n, &s, &d, nullptr}, {kInputInt32, kInputString, kInputDouble}};
    FileInput(1);
    EXPECT_EQ(FileInputStoredCount(), 3);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(TestText(s), "hello world ");
    EXPECT_EQ(d, 3.5);

    // The data end after one more item: the later variables keep their values.
    FileInput(1);
    EXPECT_EQ(FileInputStoredCount(), 1);
    EXPECT_EQ(n, 9);
    EXPECT_EQ(TestText(s), "hello world ");
    EXPECT_EQ(d, 3.5);
    StrFree(s);
}

// In update mode, one FilePrint after the reads overwrites the first byte not consumed.
struct PositionCase {
    const char *name;
    std::string contents;
    int calls;   // FileInput calls with one double each
    std::string after;
};

const PositionCase kPositionCases[] = {
    {"behind the comma", "10,20\r\n30", 1, "10,Z0\r\n30"}, {"behind CR LF", "1\r\n2", 1, "1\r\nZ"},
    {"behind LF", "1\n2", 1, "1\nZ"}, {"the byte after blanks is given back", "1  2", 1, "1  Z"},
    {"blanks and one comma consumed", "1 ,2", 1, "1 ,Z"},
    {"behind the byte after a lone CR", "1\r2,3", 1, "1\r2,Z"},
    {"blank-only data are consumed", "   ", 1, "   Z"},
    {"at the end after the data end", "1", 2, "1Z"},
    {"second call goes on from the first", "1,2,3", 2, "1,2,Z"},
    {"far behind the first read block", std::string(20000, ' ') + "7,8", 1,
     std::string(20000, ' ') + "7,Z"},
};

TEST_F(IoFiles, PositionStandsBehindTheConsumedBytes) {
    for (const auto &c : kPositionCases) {
        Write("data.csv", c.contents);
        FileOpen(Name("data.csv"), FileModeUpdate, 1);
        double v;
        InputTargetsSetOne(&v, kInputDouble);
        for (int call = 0; call < c.calls; call++)
            FileInput(1);
        FilePrint(1, StrLiteral("Z"));
        EXPECT_FALSE(FilePrintFailed(1)) << c.name;
        FileClose(1);
        EXPECT_EQ(Read("data.csv"), c.after) << c.name;
    }
}

// A read after a print must not serve stale bytes of an earlier read block.
TEST_F(IoFiles, ReadingAfterAPrintSeesWhatWasWritten) {
    Write("data.csv", "10,20,30,40");
    FileOpen(Name("data.csv"), FileModeUpdate, 1);
    double v = 0;
    InputTargetsSetOne(&v, kInputDouble);
    FileInput(1);
    EXPECT_EQ(v, 10);
    FilePrint(1, StrLiteral("77"));   // over "20"; the next read starts at its comma
    for (double e : {0.0, 30.0, 40.0}) {
        FileInput(1);
        EXPECT_EQ(v, e);
    }
    FileClose(1);
    EXPECT_EQ(Read("data.csv"), "10,77,30,40");
}

}  // namespace
