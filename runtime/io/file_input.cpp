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
// A read error ends the call at once: the item being read and all later variables keep their values.
//
// Reading is done in blocks into the slot's read-ahead, but the rules consume bytes one at a time:
// the reader counts what they consumed, and on every way out the handle is moved to stand directly
// behind the last consumed byte. In the usual call that seek is the only system call.
#include <cstring>

#include "runtime/core/plat_core.h"
#include "runtime/io/files.h"
#include "runtime/io/input_items.h"

enum { kItemLocal = 256 };   // item bytes held without a heap block

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
    if (ahead->valid) {
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
    if (r->handleAt != r->next && PlatFileSeek(r->file, r->next, kPlatSeekBegin) < 0)
        r->ahead->valid = false;   // the handle's position is unknown now: ask it next time
    r->ahead->position = r->next;
}

// The item's bytes, NUL-terminated when handed on. Starts in local storage and moves to the heap
// when it outgrows it; released by ItemRelease on every way out.
struct Item {
    uint8_t *bytes;
    uint32_t length;     // without the NUL
    uint32_t capacity;   // bytes room, the NUL included
    uint8_t local[kItemLocal];
};

static void ItemAppend(Item *item, uint8_t b) {
    if (item->length + 1 == item->capacity) {
        uint32_t grown = item->capacity * 2;
        if (item->bytes == item->local) {
            item->bytes = (uint8_t *)PlatAlloc(grown);
            std::memcpy(item->bytes, item->local, item->length);
        } else {
            item->bytes = (uint8_t *)PlatRealloc(item->bytes, grown);
        }
        item->capacity = grown;
    }
    item->bytes[item->length++] = b;
}

static void ItemRelease(Item *item) {
    if (item->bytes != item->local)
        PlatFree(item->bytes);
}

static bool IsBlank(uint8_t b) {
    return b == ' ' || b == '\t';
}

// Reads one item into item (emptied first). 1: an item was read; 0: no item before the end of
// the data; -1: a read error. Steps 1 to 4 of the top comment.
static int ReadItem(Reader *r, Item *item, bool keepBlanks) {
    uint8_t b = 0;
    int got;
    item->length = 0;
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
        if (got == 0 || b == 0 || b == '\n')
            break;
        if (b == '\r') {
            uint8_t next = 0;
            got = ReaderNext(r, &next);
            if (got < 0)
                return -1;
            if (got == 0 || next == '\n')   // CR LF, or a CR that is the last byte of the file
                break;
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

void FileInput(int32_t number) {
    gFileHandles.lastInputStored = 0;
    if (!FileIsOpen(number))
        return;

    Reader reader;
    if (!ReaderStart(&reader, gFileHandles.handle[number - 1], &gFileHandles.readAhead[number - 1]))
        return;
    Item item;
    item.bytes = item.local;
    item.length = 0;
    item.capacity = kItemLocal;

    for (int32_t i = 0; i < kInputTargets && gInputTargets.address[i] != nullptr; i++) {
        if (ReadItem(&reader, &item, gInputTargets.type[i] == kInputString) != 1)
            break;
        StoreInputItem(item.bytes, i);
        gFileHandles.lastInputStored = i + 1;
    }
    ReaderFinish(&reader);
    ItemRelease(&item);
}
