// FileOpen and FileClose: which opens exclude which, and a number opened again. (The program
// itself opens data.csv only to read it and saves by replacement: file_replace_test.)
#include "tests/io/io_test_support.h"

namespace {

// Readers share a file; any open that writes has it alone, and a refused open truncates nothing.
TEST_F(IoFiles, OpensAreExclusiveWhicheverModes) {
    for (int32_t first : {FileModeUpdate, FileModeInput, FileModeOutput, FileModeAppend}) {
        for (int32_t second : {FileModeUpdate, FileModeInput, FileModeOutput, FileModeAppend}) {
            Write("f.txt", "keep");
            FileOpen(Name("f.txt"), first, 1);
            FileOpen(Name("f.txt"), second, 2);
            bool shared = first == FileModeInput && second == FileModeInput;
            EXPECT_TRUE(FileIsOpen(1)) << first << " then " << second;
            EXPECT_EQ(FileIsOpen(2), shared) << first << " then " << second;
            FileClose(1);
            EXPECT_EQ(Read("f.txt"), first == FileModeOutput ? "" : "keep")
                << first << " then " << second << ": a refused open must not truncate";
            FileOpen(Name("f.txt"), second, 2);
            EXPECT_TRUE(FileIsOpen(2)) << "after the close: " << first << " then " << second;
            FileClose(2);
        }
    }
    FileOpen(Name("g.txt"), 4, 3);   // no such mode: nothing opened, nothing made
    EXPECT_FALSE(FileIsOpen(3));
    EXPECT_FALSE(Exists("g.txt"));
}

// A number opened again lets its first file go, the same file under the same number included.
TEST_F(IoFiles, ReopeningANumberClosesItsFile) {
    Write("a.csv", "1");
    Write("b.csv", "2");
    FileOpen(Name("a.csv"), FileModeInput, 1);
    FileOpen(Name("b.csv"), FileModeInput, 1);
    FileOpen(Name("a.csv"), FileModeInput, 2);
    EXPECT_TRUE(FileIsOpen(2)) << "the first file was let go";
    double v = 0;
    InputTargetsSetOne(&v, kInputDouble);
    FileInput(1);
    EXPECT_EQ(v, 2);
    FileOpen(Name("b.csv"), FileModeInput, 1);
    EXPECT_TRUE(FileIsOpen(1));
}

}  // namespace
