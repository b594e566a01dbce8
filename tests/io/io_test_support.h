// io_test_support.h: a fresh temporary folder a test, whole files read and written, every file
// number closed afterwards and (StringsTest) no string leaked.
#ifndef TESTS_IO_IO_TEST_SUPPORT_H
#define TESTS_IO_IO_TEST_SUPPORT_H

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "runtime/io/files.h"
#include "runtime/io/input_items.h"
#include "tests/test_strings.h"

class IoFiles : public StringsTest {
  protected:
    void SetUp() override {
        static unsigned serial = 0;
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir = std::filesystem::temp_directory_path() /
              ("dftio-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(dir);
        StringsTest::SetUp();
    }
    void TearDown() override {
        for (int32_t n = 1; n <= kFileNumbers; n++)
            FileClose(n);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        StringsTest::TearDown();
    }
    std::string Path(const char *name) const { return (dir / name).string(); }
    RtString Name(const char *name) const { return TestString(Path(name)); }
    void Write(const char *name, const std::string &bytes) const {
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Read(const char *name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const char *name) const { return std::filesystem::exists(dir / name); }
    std::filesystem::path dir;
};

#endif
