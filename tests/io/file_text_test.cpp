// What FileInput tells of the items of a file that are not wholly a number.
#include "tests/io/io_test_support.h"

namespace {

// Every item of the file read into one double at a time, and what the tally then holds.
TEST_F(IoFiles, NonNumbersAreCountedWithTheFirstShownAsItWas) {
    std::string straddling = "\xfe\xff";   // a pair across the first block's end, then 8
    for (int i = 0; i < 4095; i++)
        straddling += std::string("\0007\0,", 4);
    straddling += std::string("\0,\xd8\x3d\xde\x00\0,\0008", 10);
    const struct {
        const char *name;
        std::string contents;
        uint32_t count, line;
        std::string text;
        double last;   // the last value read
    } cases[] = {
        {"numbers and empty fields count nothing", "1,,2\r\n\r\n -3 , 4\r\n&H1F,.5,5.\r\n", 0, 0, "", 5},
        {"the first one's line, after CR LF and LF", "1\r\n2\n3,x4,y\r\n", 2, 3, "x4", 0},
        {"at most 24 bytes, never half a character",
         "abcdefghijklmnopqrstuvw\x82\xa0z\n", 1, 1, "abcdefghijklmnopqrstuvw", 0},
        {"control bytes and a lone lead byte as ?", "a\x01\x7f\x82\r2", 1, 1, "a????2", 0},
        {"UTF-16 across the reader's blocks", straddling, 1, 1, "?", 8},
    };
    for (const auto &c : cases) {
        Write("data.csv", c.contents);
        FileOpenText(Name("data.csv"), 1);
        double v = 0, last = -1;
        InputTargetsSetOne(&v, kInputDouble);
        for (FileInput(1); FileInputStoredCount() == 1; FileInput(1))
            last = v;
        const FileNonNumbers *t = FileInputNonNumbers(1);
        EXPECT_EQ(t->count, c.count) << c.name;
        EXPECT_EQ(t->firstLine, c.line) << c.name;
        EXPECT_EQ(std::string(t->firstText), c.text) << c.name;
        EXPECT_EQ(last, c.last) << c.name;
        FileClose(1);
    }
}

}  // namespace
