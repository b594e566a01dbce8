// FileOpen, FilePrint and FileClose: modes, exclusive opens, and the queries on a number.
#include "tests/io/io_test_support.h"

namespace {

// One open of a file that may exist beforehand, then one FilePrint.
TEST_F(IoFiles, ModesOpenCreateTruncateAndAppend) {
    const struct {
        const char *name;
        const char *before;   // null: the file does not exist
        int32_t mode;
        const char *after;    // null: the file must not exist afterwards
        bool printFails;
    } cases[] = {
        {"update opens without truncating", "abcdef", FileModeUpdate, "XYcdef", false},
        {"update creates", nullptr, FileModeUpdate, "XY", false},
        {"input of a missing file fails", nullptr, FileModeInput, nullptr, true},
        {"input cannot write", "abc", FileModeInput, "abc", true},
        {"output truncates and writes from 0", "abcdef", FileModeOutput, "XY", false},
        {"append writes behind the last byte", "abc", FileModeAppend, "abcXY", false},
        {"append creates", nullptr, FileModeAppend, "XY", false},
        {"mode 4 opens nothing", nullptr, 4, nullptr, true},
        {"mode -1 leaves the file alone", "abc", -1, "abc", true},
    };
    for (const auto &c : cases) {
        std::filesystem::remove(dir / "f.txt");
        if (c.before)
            Write("f.txt", c.before);
        FileOpen(Name("f.txt"), c.mode, 7);
        EXPECT_EQ(FileIsOpen(7), c.mode >= 0 && c.mode <= 3 && (c.before || c.mode != FileModeInput))
            << c.name;
        FilePrint(7, StrLiteral("XY"));
        EXPECT_EQ(FilePrintFailed(7), c.printFails) << c.name;
        FileClose(7);
        EXPECT_FALSE(FileIsOpen(7)) << c.name;
        EXPECT_EQ(Exists("f.txt"), c.after != nullptr) << c.name;
        EXPECT_EQ(c.after ? Read("f.txt") : "", c.after ? c.after : "") << c.name;
    }
}

// Readers share a file; any open that writes has it alone.
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
