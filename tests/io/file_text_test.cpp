// Files read as text: UTF-16 into code page 932 on bytes and across the reader's blocks, and
// what FileInput tells of the items that are not wholly a number.
#include "runtime/io/file_text.h"
#include "tests/io/io_test_support.h"

namespace {

#define BYTES(literal) std::string(literal, sizeof literal - 1)   // NUL bytes included

TEST(Utf16ToCp932, WholeCharactersOnly) {
    const struct {
        const char *name;
        std::string in;
        uint8_t form;
        bool last;
        std::string out;
        uint32_t used;
    } cases[] = {
        {"little-endian, a kanji", BYTES("1\0,\0\x2c\x6e"), kFileFormUtf16Le, false, "1,\x91\xaa", 6},
        {"big-endian, a kanji", BYTES("\0\x31\x6e\x2c"), kFileFormUtf16Be, false, "1\x91\xaa", 4},
        {"a pair beyond the plane is one ?", BYTES("\xd8\x3d\xde\x00\0A"), kFileFormUtf16Be, false, "?A", 6},
        {"a lone low half, a high half before A", BYTES("\xdc\0\xd8\0\0A"), kFileFormUtf16Be, false, "??A", 6},
        {"no form in the code page", BYTES("\0\xe9"), kFileFormUtf16Be, false, "?", 2},
        {"a high half at the end waits", BYTES("\0A\xd8\0"), kFileFormUtf16Be, false, "A", 2},
        {"... unless the file ends", BYTES("\0A\xd8\0"), kFileFormUtf16Be, true, "A?", 4},
        {"an odd byte waits", BYTES("\0A\0"), kFileFormUtf16Be, false, "A", 2},
        {"... unless the file ends", BYTES("\0A\0"), kFileFormUtf16Be, true, "A?", 3},
    };
    for (const auto &c : cases) {
        uint8_t out[16];
        uint32_t used = 0;
        uint32_t n = Utf16ToCp932((const uint8_t *)c.in.data(), (uint32_t)c.in.size(), c.form, c.last,
                                  out, &used);
        EXPECT_EQ(std::string((const char *)out, n), c.out) << c.name;
        EXPECT_EQ(used, c.used) << c.name;
    }
}

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
