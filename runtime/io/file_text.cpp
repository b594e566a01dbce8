// file_text.cpp: FileOpenText and the code page 932 form of a UTF-16 file.
//
// A UTF-16 file is converted as it is read: each block of raw bytes becomes one block of the
// read-ahead, and the few bytes of a character cut by the block's end wait in the carry. Output
// never outgrows input (a unit of two bytes becomes at most two; a pair of four, one '?'), so a
// block of raw bytes always fits the block it fills. Only the program thread reads files: the raw
// buffer is one static block.
#include "runtime/io/file_text.h"

#include <cstring>

#include "runtime/core/cp932_bytes.h"
#include "runtime/core/plat_core.h"
#include "runtime/io/plat_file.h"

enum { kRunUnits = 512 };   // plain units handed to the platform at once

uint8_t FileTextForm(const uint8_t *head, uint32_t n, uint32_t *mark) {
    *mark = 0;
    if (n >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        *mark = 3;
        return kFileFormBytes;
    }
    if (n >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) {
        *mark = 2;
        return head[0] == 0xFF ? kFileFormUtf16Le : kFileFormUtf16Be;
    }
    return kFileFormBytes;
}

static uint16_t UnitAt(const uint8_t *at, uint8_t form) {
    return form == kFileFormUtf16Le ? (uint16_t)(at[0] | at[1] << 8) : (uint16_t)(at[0] << 8 | at[1]);
}

uint32_t Utf16ToCp932(const uint8_t *in, uint32_t n, uint8_t form, bool last, uint8_t *out,
                      uint32_t *used) {
    uint16_t run[kRunUnits];
    uint32_t runLength = 0, written = 0, at = 0;
    for (;;) {
        bool whole = at + 2 <= n;
        uint16_t u = whole ? UnitAt(in + at, form) : 0;
        bool plain = whole && !RtIsHighSurrogate(u) && !RtIsLowSurrogate(u);
        if (plain && runLength < kRunUnits) {
            run[runLength++] = u;
            at += 2;
            continue;
        }
        written += PlatTextFromUtf16(run, runLength, out + written);
        runLength = 0;
        if (plain)
            continue;   // the run was full
        if (!whole)
            break;
        if (RtIsHighSurrogate(u) && at + 4 > n && !last)
            break;   // its low half may be in the next block
        bool pair = RtIsHighSurrogate(u) && at + 4 <= n && RtIsLowSurrogate(UnitAt(in + at + 2, form));
        out[written++] = '?';   // beyond the code page's plane, or half of a pair
        at += pair ? 4 : 2;
    }
    if (last && at < n) {
        out[written++] = '?';   // an odd last byte
        at = n;
    }
    *used = at;
    return written;
}

static uint8_t raw[kFileReadAheadBytes];

int64_t FileTextNextBlock(PlatFile file, FileReadAhead *ahead) {
    for (;;) {
        uint32_t carried = ahead->carryLength;
        std::memcpy(raw, ahead->carry, carried);
        int64_t got = PlatFileRead(file, raw + carried, kFileReadAheadBytes - carried);
        if (got < 0)
            return -1;
        uint32_t n = carried + (uint32_t)got, used = 0;
        uint32_t written = Utf16ToCp932(raw, n, ahead->form, got == 0, ahead->bytes, &used);
        ahead->carryLength = n - used;   // at most 3: a high surrogate and an odd byte
        std::memcpy(ahead->carry, raw + used, ahead->carryLength);
        if (written > 0 || got == 0)
            return written;
    }
}

void FileOpenText(RtString name, int32_t number) {
    FileOpen(name, FileModeInput, number);
    if (!FileIsOpen(number))
        return;
    PlatFile handle = gFileHandles.handle[number - 1];
    uint8_t head[3];
    int64_t got = PlatFileRead(handle, head, sizeof head);
    uint32_t mark = 0;
    uint8_t form = FileTextForm(head, got > 0 ? (uint32_t)got : 0, &mark);
    if (form == kFileFormBytes) {
        PlatFileSeek(handle, mark, kPlatSeekBegin);
        return;
    }
    // From here on the slot reads the converted form, from its offset 0; the byte read behind
    // the mark is its first raw byte.
    FileReadAhead *ahead = &gFileHandles.readAhead[number - 1];
    ahead->bytes = (uint8_t *)PlatAlloc(kFileReadAheadBytes);
    ahead->start = 0;
    ahead->length = 0;
    ahead->position = 0;
    ahead->valid = true;
    ahead->form = form;
    ahead->carryLength = (uint32_t)got - mark;
    std::memcpy(ahead->carry, head + mark, ahead->carryLength);
}
