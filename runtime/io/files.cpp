// files.cpp: the FileHandleTable, FileOpen, FilePrint, FileClose, the replace and removal of a file
// by name, and the queries on a number.
// Invariant: a slot that holds an open handle holds the only open of that file in the process;
// it is closed before the slot takes anything else.
#include "runtime/io/files.h"

#include "runtime/core/plat_core.h"

FileHandleTable gFileHandles;

// Access and creation of each mode, indexed by the mode.
static const struct {
    uint32_t access;
    uint32_t creation;
} kModes[] = {
    {kPlatAccessRead | kPlatAccessWrite, kPlatOpenAlways},   // FileModeUpdate
    {kPlatAccessRead, kPlatOpenExisting},                    // FileModeInput
    {kPlatAccessWrite, kPlatCreateAlways},                   // FileModeOutput
    {kPlatAccessWrite, kPlatOpenAlways},                     // FileModeAppend
};

static bool NumberInRange(int32_t number) {
    return number >= 1 && number <= kFileNumbers;
}

static bool HandleIsOpen(PlatFile handle) {
    return handle != 0 && handle != kPlatFileInvalid;
}

void FileOpen(RtString name, int32_t mode, int32_t number) {
    if (NumberInRange(number)) {
        int32_t slot = number - 1;
        FileClose(number);
        PlatFile handle = kPlatFileInvalid;
        if (mode >= FileModeUpdate && mode <= FileModeAppend)
            handle = PlatFileOpen((const char *)name, kModes[mode].access, kModes[mode].creation);
        if (mode == FileModeAppend)
            PlatFileSeek(handle, 0, kPlatSeekEnd);
        gFileHandles.handle[slot] = handle;
        gFileHandles.printFailed[slot] = false;
    }
    StrFree(name);
}

void FilePrint(int32_t number, RtString text) {
    if (NumberInRange(number)) {
        int32_t slot = number - 1;
        uint32_t n = StrLength(text);
        // A write of zero bytes still goes to the platform: on a failed open it fails, as it should.
        int64_t put = PlatFileWrite(gFileHandles.handle[slot], text, n);
        if (put != (int64_t)n)
            gFileHandles.printFailed[slot] = true;
        gFileHandles.readAhead[slot].valid = false;   // the handle moved and the file changed
    }
    StrFree(text);
}

void FileClose(int32_t number) {
    if (!NumberInRange(number))
        return;
    int32_t slot = number - 1;
    if (HandleIsOpen(gFileHandles.handle[slot]))
        PlatFileClose(gFileHandles.handle[slot]);
    gFileHandles.handle[slot] = 0;
    gFileHandles.printFailed[slot] = false;
    PlatFree(gFileHandles.readAhead[slot].bytes);
    gFileHandles.readAhead[slot] = FileReadAhead{};
}

bool FileReplace(RtString from, RtString to) {
    bool replaced = PlatFileReplace((const char *)from, (const char *)to);
    StrFree(from);
    StrFree(to);
    return replaced;
}

bool FileRemove(RtString name) {
    bool removed = PlatFileRemove((const char *)name);
    StrFree(name);
    return removed;
}

bool FileIsOpen(int32_t number) {
    return NumberInRange(number) && HandleIsOpen(gFileHandles.handle[number - 1]);
}

int32_t FileInputStoredCount() {
    return gFileHandles.lastInputStored;
}

bool FilePrintFailed(int32_t number) {
    return NumberInRange(number) && gFileHandles.printFailed[number - 1];
}
