// FileReplace and FileRemove: a finished file takes the place of the old one whole, or nothing
// changes; a held, read-only or folder target is refused as Windows refuses it.
#include <string>

#include "tests/io/io_test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

enum Target { kMissing, kPlain, kFolder, kHeldByNumber, kReadOnly, kLockedElsewhere };

struct ReplaceCase {
    const char *name;
    Target target;
    bool replaces;
};

const ReplaceCase kReplaceCases[] = {
    {"a missing target is created", kMissing, true},
    {"an old target is replaced whole", kPlain, true},
    {"a folder stays", kFolder, false},
    {"a file a number holds stays", kHeldByNumber, false},
#ifdef _WIN32
    {"a read-only file stays", kReadOnly, false},   // root on POSIX may write any file
#else
    // Another process's flock on the old file is a hold like share mode 0 on Windows.
    {"a file another process locks stays", kLockedElsewhere, false},
#endif
};

TEST_F(IoFiles, ReplacePutsTheNewFileInPlaceOrChangesNothing) {
    for (const auto &c : kReplaceCases) {
        std::error_code ignored;
        std::filesystem::permissions(dir / "to.csv", std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir / "to.csv");
        Write("new.tmp", "new,complete\r\n");
        if (c.target == kFolder)
            std::filesystem::create_directory(dir / "to.csv");
        else if (c.target != kMissing)
            Write("to.csv", "old,complete\r\n");
        if (c.target == kHeldByNumber)
            FileOpen(Name("to.csv"), FileModeInput, 5);
        if (c.target == kReadOnly)
            std::filesystem::permissions(dir / "to.csv", std::filesystem::perms::owner_read);
#ifndef _WIN32
        int fd = c.target == kLockedElsewhere ? open(Path("to.csv").c_str(), O_RDONLY) : -1;
        ASSERT_TRUE(fd < 0 || flock(fd, LOCK_EX) == 0) << c.name;
#endif

        EXPECT_EQ(FileReplace(Name("new.tmp"), Name("to.csv")), c.replaces) << c.name;
        FileClose(5);
#ifndef _WIN32
        if (fd >= 0)
            close(fd);
#endif
        EXPECT_EQ(Exists("new.tmp"), !c.replaces) << c.name;
        std::string want = c.replaces ? "new,complete\r\n" : "old,complete\r\n";
        if (c.target != kFolder || c.replaces) {
            EXPECT_EQ(Read("to.csv"), want) << c.name;
        }
    }
}

TEST_F(IoFiles, RemoveTakesAFileButNotAFolder) {
    Write("f.tmp", "x");
    std::filesystem::create_directory(dir / "d");
    EXPECT_TRUE(FileRemove(Name("f.tmp")));
    EXPECT_FALSE(Exists("f.tmp"));
    EXPECT_FALSE(FileRemove(Name("f.tmp")));
    EXPECT_FALSE(FileRemove(Name("d")));
    EXPECT_TRUE(Exists("d"));
}

}  // namespace
