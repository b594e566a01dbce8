// file_win32.cpp: the file layer on Windows, straight over CreateFileW and its companions.
// Names arrive as code page 932 bytes and are converted to UTF-16 here, whatever the system's
// own code page; a name that does not convert (or is longer than a path may be) names nothing.
// Every open uses no security attributes, FILE_ATTRIBUTE_NORMAL and no template, and share mode 0,
// but FILE_SHARE_READ for an open for reading alone: the system itself lets other readers in
// beside a reader and keeps every other open out. A HANDLE from CreateFileW is
// never 0 and never a standard stream; INVALID_HANDLE_VALUE is kPlatFileInvalid. Failures leave
// their reason in GetLastError (PlatFileLastError).
#include <windows.h>

#include <aclapi.h>

#include "runtime/io/plat_file.h"

enum { kNameChars = 32768 };   // the longest path the wide calls take, with its NUL

// The name in UTF-16 in wide (kNameChars), or false when it is not code page 932 text.
static bool WideName(const char *name, wchar_t *wide) {
    return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, name, -1, wide, kNameChars) > 0;
}

// One converted name per argument of a call; only the program thread uses files.
static wchar_t gWideFrom[kNameChars], gWideTo[kNameChars];

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
    if (!WideName(name, gWideFrom))
        return kPlatFileInvalid;
    DWORD share = access == kPlatAccessRead ? FILE_SHARE_READ : 0;
    HANDLE h = CreateFileW(gWideFrom, desired, share, nullptr, (DWORD)creation, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
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
    if (put < n)
        SetLastError(ERROR_DISK_FULL);
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

bool PlatFileFlush(PlatFile file) {
    return IsFile(file) && FlushFileBuffers(AsHandle(file)) != 0;
}

bool PlatFileClose(PlatFile file) {
    return !IsFile(file) || CloseHandle(AsHandle(file)) != 0;
}

// The old file's attributes (as they may be set on a new file) and its access list, which is what
// a user's private file has instead of a mode, given to the new file; where the process may not
// set them, the new file keeps its own.
static void TakePermissions(const wchar_t *from, const wchar_t *to, DWORD attributes) {
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    SetFileAttributesW(from, attributes & kept);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(to, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    bool isProtected = GetSecurityDescriptorControl(descriptor, &control, &revision) &&
                       (control & SE_DACL_PROTECTED) != 0;   // inherits nothing from its folder
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION |
        (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    SetNamedSecurityInfoW((wchar_t *)from, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
    LocalFree(descriptor);
}

// MoveFileExW refuses a folder and a file open anywhere by itself; a read-only file is refused
// here as well, because not every implementation of it does (Wine renames over one), with the
// code Windows gives for both. The new file takes the old one's permissions first. Write-through:
// the call returns only once the move is on the disk, the folder's change included.
bool PlatFileReplace(const char *from, const char *to) {
    if (!WideName(from, gWideFrom) || !WideName(to, gWideTo))
        return false;
    DWORD attributes = GetFileAttributesW(gWideTo);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES)
        TakePermissions(gWideFrom, gWideTo, attributes);
    return MoveFileExW(gWideFrom, gWideTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool PlatFileFlushFolder(const char *) {
    return true;   // PlatFileReplace wrote its move through
}

bool PlatFileRemove(const char *name) {
    return WideName(name, gWideFrom) && DeleteFileW(gWideFrom) != 0;
}

bool PlatFileErrorIsHeld(uint32_t error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool PlatFileExists(const char *name) {
    return WideName(name, gWideFrom) && GetFileAttributesW(gWideFrom) != INVALID_FILE_ATTRIBUTES;
}

uint32_t PlatProcessId() {
    return GetCurrentProcessId();
}
