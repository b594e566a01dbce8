// FileOpen, FilePrint and FileClose: modes, exclusive opens, and the queries on a number.
#include "tests/io/io_test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

TEST_F(IoFiles, PrintWritesTheLengthNotUpToNulAndFailureLastsUntilTheNextOpen) {
    FileOpen(Name("f.txt"), FileModeOutput, 1);
    FilePrint(1, StrAlloc(0));
    FilePrint(1, TestString(std::string("a\0b\r\n", 5)));
    EXPECT_FALSE(FilePrintFailed(1));
    FileClose(1);
    EXPECT_EQ(Read("f.txt"), std::string("a\0b\r\n", 5));
    FileOpen(Name("missing.csv"), FileModeInput, 3);
    FilePrint(3, StrLiteral("x"));
    EXPECT_TRUE(FilePrintFailed(3));
    FileOpen(Name("r.csv"), FileModeOutput, 3);
    EXPECT_FALSE(FilePrintFailed(3));
    FilePrint(4, StrLiteral("never opened"));
    EXPECT_TRUE(FilePrintFailed(4));
}

TEST_F(IoFiles, OpensAreExclusiveWhicheverModes) {
    for (int32_t first : {FileModeUpdate, FileModeInput, FileModeOutput, FileModeAppend}) {
        for (int32_t second : {FileModeUpdate, FileModeInput, FileModeOutput, FileModeAppend}) {
            Write("f.txt", "keep");
            FileOpen(Name("f.txt"), first, 1);
            FileOpen(Name("f.txt"), second, 2);
            EXPECT_TRUE(FileIsOpen(1) && !FileIsOpen(2)) << first << " then " << second;
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

// Numbers outside 1 to 256 are refused quietly, and a number with no open file reads nothing.
TEST_F(IoFiles, NumbersOutOfRangeAreRefusedQuietly) {
    double v = -999.0;
    InputTargetsSetOne(&v, kInputDouble);
    for (int32_t number : {2, 0, 257, -1}) {
        FileInput(number);
        EXPECT_EQ(FileInputStoredCount(), 0) << number;
        if (number == 2)
            continue;
        FileOpen(Name("f.txt"), FileModeOutput, number);
        EXPECT_FALSE(Exists("f.txt") || FileIsOpen(number)) << number;
        FilePrint(number, StrLiteral("x"));
        EXPECT_FALSE(FilePrintFailed(number)) << number;
        FileClose(number);
    }
    EXPECT_EQ(v, -999.0);
    FileOpen(Name("f.txt"), FileModeOutput, 256);
    EXPECT_TRUE(FileIsOpen(256)) << "256 is the last number";
}

#ifndef _WIN32
// Another process's lock keeps the file out; a FIFO (a plain open would wait for ever for a
// writer) and a device are no data files; a handle is never a standard stream, even with 0 closed.
TEST_F(IoFiles, OnlyUnheldRegularFilesOpenAndNoneIsAStandardStream) {
    Write("f.txt", "keep");
    int other = open(Path("f.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    FileOpen(Name("f.txt"), FileModeOutput, 1);
    EXPECT_FALSE(FileIsOpen(1));
    close(other);
    EXPECT_EQ(Read("f.txt"), "keep");
    ASSERT_EQ(mkfifo(Path("fifo.csv").c_str(), 0666), 0);
    ASSERT_EQ(symlink("/dev/null", Path("null.csv").c_str()), 0);
    for (const char *name : {"fifo.csv", "null.csv"}) {
        for (int32_t mode : {FileModeInput, FileModeOutput, FileModeUpdate}) {
            FileOpen(Name(name), mode, 1);
            EXPECT_FALSE(FileIsOpen(1)) << name << " mode " << mode;
        }
    }
    int saved = dup(0);
    close(0);
    FileOpen(Name("f.txt"), FileModeOutput, 1);
    PlatFile handle = gFileHandles.handle[0];
    dup2(saved, 0);
    close(saved);
    EXPECT_GE(handle, 3);
}
#endif

}  // namespace
