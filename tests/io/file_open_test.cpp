// FileOpen, FilePrint and FileClose: modes, exclusive opens, and the queries on a number.
#include <string>

#include "runtime/io/input_items.h"
#include "tests/io/io_test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One open of a file that may exist beforehand, then one FilePrint.
struct ModeCase {
    const char *name;
    const char *before;   // null: the file does not exist
    int32_t mode;
    bool opens;
    const char *after;    // null: the file must not exist afterwards
    bool printFails;
};

const ModeCase kModeCases[] = {
    {"update opens without truncating", "abcdef", FileModeUpdate, true, "XYcdef", false},
    {"update creates", nullptr, FileModeUpdate, true, "XY", false},
    {"input of a missing file fails", nullptr, FileModeInput, false, nullptr, true},
    {"input cannot write", "abc", FileModeInput, true, "abc", true},
    {"output truncates and writes from 0", "abcdef", FileModeOutput, true, "XY", false},
    {"output creates", nullptr, FileModeOutput, true, "XY", false},
    {"append writes behind the last byte", "abc", FileModeAppend, true, "abcXY", false},
    {"append creates", nullptr, FileModeAppend, true, "XY", false},
    {"mode 4 opens nothing", nullptr, 4, false, nullptr, true},
    {"mode -1 leaves the file alone", "abc", -1, false, "abc", true},
};

TEST_F(IoFiles, ModesOpenCreateTruncateAndAppend) {
    for (const auto &c : kModeCases) {
        std::filesystem::remove(dir / "f.txt");
        if (c.before)
            Write("f.txt", c.before);
        FileOpen(Name("f.txt"), c.mode, 7);
        EXPECT_EQ(FileIsOpen(7), c.opens) << c.name;
        FilePrint(7, StrLiteral("XY"));
        EXPECT_EQ(FilePrintFailed(7), c.printFails) << c.name;
        FileClose(7);
        EXPECT_FALSE(FileIsOpen(7)) << c.name;
        EXPECT_EQ(Exists("f.txt"), c.after != nullptr) << c.name;
        if (c.after) {
            EXPECT_EQ(Read("f.txt"), c.after) << c.name;
        }
    }
}

TEST_F(IoFiles, PrintWritesTheLengthNotUpToNul) {
    FileOpen(Name("f.txt"), FileModeOutput, 1);
    FilePrint(1, StrAlloc(0));
    FilePrint(1, TestString(std::string("a\0b", 3)));
    FilePrint(1, StrLiteral("\r\n"));
    EXPECT_FALSE(FilePrintFailed(1));
    EXPECT_EQ(PlatFileSize(gFileHandles.handle[0]), 5) << "the size as the platform layer sees it";
    FileClose(1);
    EXPECT_EQ(Read("f.txt"), std::string("a\0b\r\n", 5));
}

TEST_F(IoFiles, OpensAreExclusiveWhicheverModes) {
    for (int32_t first : {FileModeUpdate, FileModeInput, FileModeOutput, FileModeAppend}) {
        for (int32_t second : {FileModeUpdate, FileModeInput, FileModeOutput, FileModeAppend}) {
            Write("f.txt", "keep");
            FileOpen(Name("f.txt"), first, 1);
            ASSERT_TRUE(FileIsOpen(1)) << first;
            FileOpen(Name("f.txt"), second, 2);
            EXPECT_FALSE(FileIsOpen(2)) << first << " then " << second;
            FileClose(1);
            EXPECT_EQ(Read("f.txt"), first == FileModeOutput ? "" : "keep")
                << first << " then " << second << ": a refused open must not truncate";
            FileOpen(Name("f.txt"), second, 2);
            EXPECT_TRUE(FileIsOpen(2)) << "after the close: " << first << " then " << second;
            FileClose(2);
        }
    }
}

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
    FileInput(2);
    EXPECT_EQ(v, 1);

    // The same file again under the same number: the old open goes first, so the new one succeeds.
    FileOpen(Name("b.csv"), FileModeInput, 1);
    EXPECT_TRUE(FileIsOpen(1));
}

TEST_F(IoFiles, PrintFailureLastsUntilTheNextOpen) {
    FileOpen(Name("missing.csv"), FileModeInput, 3);
    FilePrint(3, StrLiteral("x"));
    EXPECT_TRUE(FilePrintFailed(3));
    FileOpen(Name("r.csv"), FileModeOutput, 3);
    EXPECT_FALSE(FilePrintFailed(3));
    FilePrint(3, StrLiteral("x"));
    EXPECT_FALSE(FilePrintFailed(3));
    FilePrint(4, StrLiteral("never opened"));
    EXPECT_TRUE(FilePrintFailed(4));
}

// Numbers outside 1 to 256 are refused quietly, and a number with no open file reads nothing.
TEST_F(IoFiles, NumbersOutOfRangeAreRefusedQuietly) {
    Write("data.csv", "1");
    double v = -999.0;
    InputTargetsSetOne(&v, kInputDouble);
    FileOpen(Name("missing.csv"), FileModeInput, 1);
    for (int32_t number : {1, 2, 0, 257, -1, 100000}) {
        FileInput(number);
        EXPECT_EQ(FileInputStoredCount(), 0) << number;
        if (number >= 1 && number <= 256)
            continue;
        FileOpen(Name("f.txt"), FileModeOutput, number);
        EXPECT_FALSE(Exists("f.txt")) << number;
        EXPECT_FALSE(FileIsOpen(number)) << number;
        FilePrint(number, StrLiteral("x"));
        EXPECT_FALSE(FilePrintFailed(number)) << number;
        FileClose(number);
    }
    EXPECT_EQ(v, -999.0);
    FileOpen(Name("f.txt"), FileModeOutput, 256);
    EXPECT_TRUE(FileIsOpen(256)) << "256 is the last number";
}

#ifndef _WIN32
TEST_F(IoFiles, AnotherHoldersLockKeepsTheFileOut) {
    Write("f.txt", "keep");
    int other = open(Path("f.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    FileOpen(Name("f.txt"), FileModeOutput, 1);
    EXPECT_FALSE(FileIsOpen(1));
    close(other);
    EXPECT_EQ(Read("f.txt"), "keep");
    FileOpen(Name("f.txt"), FileModeInput, 1);
    EXPECT_TRUE(FileIsOpen(1));
}

TEST_F(IoFiles, OnlyRegularFilesOpenAndNoneWaits) {
    // A FIFO without a writer would block a plain open for ever; a device is no data file.
    ASSERT_EQ(mkfifo(Path("fifo.csv").c_str(), 0666), 0);
    ASSERT_EQ(symlink("/dev/null", Path("null.csv").c_str()), 0);
    for (const char *name : {"fifo.csv", "null.csv"}) {
        for (int32_t mode : {FileModeInput, FileModeOutput, FileModeUpdate}) {
            FileOpen(Name(name), mode, 1);
            EXPECT_FALSE(FileIsOpen(1)) << name << " mode " << mode;
        }
    }
}

TEST_F(IoFiles, HandleIsNeverAStandardStream) {
    int saved = dup(0);
    ASSERT_GE(saved, 0);
    close(0);
    FileOpen(Name("f.txt"), FileModeOutput, 1);
    PlatFile handle = gFileHandles.handle[0];
    dup2(saved, 0);
    close(saved);
    EXPECT_GE(handle, 3);
    FilePrint(1, StrLiteral("x"));
    EXPECT_FALSE(FilePrintFailed(1));
}
#endif

}  // namespace
