// FileInput through real files: the reading rules by example, and where the handle stands after
// each call; fuzz/fuzz_data_file.cpp holds both to a model over any bytes.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/io/io_test_support.h"

namespace {

// Successive calls with one variable each (a double, or a string for rows marked so), until a
// call stores nothing; doubles are compared with the value of their text here.
struct ItemCase {
    const char *name;
    std::string contents;
    std::vector<std::string> values;
    bool strings = false;
};

const ItemCase kItemCases[] = {
    {"CR LF, LF, commas, empty fields and lines", "1\r\n2\n3,,4,\r\n\r\n5", {"1", "2", "3", "0", "4", "0", "0", "5"}},
    {"blanks around a comma, blanks alone separate, a blank before the line end", "  7 ,\t8  9 \r\n",
     {"7", "8", "9", "0"}},
    {"comma and line end inside quotes end only at the line end", "\"1,234\"\r\n\"1\n2\"", {"0", "0", "2"}},
    {"a string keeps inner and trailing blanks and quotes", "  a b,\"x, y\" \r\nend",
     {"a b", "\"x, y\" ", "end"}, true},
    {"NUL ends an item; a CR as the last byte is no text, a lone CR is", std::string("a\rb\0\r\n1\r", 8),
     {"a\rb", "", "1"}, true},
    {"item longer than any read block", std::string(40000, 'q') + ",r", {std::string(40000, 'q'), "r"}, true},
};std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

TEST_F(IoFiles, ReadsItemsOnePerCall) {
    for (const auto &c : kItemCases) {
        Write("data.csv", c.contents);
        FileOpen(Name("data.csv"), FileModeInput, 1);
        double number = -999.0;
        RtString text = StrLiteral("-999");
        InputTargetsSetOne(c.strings ? (void *)&text : (void *)&number,
                           c.strings ? kInputString : kInputDouble);
        std::vector<std::string> got, want = c.values;
        for (int call = 0; call < 10; call++) {
            FileInput(1);
            if (FileInputStoredCount() == 0)
                break;
            got.push_back(c.strings ? TestText(text) : Num(number));
        }
        for (auto &w : want)
            w = c.strings ? w : Num(std::strtod(w.c_str(), nullptr));
        EXPECT_EQ(got, want) << c.name;
        // The call that stored nothing left the variable as the last one stored it.
        EXPECT_EQ(c.strings ? TestText(text) : Num(number), want.empty() ? Num(-999) : want.back());
        StrFree(text);
        FileClose(1);
    }
}

TEST_F(IoFiles, OneCallFillsSeveralVariablesAndTheRestKeepTheirs) {
    Write("data.csv", "12,  hello world ,3.5\r\n9");
    FileOpen(Name("data.csv"), FileModeInput, 1);
    int32_t n = 0;
    RtString s = StrAlloc(0);
    double d = 0;
    gInputTargets = InputTargetList{{&n, &s, &d, nullptr}, {kInputInt32, kInputString, kInputDouble}};
    FileInput(1);
    EXPECT_EQ(FileInputStoredCount(), 3);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(TestText(s), "hello world ");
    EXPECT_EQ(d, 3.5);
    FileInput(1);   // the data end after one more item
    EXPECT_EQ(FileInputStoredCount(), 1);
    EXPECT_EQ(n, 9);
    EXPECT_EQ(TestText(s), "hello world ");
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
    {"behind the comma", "10,20\r\n30", 1, "10,Z0\r\n30"},
    {"blanks and one comma consumed, the byte after blanks given back", "1 ,2  3", 2, "1 ,2  Z"},
    {"behind the byte after a lone CR", "1\r2,3", 1, "1\r2,Z"},
    {"at the end after the data end", "1,2", 3, "1,2Z"},
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
    FilePrint(1, StrLiteral("77"));   // over "20"; the next read starts at its comma
    std::vector<double> got;
    for (int i = 0; i < 3; i++, got.push_back(v))
        FileInput(1);
    EXPECT_EQ(got, (std::vector<double>{0, 30, 40}));
    FileClose(1);
    EXPECT_EQ(Read("data.csv"), "10,77,30,40");
}

}  // namespace
