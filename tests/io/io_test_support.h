// io_test_support.h: what the io tests share: the strings set up once, a fresh temporary folder
// per test, whole-file reads and writes, and the check that a test released every string.
#ifndef TESTS_IO_IO_TEST_SUPPORT_H
#define TESTS_IO_IO_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/core/rt_string.h"
#include "runtime/io/files.h"

inline void IoStringsReady() {
    static bool ready = false;
    if (!ready)
        StrInit();
    ready = true;
}

inline RtString IoString(const std::string &bytes) {
    RtString s = StrAlloc((uint32_t)bytes.size());
    std::memcpy(s, bytes.data(), bytes.size());
    return s;
}

inline std::string IoText(RtString s) {
    return std::string((const char *)s, StrLength(s));
}

// Each test gets an empty folder of its own; every file number is closed and the folder removed
// afterwards, and no string may outlive the test.
class IoFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        IoStringsReady();
        static unsigned serial = 0;
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir = std::filesystem::temp_directory_path() /
              ("dftio-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(dir);
        base = StrLiveCount();
    }
    void TearDown() override {
        for (int32_t n = 1; n <= kFileNumbers; n++)
            FileClose(n);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        EXPECT_EQ(StrLiveCount(), base) << "a test leaked strings";
    }
    std::string Path(const char *name) const { return (dir / name).string(); }
    RtString Name(const char *name) const { return IoString(Path(name)); }
    void Write(const char *name, const std::string &bytes) const {
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string Read(const char *name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const char *name) const { return std::filesystem::exists(dir / name); }

    std::filesystem::path dir;
    uint32_t base = 0;
};

#endif
