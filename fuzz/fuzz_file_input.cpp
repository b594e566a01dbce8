// fuzz_file_input.cpp: FileInput over arbitrary file contents and arbitrary target lists,
// against a plain model of the reading rules (files.h and file_input.cpp's top comment).
//
// Input: byte 0 gives the number of targets (1 to 31), the next bytes their type codes (0 to 12,
// unknown codes included), one byte a lead of blanks that puts the read-ahead's block boundary
// 1 to 100 bytes into the fuzzed contents (odd) or none (even), and the rest is the file.
// The file is read by FileInput calls until one stores nothing. After every call:
//   - the handle's position, asked of the platform layer, stands directly behind the bytes the
//     model consumed, and the call stored as many variables as the model read items;
//   - string targets hold the model's item text, double targets ParseNumber of it;
//   - a call that stored something consumed at least one byte, so the loop ends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "runtime/io/plat_file.h"
#include "runtime/core/rt_string.h"
#include "runtime/io/files.h"
#include "runtime/io/input_items.h"

static void Fail(const char *what, int call) {
    std::fprintf(stderr, "fuzz_file_input: %s (call %d)\n", what, call);
    std::abort();
}

static size_t Width(int32_t type) {
    static const size_t kWidth[13] = {1, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8, sizeof(RtString), 1};
    return kWidth[type];
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
    if (p == file.size()) {
        *pos = p;
        return 0;
    }
    bool quoted = false, endedAtBlank = false;
    while (p < file.size()) {
        uint8_t b = (uint8_t)file[p++];
        if (b == 0 || b == '\n')
            break;
        if (b == '\r') {
            if (p == file.size())
                break;              // the file's last byte
            if (file[p] == '\n') {
                p++;                // CR LF
                break;
            }
        } else if (b == '"') {
            quoted = !quoted;
        } else if (!quoted && b == ',') {
            break;
        } else if (!quoted && !keepBlanks && IsBlank(b)) {
            endedAtBlank = true;
            break;
        }
        item->push_back((char)b);
    }
    if (endedAtBlank) {
        while (p < file.size() && IsBlank((uint8_t)file[p]))
            p++;
        if (p < file.size() && file[p] == ',')
            p++;
    }
    *pos = p;
    return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready) {
        StrInit();
        // A memory file system where there is one: the file is written anew for every input.
        const char *folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::snprintf(path, sizeof path, "%s/fuzz_file_input.%d", folder, (int)getpid());
        std::atexit(RemoveFile);
    }
    ready = true;
    if (size < 2)
        return 0;

    int32_t targets = 1 + data[0] % 31;
    if (size < (size_t)targets + 2)
        return 0;
    int32_t type[kInputTargets];
    for (int32_t i = 0; i < targets; i++)
        type[i] = data[1 + i] % 13;
    uint8_t lead = data[1 + targets];
    std::string file;
    if (lead & 1)
        file.assign(kFileReadAheadBytes - 1 - (lead >> 1) % 100, ' ');
    file.append((const char *)data + 2 + targets, size - 2 - (size_t)targets);

    FILE *out = std::fopen(path, "wb");
    if (!out)
        Fail("cannot write the file", 0);
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);

    // Targets: misaligned heap blocks exactly as wide as their type; strings start null.
    uint8_t *block[kInputTargets];
    for (int32_t i = 0; i < targets; i++) {
        block[i] = (uint8_t *)std::calloc(Width(type[i]) + 1, 1);
        gInputTargets.address[i] = block[i] + 1;
        gInputTargets.type[i] = type[i];
    }
    if (targets < kInputTargets)
        gInputTargets.address[targets] = nullptr;

    FileOpen(StrLiteral(path), FileModeInput, 1);
    size_t modelPos = 0;
    for (int call = 0;; call++) {
        if ((size_t)call > file.size() + 1)
            Fail("FileInput keeps storing without consuming", call);
        FileInput(1);
        int32_t stored = FileInputStoredCount();
        int32_t modelStored = 0;
        size_t before = modelPos;
        std::string item;
        for (int32_t i = 0; i < targets; i++) {
            if (ModelItem(file, &modelPos, type[i] == kInputString, &item) != 1)
                break;
            modelStored++;
            if (type[i] == kInputString) {
                RtString s;
                std::memcpy(&s, gInputTargets.address[i], sizeof s);
                if (!s || StrLength(s) != item.size() || std::memcmp(s, item.data(), item.size()) != 0)
                    Fail("a string target does not hold the item", call);
            } else if (type[i] == kInputDouble) {
                double want = ParseNumber((const uint8_t *)item.c_str());   // stops at a NUL, as FileInput's does
                if (std::memcmp(gInputTargets.address[i], &want, 8) != 0)
                    Fail("a double target does not hold the item's value", call);
            }
        }
        if (stored != modelStored)
            Fail("stored a different number of variables than the rules read", call);
        int64_t at = PlatFileSeek(gFileHandles.handle[0], 0, kPlatSeekCurrent);
        if (at != (int64_t)modelPos)
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
    return 0;
}
