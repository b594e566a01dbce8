// files.cpp: the FileHandleTable, FileOpen, FilePrint, FileClose, the replacement of a file whole,
// and the queries on a number.
// Invariants: a slot that holds an open handle holds the only open of that file in the process;
// it is closed before the slot takes anything else. A replacement's temporary name is set only
// while the file under it is one this process created (exclusively) and has not renamed: only
// such a file is ever removed. Every failure a caller may show is noted with the system's code
// right after the failing call, before any other call of the file layer can change it.
#include "runtime/io/files.h"

#include <cstring>

#include "runtime/core/cp932_bytes.h"
#include "runtime/core/plat_core.h"
#include "runtime/core/rt_decimal.h"

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

// Notes a failure: error, taken from the system right after the failing call, and a copy of the
// name it was about (null: none known).
static void NoteFailure(uint32_t error, const char *name, size_t length) {
    gFileHandles.failedError = error;
    PlatFree(gFileHandles.failedName);
    gFileHandles.failedName = nullptr;
    if (name != nullptr) {
        gFileHandles.failedName = (char *)PlatAlloc(length + 1);
        memcpy(gFileHandles.failedName, name, length);
    }
}

static void NoteFailureOf(const char *name) {
    uint32_t error = PlatFileLastError();
    NoteFailure(error, name, name == nullptr ? 0 : strlen(name));
}

void FileOpen(RtString name, int32_t mode, int32_t number) {
    NoteFailure(0, nullptr, 0);
    if (NumberInRange(number)) {
        int32_t slot = number - 1;
        FileClose(number);
        PlatFile handle = kPlatFileInvalid;
        if (mode >= FileModeUpdate && mode <= FileModeAppend)
            handle = PlatFileOpen((const char *)name, kModes[mode].access, kModes[mode].creation);
        if (handle == kPlatFileInvalid)
            NoteFailureOf((const char *)name);
        if (mode == FileModeAppend)
            PlatFileSeek(handle, 0, kPlatSeekEnd);
        gFileHandles.handle[slot] = handle;
        gFileHandles.printFailed[slot] = false;
    }
    StrFree(name);
}

// Writes n bytes at the slot's position; a failed or short write sets printFailed.
static void WriteOrFail(int32_t slot, const void *bytes, uint32_t n) {
    int64_t put = PlatFileWrite(gFileHandles.handle[slot], bytes, n);
    if (put != (int64_t)n) {
        gFileHandles.printFailed[slot] = true;
        if (HandleIsOpen(gFileHandles.handle[slot]))   // else the failed open is the news
            NoteFailureOf(gFileHandles.replacement[slot].target);
    }
}

static void WritePending(int32_t slot) {
    FileReplacement *replacement = &gFileHandles.replacement[slot];
    if (replacement->pendingLength > 0)
        WriteOrFail(slot, replacement->pending, replacement->pendingLength);
    replacement->pendingLength = 0;
}

void FilePrint(int32_t number, RtString text) {
    if (NumberInRange(number)) {
        int32_t slot = number - 1;
        uint32_t n = StrLength(text);
        FileReplacement *replacement = &gFileHandles.replacement[slot];
        if (replacement->temporary == nullptr) {
            // A write of zero bytes still goes to the platform: on a failed open it fails, as it
            // should.
            WriteOrFail(slot, text, n);
        } else {
            if (n > kFilePendingBytes - replacement->pendingLength)
                WritePending(slot);
            if (n >= kFilePendingBytes) {
                WriteOrFail(slot, text, n);
            } else {
                if (replacement->pending == nullptr)
                    replacement->pending = (uint8_t *)PlatAlloc(kFilePendingBytes);
                memcpy(replacement->pending + replacement->pendingLength, text, n);
                replacement->pendingLength += n;
            }
        }
        if (gFileHandles.readAhead[slot].form == kFileFormBytes)
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
    FileReplacement *replacement = &gFileHandles.replacement[slot];
    if (replacement->temporary != nullptr)
        PlatFileRemove(replacement->temporary);
    PlatFree(replacement->temporary);
    PlatFree(replacement->target);
    PlatFree(replacement->pending);
    *replacement = FileReplacement{};
    gFileHandles.handle[slot] = 0;
    gFileHandles.printFailed[slot] = false;
    PlatFree(gFileHandles.readAhead[slot].bytes);
    gFileHandles.readAhead[slot] = FileReadAhead{};
    gFileHandles.nonNumbers[slot] = FileNonNumbers{};
}

// "<target>.dftanalyze-<process id>-<count>.tmp" in a new heap block.
static char *TemporaryName(const char *target, uint32_t count) {
    static const char kMark[] = ".dftanalyze-";
    size_t length = strlen(target);
    char *name = (char *)PlatAlloc(length + sizeof kMark + 2 * kRtDecimalMax + 6);
    memcpy(name, target, length);
    char *at = name + length;
    memcpy(at, kMark, sizeof kMark - 1);
    at += sizeof kMark - 1;
    at += RtDecimal(PlatProcessId(), at);
    *at++ = '-';
    at += RtDecimal(count, at);
    memcpy(at, ".tmp", 5);
    return name;
}

enum { kTemporaryTries = 100 };   // names tried before the creation counts as failed

// The folder that holds name: the name up to its last separator ('/' or '\\', never the trail
// byte of a double-byte character), "/" for a name in the root, "." for a bare name.
static void NoteFolderFailure(uint32_t error, const char *name) {
    size_t cut = 0, i = 0;
    bool any = false;
    while (name[i] != 0) {
        uint8_t b = (uint8_t)name[i];
        if (b == '/' || b == '\\') {
            cut = i;
            any = true;
        }
        i += RtIsLeadByte(b) && name[i + 1] != 0 ? 2 : 1;
    }
    if (!any)
        NoteFailure(error, ".", 1);
    else
        NoteFailure(error, name, cut == 0 ? 1 : cut);
}

void FileOpenReplacement(RtString target, int32_t number) {
    NoteFailure(0, nullptr, 0);
    if (NumberInRange(number)) {
        int32_t slot = number - 1;
        FileClose(number);
        PlatFile handle = kPlatFileInvalid;
        for (int tries = 0; tries < kTemporaryTries; tries++) {
            char *name = TemporaryName((const char *)target, ++gFileHandles.replacementCount);
            handle = PlatFileOpen(name, kPlatAccessWrite, kPlatCreateNew);
            if (handle != kPlatFileInvalid) {
                size_t length = strlen((const char *)target) + 1;
                gFileHandles.replacement[slot].target = (char *)PlatAlloc(length);
                memcpy(gFileHandles.replacement[slot].target, (const char *)target, length);
                gFileHandles.replacement[slot].temporary = name;
                break;
            }
            uint32_t error = PlatFileLastError();
            bool taken = PlatFileExists(name);   // another's file: try the next name
            PlatFree(name);
            NoteFolderFailure(error, (const char *)target);
            if (!taken)
                break;   // the folder refuses a new file: a full disk, no right to write
        }
        gFileHandles.handle[slot] = handle;
        gFileHandles.printFailed[slot] = false;
    }
    StrFree(target);
}

// A target held for a moment (another copy of the program renaming its own file into place, a
// reader) is tried again, kReplaceTries times in all, kReplaceWaitMs apart, before the replace
// counts as failed.
enum { kReplaceTries = 20, kReplaceWaitMs = 25 };

static bool Replace(const char *from, const char *to) {
    for (int tries = 1;; tries++) {
        if (PlatFileReplace(from, to))
            return true;
        if (tries == kReplaceTries || !PlatFileErrorIsHeld(PlatFileLastError()))
            return false;
        PlatSleep(kReplaceWaitMs);
    }
}

bool FileCommitReplacement(int32_t number) {
    if (!NumberInRange(number))
        return false;
    int32_t slot = number - 1;
    FileReplacement *replacement = &gFileHandles.replacement[slot];
    PlatFile handle = gFileHandles.handle[slot];
    if (replacement->temporary != nullptr)
        WritePending(slot);
    // A failed print has noted its failure; each later step notes its own.
    bool done = replacement->temporary != nullptr && !gFileHandles.printFailed[slot];
    if (done && !PlatFileFlush(handle)) {
        NoteFailureOf(replacement->target);
        done = false;
    }
    if (!PlatFileClose(handle) && done) {   // closed whatever happened before
        NoteFailureOf(replacement->target);
        done = false;
    }
    gFileHandles.handle[slot] = 0;
    if (done && Replace(replacement->temporary, replacement->target)) {
        PlatFree(replacement->temporary);   // renamed: nothing of ours goes by that name now
        replacement->temporary = nullptr;
        done = PlatFileFlushFolder(replacement->target);
        if (!done)
            NoteFailureOf(replacement->target);
    } else {
        if (done)
            NoteFailureOf(replacement->target);
        done = false;
    }
    FileClose(number);   // removes the temporary file unless it was renamed
    return done;
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

const FileNonNumbers *FileInputNonNumbers(int32_t number) {
    static const FileNonNumbers none = {};
    return NumberInRange(number) ? &gFileHandles.nonNumbers[number - 1] : &none;
}

enum { kPathBytes = 65536, kReasonBytes = 1024 };   // the longest path Windows takes, in bytes

void FileLastFailure(RtString *where, RtString *why) {
    char *text = (char *)PlatAlloc(kPathBytes);
    uint32_t length = 0;
    if (gFileHandles.failedName != nullptr)
        length = PlatFileFullPath(gFileHandles.failedName, text, kPathBytes);
    *where = StrAlloc(length);
    memcpy(*where, text, length);
    length = 0;
    if (gFileHandles.failedError != 0)
        length = PlatFileErrorText(gFileHandles.failedError, text, kReasonBytes);
    *why = StrAlloc(length);
    memcpy(*why, text, length);
    PlatFree(text);
}
