// file_text.cpp: the file layer's texts on POSIX: where a name leads, why a call failed, and the
// code page 932 form of UTF-16 text (iconv's "CP932", Microsoft's table, as the consoles use).
//
// Reasons are the system's codes in a few Japanese words, as the program's other messages are
// written; a code without words of ours is shown as strerror gives it (the program never sets a
// locale, so that is the C locale's ASCII). Only the program thread uses files: the iconv
// descriptors have no lock.
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <unistd.h>

#include "platform/posix/cp932.h"
#include "runtime/io/plat_file.h"

uint32_t PlatFileLastError() {
    return (uint32_t)errno;
}

// Copies text (length n) to out, cut to cap - 1 bytes and ended by a NUL; returns the length.
// Callers give room for any path, so only an absurd one is ever cut.
static uint32_t Put(char *out, uint32_t cap, const char *text, size_t n) {
    if (cap == 0)
        return 0;
    if (n > cap - 1)
        n = cap - 1;
    memcpy(out, text, n);
    out[n] = 0;
    return (uint32_t)n;
}

// The folder the program was started in, for a working folder that has gone since: taken before
// main, when nothing can have removed it yet. Empty when the system could not tell even then.
static char startFolder[4096];
static const bool kStartFolderTaken = getcwd(startFolder, sizeof startFolder) != nullptr;

// The code page 932 form of the n bytes of UTF-8 at text, appended to out at *length (cut at
// cap - 1 bytes): a character without a form there, and a byte that is no UTF-8, as one '?'.
static void PutFromUtf8(char *out, uint32_t cap, uint32_t *length, const char *text, size_t n) {
    *length += (uint32_t)Cp932FromUtf8((const uint8_t *)text, n, (uint8_t *)out + *length,
                                       cap - 1 - *length, '?');
    out[*length] = 0;
}

// The working folder and the name joined by "/"; "." is the folder itself. A name is the file
// system's bytes, UTF-8 (the locale's encoding), and is shown in code page 932. A working folder
// the system cannot give (removed, or longer than a path may be) is the one the program was
// started in; without that too, the name stands alone.
uint32_t PlatFileFullPath(const char *name, char *out, uint32_t cap) {
    static char folder[65536];
    uint32_t length = 0;
    if (cap < 2)
        return Put(out, cap, name, strlen(name));
    const char *base = name[0] == '/' ? "" : getcwd(folder, sizeof folder) != nullptr ? folder
                       : kStartFolderTaken ? startFolder : "";
    out[0] = 0;
    PutFromUtf8(out, cap, &length, base, strlen(base));
    if (base[0] != 0 && strcmp(name, ".") == 0)
        return length;
    if (length > 1 && length < cap - 1)
        out[length++] = '/';
    PutFromUtf8(out, cap, &length, name, strlen(name));
    return length;
}

// The common reasons, code page 932.
static const struct {
    int error;
    const char *text;
} kReasons[] = {
    // ファイルまたはフォルダが見つかりません
    {ENOENT, "\x83t\x83@\x83\x43\x83\x8b\x82\xdc\x82\xbd\x82\xcd\x83t\x83H\x83\x8b\x83_\x82\xaa\x8c\xa9"
             "\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1"},
    // アクセスが拒否されました
    {EACCES, "\x83\x41\x83N\x83Z\x83X\x82\xaa\x8b\x91\x94\xdb\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd"},
    // 読み取り専用のファイルシステムです
    {EROFS, "\x93\xc7\x82\xdd\x8e\xe6\x82\xe8\x90\xea\x97p\x82\xcc\x83t\x83@\x83\x43\x83\x8b\x83V\x83X"
            "\x83\x65\x83\x80\x82\xc5\x82\xb7"},
    // ディスクに空きがありません
    {ENOSPC, "\x83\x66\x83\x42\x83X\x83N\x82\xc9\x8b\xf3\x82\xab\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9"
             "\x82\xf1"},
    // フォルダです
    {EISDIR, "\x83t\x83H\x83\x8b\x83_\x82\xc5\x82\xb7"},
    // 入出力エラーが起きました
    {EIO, "\x93\xfc\x8fo\x97\xcd\x83G\x83\x89\x81[\x82\xaa\x8bN\x82\xab\x82\xdc\x82\xb5\x82\xbd"},
    // ほかのプログラムが使用中です   (another open holds the file: flock, or this process)
    {EWOULDBLOCK, "\x82\xd9\x82\xa9\x82\xcc\x83v\x83\x8d\x83O\x83\x89\x83\x80\x82\xaa\x8eg\x97p\x92\x86"
                  "\x82\xc5\x82\xb7"},
    // 通常のファイルではありません   (a FIFO, a device: only regular files open)
    {EINVAL, "\x92\xca\x8f\xed\x82\xcc\x83t\x83@\x83\x43\x83\x8b\x82\xc5\x82\xcd\x82\xa0\x82\xe8"
             "\x82\xdc\x82\xb9\x82\xf1"},
    // 操作が許可されていません   (a sticky folder: another's file may not be replaced)
    {EPERM, "\x91\x80\x8d\xec\x82\xaa\x8b\x96\x89\xc2\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9"
            "\x82\xf1"},
    // ファイルをロックできません
    {ENOLCK, "\x83t\x83@\x83\x43\x83\x8b\x82\xf0\x83\x8d\x83\x62\x83N\x82\xc5\x82\xab\x82\xdc\x82\xb9"
             "\x82\xf1"},
};

uint32_t PlatFileErrorText(uint32_t error, char *out, uint32_t cap) {
    for (const auto &reason : kReasons)
        if ((uint32_t)reason.error == error)
            return Put(out, cap, reason.text, strlen(reason.text));
    const char *text = strerror((int)error);
    return Put(out, cap, text, strlen(text));
}

enum { kUnitsAtOnce = 1024 };   // units put into little-endian bytes per iconv call

uint32_t PlatTextFromUtf16(const uint16_t *units, uint32_t n, uint8_t *out) {
    static iconv_t cd = iconv_open("CP932", "UTF-16LE");
    uint8_t *o = out;
    for (uint32_t done = 0; done < n;) {
        uint32_t count = n - done < (uint32_t)kUnitsAtOnce ? n - done : (uint32_t)kUnitsAtOnce;
        char bytes[2 * kUnitsAtOnce];
        for (uint32_t i = 0; i < count; i++) {
            bytes[2 * i] = (char)(units[done + i] & 0xFF);
            bytes[2 * i + 1] = (char)(units[done + i] >> 8);
        }
        done += count;
        char *in = bytes;
        size_t inLeft = 2 * (size_t)count;
        size_t outLeft = 2 * (size_t)count;   // each unit takes at most two bytes
        while (inLeft > 0) {
            char *at = (char *)o;
            if (cd != (iconv_t)-1 && iconv(cd, &in, &inLeft, &at, &outLeft) != (size_t)-1) {
                o = (uint8_t *)at;
                break;
            }
            o = (uint8_t *)at;
            // No form (EILSEQ), or no iconv: one '?' for the unit, ASCII as it is without iconv.
            uint16_t unit = (uint16_t)((uint8_t)in[0] | (uint8_t)in[1] << 8);
            *o++ = cd == (iconv_t)-1 && unit < 0x80 ? (uint8_t)unit : '?';
            in += 2;
            inLeft -= 2;
            outLeft -= 1;
        }
    }
    return (uint32_t)(o - out);
}
