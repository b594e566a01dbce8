// file_text.h: files read as text: the byte-order marks FileOpenText looks for, and the code page
// 932 form of a UTF-16 file, made block by block as FileInput reads on. Testable on bytes alone;
// the one platform call is PlatTextFromUtf16, for runs of plain (non-surrogate) code units.
#ifndef RUNTIME_IO_FILE_TEXT_H
#define RUNTIME_IO_FILE_TEXT_H

#include <cstdint>

#include "runtime/io/files.h"

// The form the first n bytes of a file (n up to 3) show, and in *mark how many of them the mark
// takes: kFileFormBytes after a UTF-8 mark (3) or none (0); a UTF-16 form after its mark (2).
uint8_t FileTextForm(const uint8_t *head, uint32_t n, uint32_t *mark);

// Converts the UTF-16 bytes in[0..n) of the given byte order into code page 932 at out (room for
// n bytes: no character grows); returns the bytes written and in *used the bytes converted.
// A character without a form (a surrogate pair, a lone surrogate, a code point the platform's
// table lacks) becomes one '?'. Only whole characters are converted: an odd last byte and a high
// surrogate at the end stay for the next call, unless `last` (the end of the file) makes each a '?'.
uint32_t Utf16ToCp932(const uint8_t *in, uint32_t n, uint8_t form, bool last, uint8_t *out,
                      uint32_t *used);

// Puts the code page 932 form of the file's next bytes into ahead->bytes (kFileReadAheadBytes
// of room), going on from ahead's carry; returns its length, 0 at the end of the file, -1 on a
// read error. Reads the handle on from where it stands.
int64_t FileTextNextBlock(PlatFile file, FileReadAhead *ahead);

#endif
