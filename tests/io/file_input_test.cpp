// FileInput through real files, on every platform: where the handle stands after each call, and
// a read after a print. The reading rules themselves, over any bytes and target lists, are
// fuzz/fuzz_data_file.cpp's model (its seeds run with every test).
#include <vector>

#include "tests/io/io_test_support.h"

namespace {

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
    {"behind an item longer than any read block", std::string(40000, '7') + ",8", 1,
     std::string(40000, '7') + ",Z"},
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
