// fuzz_data_file.cpp: a data file's bytes on their way into the program and back out as text:
// FileInput over any contents and target list, against a plain model of the reading rules, and
// NumToStr of the values read. Input: byte 0 the number of targets (1 to 31), then their type
// codes (0 to 12, 0 and 12 unknown), then a lead byte: odd puts the read-ahead's block boundary
// 1 to 100 bytes into the contents; the rest is the file, read until a call stores nothing.
// After every call:
//   - the handle stands directly behind the bytes the model consumed, and the call stored as
//     many variables as the model read items; a call that stored something consumed a byte;
//   - string targets hold the model's item (its first 4095 bytes: the reader's room), double
//     targets ParseNumber of all of it however long (the reader squeezes it), unknown codes
//     nothing; an item of at most 15 decimal digits parses to exactly that integer;
//   - NumToStr of each double (and of the file's first 8 bytes as a double) is 1 to 22 bytes in
//     the runtime's form, non-finite values by name, reading back within the fifteenth digit.
// Targets are heap blocks exactly as wide as their type and misaligned by one byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <unistd.h>

#include "runtime/core/rt_string.h"
#include "runtime/io/files.h"
#include "runtime/io/input_items.h"
#include "runtime/io/plat_file.h"
#include "runtime/math/rt_math.h"

static void Fail(const char *what, int call) {
    std::fprintf(stderr, "fuzz_data_file: %s (call %d)\n", what, call);
    std::abort();
}

static char path[64];   // the file the contents are written to, one per fuzzer process
static void RemoveFile() {
    unlink(path);
}

static bool IsBlank(uint8_t b) {
    return b == ' ' || b == '\t';
}

// The reading rules, one item from pos on. 1: an item; 0: the data ended before one.
static int ModelItem(const std::string &file, size_t *pos, bool keepBlanks, std::string *item) {
    size_t p = *pos;
    item->clear();
    while (p < file.size() && IsBlank((uint8_t)file[p]))
        p++;
    *pos = p;
    if (p == file.size())
        return 0;
    bool quoted = false, endedAtBlank = false;
    while (p < file.size()) {
        uint8_t b = (uint8_t)file[p++];
        if (b == 0 || b == '\n')
            break;
        if (b == '\r' && (p == file.size() || file[p] == '\n')) {
            p += p < file.size();   // CR LF, or a CR that is the file's last byte
            break;
        }
        if (b == '"')
            quoted = !quoted;
        else if (!quoted && b == ',')
            break;
        else if (!quoted && !keepBlanks && IsBlank(b)) {
            endedAtBlank = true;
            break;
        }
        item->push_back((char)b);
    }
    if (endedAtBlank) {
        while (p < file.size() && IsBlank((uint8_t)file[p]))
            p++;
        p += p < file.size() && file[p] == ',';
    }
    *pos = p;
    return 1;
}

// The runtime's forms: -?D.D{14}e+DDD or e-DD(D), or -?D+[.D+] with no trailing zero.
static const std::regex kNumberForm("-?[0-9]\\.[0-9]{14}e(\\+[0-9]{3}|-[0-9]{2,3})"
                                    "|-?[0-9]+(\\.[0-9]*[1-9])?");

static void CheckText(double v, int call) {
    RtString s = NumToStr(v);
    std::string text((const char *)s, StrLength(s));
    StrFree(s);
    if (text.empty() || text.size() > 22)
        Fail("a number's text is empty or longer than 22 bytes", call);
    if (v != v || v - v != 0) {
        if (text != (v != v ? "nan" : v < 0 ? "-inf" : "inf"))
            Fail("a non-finite value has the wrong name", call);
        return;
    }
    if (!std::regex_match(text, kNumberForm))
        Fail("a number's text is not in the runtime's form", call);
    // Wider than a double: "1.79769313486232e+308" lies above the largest double.
    long double back = std::strtold(text.c_str(), nullptr), x = v;
    if ((back > x ? back - x : x - back) > 1.01e-14L * (x < 0 ? -x : x))
        Fail("a number's text does not read back within the fifteenth digit", call);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready) {
        StrInit();
        const char *folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::snprintf(path, sizeof path, "%s/fuzz_data_file.%d", folder, (int)getpid());
        std::atexit(RemoveFile);
        ready = true;
    }
    int32_t targets = 1 + (size ? data[0] : 0) % 31;
    if (size < (size_t)targets + 2)
        return 0;
    static const size_t kWidth[13] = {1, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8, sizeof(RtString), 1};
    int32_t type[kInputTargets];
    uint8_t *block[kInputTargets];
    for (int32_t i = 0; i < targets; i++) {
        type[i] = data[1 + i] % 13;
        block[i] = (uint8_t *)std::calloc(kWidth[type[i]] + 1, 1);
        gInputTargets.address[i] = block[i] + 1;
        gInputTargets.type[i] = type[i];
    }
    if (targets < kInputTargets)
        gInputTargets.address[targets] = nullptr;
    uint8_t lead = data[1 + targets];
    std::string file;
    if (lead & 1)
        file.assign(kFileReadAheadBytes - 1 - (lead >> 1) % 100, ' ');
    file.append((const char *)data + 2 + targets, size - 2 - (size_t)targets);
    double bits = 0;
    std::memcpy(&bits, file.data(), file.size() < 8 ? file.size() : 8);
    CheckText(bits, 0);

    FILE *out = std::fopen(path, "wb");
    if (!out)
        Fail("cannot write the file", 0);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    FileOpen(StrLiteral(path), FileModeInput, 1);
    size_t modelPos = 0;
    for (int call = 0;; call++) {
        if ((size_t)call > file.size() + 1)
            Fail("FileInput keeps storing without consuming", call);
        FileInput(1);
        int32_t stored = FileInputStoredCount(), modelStored = 0;
        size_t before = modelPos;
        std::string item;
        for (int32_t i = 0; i < targets; i++) {
            if (ModelItem(file, &modelPos, type[i] == kInputString, &item) != 1)
                break;
            modelStored++;
            const char *text = item.c_str();   // FileInput's item ends at a NUL as well
            double want = ParseNumber((const uint8_t *)text);
            if (item.size() >= 1 && item.size() <= 15 && item.find_first_not_of("0123456789") ==
                std::string::npos && want != (double)std::strtoull(text, nullptr, 10))
                Fail("a short decimal integer did not parse exactly", call);
            const uint8_t *got = (const uint8_t *)gInputTargets.address[i];
            if (type[i] == kInputString) {
                RtString s;
                std::memcpy(&s, got, sizeof s);
                std::string kept = item.substr(0, 4095);
                if (!s || StrLength(s) != kept.size() || std::memcmp(s, kept.data(), kept.size()) != 0)
                    Fail("a string target does not hold the item", call);
            } else if (type[i] == kInputDouble) {
                if (std::memcmp(got, &want, 8) != 0)
                    Fail("a double target does not hold the item's value", call);
                CheckText(want, call);
            } else if ((type[i] == 0 || type[i] == 12) && got[0] != 0) {
                Fail("an unknown type code wrote its variable", call);
            }
        }
        if (stored != modelStored)
            Fail("stored a different number of variables than the rules read", call);
        if (PlatFileSeek(gFileHandles.handle[0], 0, kPlatSeekCurrent) != (int64_t)modelPos)
            Fail("the position does not stand behind the consumed bytes", call);
        if (stored > 0 && modelPos == before)
            Fail("a call stored without consuming", call);
        if (stored == 0)
            break;
    }
    FileClose(1);
    for (int32_t i = 0; i < targets; i++) {
        if (type[i] == kInputString) {
            RtString s;
            std::memcpy(&s, gInputTargets.address[i], sizeof s);
            StrFree(s);
        }
        std::free(block[i]);
    }
    if (StrLiveCount() != 0)
        Fail("a string was left registered", -1);
    return 0;
}
