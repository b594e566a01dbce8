// files.h: numbered sequential files. File number n (1 to 256) lives in slot n - 1 of the
// FileHandleTable; a number outside that range is refused quietly by every call (FileOpen and
// FilePrint still release their string operand).
//
// A slot holds 0 (no file: never opened, or closed), kPlatFileInvalid (the last open of the
// number failed), or an open handle. An open in input mode shares the file with other readers
// only; any other open is exclusive: while one number holds a file so, no other open of it
// succeeds, in this process or another. Reading state between calls is only the
// handle's position, which after every FileInput stands directly behind the bytes it consumed.
//
// None of the operations reports an error; the queries at the end let a caller find out what
// happened. Only the program thread uses files; the table has no lock.
#ifndef RUNTIME_IO_FILES_H
#define RUNTIME_IO_FILES_H

#include <cstdint>

#include "runtime/io/plat_file.h"
#include "runtime/core/rt_string.h"

enum : int32_t { kFileNumbers = 256 };

// Modes of FileOpen. The position of a new handle is 0, except in append mode (the end).
enum : int32_t {
    FileModeUpdate = 0,   // read and write; open, or create when missing
    FileModeInput = 1,    // read; fails when missing
    FileModeOutput = 2,   // write; create, or truncate to length 0
    FileModeAppend = 3,   // write; open, or create when missing; position at the end
};

enum : uint32_t { kFileReadAheadBytes = 16384 };

// Bytes FileInput read ahead of its position, so that most calls need no read of their own. They
// are valid only while nothing but FileInput has moved the handle or written through it: FileOpen,
// FileClose and FilePrint drop them. (No other open can change the file while a number holds it:
// beside a reader there are only readers; on POSIX that holds for every process that respects
// flock.)
//
// A file opened by FileOpenText that begins with a UTF-16 byte-order mark is read as its code page
// 932 form: bytes hold that form, block by block, and every offset here counts in it. The handle
// is then only ever read on, never moved, and the read-ahead stays valid until the file is closed.
struct FileReadAhead {
    uint8_t *bytes;     // kFileReadAheadBytes heap bytes, taken by the slot's first FileInput; or null
    int64_t start;      // file offset of bytes[0]
    uint32_t length;    // bytes held, from start on
    int64_t position;   // the handle's position as the last FileInput left it, start to start + length
    bool valid;
    uint8_t form;       // kFileFormBytes, or the byte order of a file read as UTF-16
    uint8_t carry[3];   // UTF-16 bytes read and not converted yet: an odd byte, a high surrogate
    uint32_t carryLength;
};
enum : uint8_t { kFileFormBytes = 0, kFileFormUtf16Le = 1, kFileFormUtf16Be = 2 };

// The items FileInput took for numeric variables without their text being wholly a number (see
// NumberIsWhole), since the number's open; the first is kept as the user is to be shown it.
enum : uint32_t { kFileShownText = 24 };
struct FileNonNumbers {
    uint32_t lineEnds;     // line ends (LF, CR LF) consumed so far: the next item's line is this + 1
    uint32_t count;        // such items; empty ones never count (they read 0 on purpose)
    uint32_t empties;      // empty items, counted apart
    uint32_t firstLine;    // the first one's line, from 1
    char firstText[kFileShownText + 1];   // its first bytes, NUL-terminated: at most 24, never half
                                          // a double-byte character, each control byte as '?'
    double firstValue;     // what it was read as (ParseNumber)
};

// A replacement the number holds: both names heap blocks (PlatAlloc), or both null. Its prints
// gather in pending and reach the new file kFilePendingBytes at a time and at the commit: a file
// written line by line costs a few writes, not one a line.
enum : uint32_t { kFilePendingBytes = 65536 };
struct FileReplacement {
    char *target;            // the file the new one is to replace
    char *temporary;         // the new file, created by this process and still under this name
    uint8_t *pending;        // kFilePendingBytes heap bytes, taken by the first print; or null
    uint32_t pendingLength;  // bytes printed and not yet written
};

struct FileHandleTable {
    PlatFile handle[kFileNumbers];    // 0 no file, kPlatFileInvalid a failed open, else open
    bool printFailed[kFileNumbers];   // a FilePrint since the number's last FileOpen failed or wrote short
    FileReadAhead readAhead[kFileNumbers];
    FileReplacement replacement[kFileNumbers];
    uint32_t replacementCount;        // temporary names tried so far by this process
    int32_t lastInputStored;          // variables stored by the last FileInput, 0 to 31
    FileNonNumbers nonNumbers[kFileNumbers];
    // The last failure of an open, a print or a replacement since the last FileOpen or
    // FileOpenReplacement: the system's code and the name (a PlatAlloc block; or null) it was about.
    uint32_t failedError;
    char *failedName;
};
extern FileHandleTable gFileHandles;

// Opens name (consumed) under number, first closing the file the number held, if any. A failed
// open (missing file in input mode, a file held by another open, a bad name, a mode outside 0 to 3)
// leaves kPlatFileInvalid in the slot.
void FileOpen(RtString name, int32_t mode, int32_t number);
// Writes every byte of text (consumed; its length counts, NUL bytes included) with one write at
// the current position. Nothing is added. A failed or short write only sets printFailed.
void FilePrint(int32_t number, RtString text);
// Reads the next items from the current position into the variables of gInputTargets, item i
// into entry i, until the list's null address, the end of the data or a read error.
void FileInput(int32_t number);
// Closes the number's file, if any, and empties its slot (0). An uncommitted replacement's new
// file is removed.
void FileClose(int32_t number);

// Opens name (consumed) for input as FileOpen with FileModeInput does, for a text file that may
// begin with a byte-order mark: a UTF-8 mark is skipped; a file that begins with a UTF-16 mark
// (FF FE little-endian, FE FF big-endian) is read as the same text in code page 932, a character
// without a form there as '?'. Any other file is read byte for byte from its first byte.
void FileOpenText(RtString name, int32_t number);

// Replacing a file whole, so that a reader of target finds the old file or the new one, whole,
// even after a power cut; the way to write a file that must never be seen half-written.
// FileOpenReplacement opens, under number (first closing what it held), a new file of this
// process's own beside target (consumed): "<target>.dftanalyze-<process id>-<count>.tmp", created
// exclusively and never any other file, the next count tried while a name is taken. It is empty
// and open for output as with FileModeOutput, but its prints are written in blocks (a failed
// write shows in FilePrintFailed only once its block is written); FileIsOpen tells whether it
// was made.
void FileOpenReplacement(RtString target, int32_t number);
// Ends the number's replacement: puts the new file on the disk, closes it, puts it in the place
// of target in one step and puts the folder on the disk. False, with target untouched and the new
// file removed, when the number holds no replacement, a FilePrint to it failed, or the flush, the
// close or the replace fails (target is a folder, read-only or held open by anyone). False also
// when only the folder's flush fails: target is then the new file, but not known to be on the disk.
// FileClose of a number that holds a replacement abandons it: the new file is removed.
bool FileCommitReplacement(int32_t number);

// Whether the number's slot holds an open file.
bool FileIsOpen(int32_t number);
// How many variables the last FileInput stored (0 when it found no data or no open file).
int32_t FileInputStoredCount();
// Whether any FilePrint on the number failed or wrote short since its last FileOpen (a print to a
// number without an open file counts as failed).
bool FilePrintFailed(int32_t number);
// What FileInput on the number took for numbers without their being wholly one (never null).
const FileNonNumbers *FileInputNonNumbers(int32_t number);
// Where and why the last failed open, print or replacement failed, for the user: the full path of
// the file, or of the folder that refused a new file, and the system's few words on why; each a
// new string in code page 932, empty when nothing failed or the system gave no reason.
void FileLastFailure(RtString *where, RtString *why);

#endif
