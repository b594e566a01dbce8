// file_win32.cpp: the file layer on Windows, straight over CreateFileA and its companions.
// Every open uses share mode 0, no security attributes, FILE_ATTRIBUTE_NORMAL and no template,
// so the system itself keeps every other open of the file out. A HANDLE from CreateFileA is
// never 0 and never a standard stream; INVALID_HANDLE_VALUE is kPlatFileInvalid.
#include <windows.h>

#include "runtime/io/plat_file.h"

static HANDLE AsHandle(PlatFile file) {
    return (HANDLE)file;
}

// (HANDLE)-1 is also the pseudo handle of the current process: never pass it on.
static bool IsFile(PlatFile file) {
    return file != 0 && file != kPlatFileInvalid;
}

PlatFile PlatFileOpen(const char *name, uint32_t access, uint32_t creation) {
    DWORD desired = 0;
    if (access & kPlatAccessRead)
        desired |= GENERIC_READ;    // 0x80000000
    if (access & kPlatAccessWrite)
        desired |= GENERIC_WRITE;   // 0x40000000
    HANDLE h = CreateFileA(name, desired, 0, nullptr, (DWORD)creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    return (PlatFile)h;
}

int64_t PlatFileRead(PlatFile file, void *buffer, uint32_t n) {
    DWORD got = 0;
    if (!IsFile(file) || !ReadFile(AsHandle(file), buffer, n, &got, nullptr))
        return -1;
    return got;
}

int64_t PlatFileWrite(PlatFile file, const void *buffer, uint32_t n) {
    DWORD put = 0;
    if (!IsFile(file) || !WriteFile(AsHandle(file), buffer, n, &put, nullptr))
        return -1;
    return put;
}

int64_t PlatFileSeek(PlatFile file, int64_t distance, uint32_t origin) {
    if (!IsFile(file))
        return -1;
    LONG high = (LONG)(distance >> 32);
    DWORD method = origin == kPlatSeekBegin ? FILE_BEGIN : origin == kPlatSeekCurrent ? FILE_CURRENT : FILE_END;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(AsHandle(file), (LONG)(uint32_t)distance, &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return -1;
    return (int64_t)(((uint64_t)(uint32_t)high << 32) | low);
}

int64_t PlatFileSize(PlatFile file) {
    if (!IsFile(file))
        return -1;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(AsHandle(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return -1;
    return (int64_t)(((uint64_t)high << 32) | low);
}

void PlatFileClose(PlatFile file) {
    if (IsFile(file))
        CloseHandle(AsHandle(file));
}

// MoveFileExA refuses a folder and a file open anywhere by itself; a read-only file is refused
// here as well, because not every implementation of it does (Wine renames over one).
bool PlatFileReplace(const char *from, const char *to) {
    DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool PlatFileRemove(const char *name) {
    return DeleteFileA(name) != 0;
}
