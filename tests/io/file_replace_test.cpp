// A replacement takes the place of the old file whole, or nothing changes; a held, read-only or
// folder target is refused as Windows refuses it; no file but the program's own new one is ever
// written or removed. (Linux's failing system calls are the end-to-end cases'; this table holds
// the Windows build to the same rules.)
#include <set>
#include <string>

#include "tests/io/io_test_support.h"

namespace {

enum Target { kMissing, kPlain, kFolder, kHeldByNumber, kReadOnly };
enum Ending { kCommit, kCommitAfterFailedPrint, kClose };

const struct {
    const char *name;
    Target target;
    Ending ending;
    bool replaces;
} kReplaceCases[] = {
    {"a missing target is created", kMissing, kCommit, true},
    {"an old target is replaced whole", kPlain, kCommit, true},
    {"a folder stays", kFolder, kCommit, false},
    {"a file a number holds stays", kHeldByNumber, kCommit, false},
    {"a read-only file stays", kReadOnly, kCommit, false},   // for root on POSIX too
    {"a failed print keeps the old file", kPlain, kCommitAfterFailedPrint, false},
    {"a replacement closed uncommitted is dropped", kPlain, kClose, false},
};

TEST_F(IoFiles, ReplacementTakesThePlaceWholeOrChangesNothing) {
    for (const auto &c : kReplaceCases) {
        std::error_code ignored;
        std::filesystem::permissions(dir / "to.csv", std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir, ignored);
        std::filesystem::create_directories(dir);
        if (c.target == kFolder)
            std::filesystem::create_directory(dir / "to.csv");
        else if (c.target != kMissing)
            Write("to.csv", "old,complete\r\n");
        if (c.target == kHeldByNumber)
            FileOpen(Name("to.csv"), FileModeInput, 5);
        if (c.target == kReadOnly)
            std::filesystem::permissions(dir / "to.csv", std::filesystem::perms::owner_read);
        // The user's own file by the obvious temporary name, and another's by the program's first.
        Write("to.csv.tmp", "the user's");
        std::string taken = "to.csv.dftanalyze-" + std::to_string(PlatProcessId()) + "-" +
                            std::to_string(gFileHandles.replacementCount + 1) + ".tmp";
        Write(taken.c_str(), "another's");
        FileOpenReplacement(Name("to.csv"), 1);
        EXPECT_TRUE(FileIsOpen(1)) << c.name;
        FilePrint(1, TestString("new,"));
        FilePrint(1, TestString("complete\r\n"));
        if (c.ending == kCommitAfterFailedPrint)
            gFileHandles.printFailed[0] = true;   // as a write to a full disk leaves it
        bool replaced = false;
        if (c.ending == kClose)
            FileClose(1);
        else
            replaced = FileCommitReplacement(1);
        FileClose(5);
        EXPECT_EQ(replaced, c.replaces) << c.name;
        EXPECT_FALSE(FileIsOpen(1)) << c.name;
        const char *old = c.target == kMissing || c.target == kFolder ? "" : "old,complete\r\n";
        EXPECT_EQ(c.target == kFolder ? "" : Read("to.csv"), c.replaces ? "new,complete\r\n" : old)
            << c.name;
        EXPECT_EQ(Read("to.csv.tmp"), "the user's") << c.name;
        EXPECT_EQ(Read(taken.c_str()), "another's") << c.name;
        std::set<std::string> left;
        for (const auto &entry : std::filesystem::directory_iterator(dir))
            left.insert(entry.path().filename().string());
        std::set<std::string> want = {"to.csv.tmp", taken};
        if (c.target != kMissing || c.replaces)
            want.insert("to.csv");
        EXPECT_EQ(left, want) << c.name;
    }
}

}  // namespace
