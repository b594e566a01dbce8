// file_input.cpp: FileInput, the reading rules of a numbered file.
//
// Item i of the file goes to entry i of gInputTargets, for i = 0, 1, ... up to the list's null
// address. One item:
//   1. blanks and tabs before it are skipped; the end of the data or a read error ends the call;
//   2. it runs up to the end of the file, a NUL, CR or LF (quoted or not), a comma outside quote
//      marks, or (unless its variable is a string) a blank or tab outside quote marks. A quote
//      mark toggles the quote state and stays in the text;
//   3. a CR ends it only before an LF (the pair is consumed) or as the last byte of the file (not
//      part of the text); any other CR is an ordinary byte of the item;
//   4. after a blank or tab, further blanks and tabs and one comma behind them are consumed; any
//      other byte stays for the next item.
// An item of any length is read in bounded room: a number keeps what the number rules read of it
// (NumberTextSqueeze), a string its first kItemBytes - 1 bytes.
// A read error ends the call at once: the item being read and all later variables keep their values.
//
// Reading is done in blocks into the slot's read-ahead, but the rules consume bytes one at a time:
// the reader counts what they consumed, and on every way out the handle is moved to stand directly
// behind the last consumed byte. In the usual call that seek is the only system call. A file read
// as UTF-16 is read in blocks of its code page 932 form instead, and its handle never moves back.
//
// Items of numeric variables whose text is not wholly a number are counted in the slot's
// FileNonNumbers, with the line of each item, so that the user can be told what was read as what.
#include <cstring>

#include "runtime/core/cp932_bytes.h"
#include "runtime/core/plat_core.h"
#include "runtime/io/file_text.h"
#include "runtime/io/files.h"
#include "runtime/io/input_items.h"

enum : uint32_t { kItemBytes = 4096 };   // room of one item, its NUL included

// Offsets are file offsets. Invariant: ahead->start <= next <= ahead->start + ahead->length.
struct Reader {
    PlatFile file;
    FileReadAhead *ahead;
    int64_t next;       // offset of the next byte the rules take
    int64_t handleAt;   // where the handle stands now
};

// Takes the slot's read-ahead as it stands, or starts an empty one at the handle's position.
// false when that position cannot be had.
static bool ReaderStart(Reader *r, PlatFile file, FileReadAhead *ahead) {
    r->file = file;
    r->ahead = ahead;
    if (ahead->bytes == nullptr)
        ahead->bytes = (uint8_t *)PlatAlloc(kFileReadAheadBytes);
    if (ahead->valid || ahead->form != kFileFormBytes) {
        r->next = ahead->position;
        r->handleAt = ahead->position;
        return true;
    }
    int64_t at = PlatFileSeek(file, 0, kPlatSeekCurrent);
    if (at < 0)
        return false;
    r->next = at;
    r->handleAt = at;
    ahead->start = at;
    ahead->length = 0;
    ahead->position = at;
    ahead->valid = true;
    return true;
}

// 1 and the byte in *b, 0 at the end of the data (nothing consumed), -1 on a read error.
static int ReaderNext(Reader *r, uint8_t *b) {
    FileReadAhead *ahead = r->ahead;
    int64_t end = ahead->start + ahead->length;
    if (r->next == end) {
        // The block behind the held bytes replaces them; the byte just taken is always among the
        // bytes of the new block, so a step back never leaves it.
        if (ahead->form != kFileFormBytes) {
            int64_t got = FileTextNextBlock(r->file, ahead);
            if (got <= 0)
                return (int)got;
            ahead->start = end;
            ahead->length = (uint32_t)got;
            *b = ahead->bytes[0];
            r->next++;
            return 1;
        }
        if (r->handleAt != end && PlatFileSeek(r->file, end, kPlatSeekBegin) < 0)
            return -1;
        r->handleAt = end;
        int64_t got = PlatFileRead(r->file, ahead->bytes, kFileReadAheadBytes);
        if (got < 0) {
            ahead->valid = false;
            return -1;
        }
        ahead->start = end;
        ahead->length = (uint32_t)got;
        r->handleAt = end + got;
        if (got == 0)
            return 0;
    }
    *b = ahead->bytes[r->next - ahead->start];
    r->next++;
    return 1;
}

// Gives the byte just taken by ReaderNext back; it is read again next. Only that one byte is ever
// given back, and it is always among the held bytes.
static void ReaderBack(Reader *r) {
    r->next--;
}

// Moves the handle to stand behind the last consumed byte and leaves the read-ahead for the next call.
static void ReaderFinish(Reader *r) {
    if (r->ahead->form == kFileFormBytes && r->handleAt != r->next &&
        PlatFileSeek(r->file, r->next, kPlatSeekBegin) < 0)
        r->ahead->valid = false;   // the handle's position is unknown now: ask it next time
    r->ahead->position = r->next;
}

// The item's bytes, NUL-terminated when handed on, in room of a fixed size whatever the item's
// length: a string keeps its first kItemBytes - 1 bytes; a number is squeezed to what the number
// rules read of it (NumberTextSqueeze) whenever the room is full, which leaves room for more.
struct Item {
    uint32_t length;   // without the NUL, below kItemBytes
    bool keepAll;      // a string's item: kept as it is, not squeezed
    uint8_t bytes[kItemBytes];
};

static void ItemAppend(Item *item, uint8_t b) {
    if (item->length + 1 == kItemBytes && !item->keepAll)
        item->length = NumberTextSqueeze(item->bytes, item->length);
    if (item->length + 1 < kItemBytes)
        item->bytes[item->length++] = b;
}

static bool IsBlank(uint8_t b) {
    return b == ' ' || b == '\t';
}

// Reads one item into item (emptied first). 1: an item was read, *endedLine when a line end (LF,
// CR LF) ended it; 0: no item before the end of the data; -1: a read error. Steps 1 to 4 of the
// top comment.
static int ReadItem(Reader *r, Item *item, bool keepBlanks, bool *endedLine) {
    uint8_t b = 0;
    int got;
    item->length = 0;
    item->keepAll = keepBlanks;
    *endedLine = false;
    while ((got = ReaderNext(r, &b)) == 1 && IsBlank(b))
        ;
    if (got <= 0)
        return got;
    ReaderBack(r);

    bool quoted = false;
    bool endedAtBlank = false;
    for (;;) {
        got = ReaderNext(r, &b);
        if (got < 0)
            return -1;
        if (got == 0 || b == 0)
            break;
        if (b == '\n') {
            *endedLine = true;
            break;
        }
        if (b == '\r') {
            uint8_t next = 0;
            got = ReaderNext(r, &next);
            if (got < 0)
                return -1;
            if (got == 0 || next == '\n') {   // CR LF, or a CR that is the last byte of the file
                *endedLine = got == 1;
                break;
            }
            ReaderBack(r);   // a lone CR is text; the byte after it belongs to the item as well
        } else if (b == '"') {
            quoted = !quoted;
        } else if (!quoted && b == ',') {
            break;
        } else if (!quoted && !keepBlanks && IsBlank(b)) {
            endedAtBlank = true;
            break;
        }
        ItemAppend(item, b);
    }

    if (endedAtBlank) {
        while ((got = ReaderNext(r, &b)) == 1 && IsBlank(b))
            ;
        if (got < 0)
            return -1;
        if (got == 1 && b != ',')
            ReaderBack(r);
    }
    item->bytes[item->length] = 0;
    return 1;
}

static bool IsNumeric(int32_t type) {
    return type >= kInputInt8 && type <= kInputDouble;
}

// Counts an item of a numeric variable that is not wholly a number; the first one is kept as the
// user is to see it: its first glyphs up to kFileShownText bytes, a double-byte character whole
// or not at all, each control byte and each lead byte without its trail byte as '?'.
static void CountNonNumber(FileNonNumbers *t, const Item *item) {
    t->empties += item->length == 0;
    if (NumberIsWhole(item->bytes))
        return;
    if (t->count++ > 0)
        return;
    t->firstLine = t->lineEnds + 1;
    t->firstValue = ParseNumber(item->bytes);
    uint32_t shown = 0;
    for (uint32_t i = 0; i < item->length;) {
        uint8_t b = item->bytes[i];
        bool pair = RtIsLeadByte(b) && i + 1 < item->length && RtIsTrailByte(item->bytes[i + 1]);
        uint32_t width = pair ? 2 : 1;
        if (shown + width > kFileShownText)
            break;
        if (pair) {
            t->firstText[shown++] = (char)b;
            t->firstText[shown++] = (char)item->bytes[i + 1];
        } else {
            t->firstText[shown++] = (b < 0x20 || b == 0x7F || RtIsLeadByte(b)) ? '?' : (char)b;
        }
        i += width;
    }
    t->firstText[shown] = 0;
}

void FileInput(int32_t number) {
    gFileHandles.lastInputStored = 0;
    if (!FileIsOpen(number))
        return;

    Reader reader;
    if (!ReaderStart(&reader, gFileHandles.handle[number - 1], &gFileHandles.readAhead[number - 1]))
        return;
    static Item item;   // the program thread's alone, as the file table is

    FileNonNumbers *tally = &gFileHandles.nonNumbers[number - 1];
    for (int32_t i = 0; i < kInputTargets && gInputTargets.address[i] != nullptr; i++) {
        bool endedLine = false;
        if (ReadItem(&reader, &item, gInputTargets.type[i] == kInputString, &endedLine) != 1)
            break;
        StoreInputItem(item.bytes, i);
        if (IsNumeric(gInputTargets.type[i]))
            CountNonNumber(tally, &item);
        tally->lineEnds += endedLine;
        gFileHandles.lastInputStored = i + 1;
    }
    ReaderFinish(&reader);
}
