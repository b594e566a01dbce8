// cp932.h: code page 932 <-> UTF-8 for the POSIX consoles and file names.
//
// The console keeps all text as code page 932 bytes; the terminal and the pipes speak UTF-8.
// Code page 932 text is read in glyphs: a lead byte (0x81-0x9F, 0xE0-0xFC) and the byte behind
// it are one double-byte character, every other byte is one single-byte character. The
// conversions are those of iconv's "CP932" (Microsoft's table). A character with no form in the
// other code is dropped (UTF-8 -> 932) or written as '?' (932 -> UTF-8); no conversion writes
// past the capacity it is given.
#ifndef PLATFORM_POSIX_CP932_H
#define PLATFORM_POSIX_CP932_H

#include <cstddef>
#include <cstdint>

#include "runtime/core/cp932_bytes.h"

// Builds the glyph table once (about 23,000 iconv conversions); safe to call from any thread,
// cheap after the first call. The other calls here call it themselves.
void Cp932Init();

// The UTF-8 form of one glyph of n (1 or 2) bytes into out (at least 4 bytes); its length, or 0
// when the glyph has none (a lone lead byte, an unused code, 0x80, 0xA0, 0xFD-0xFF).
int Cp932GlyphToUtf8(const uint8_t *glyph, int n, uint8_t *out);

// Whether a terminal surely shows the glyph's UTF-8 form two columns wide (East Asian wide
// characters). Greek, Cyrillic, box drawing and other "ambiguous" characters are not sure.
bool Cp932GlyphIsWide(const uint8_t *glyph, int n);

// UTF-8 text of n bytes into code page 932 at out (capacity cap); returns the bytes written.
// A character without a code page 932 form, and each byte of a malformed or cut-off one, is
// dropped, or becomes `replacement` when that is not 0; the conversion stops before a
// character that would not fit. Without iconv's "CP932" the text is dropped whole, or, with a
// replacement, ASCII stays itself and every other character is replaced.
size_t Cp932FromUtf8(const uint8_t *in, size_t n, uint8_t *out, size_t cap, uint8_t replacement = 0);

// Code page 932 text of n bytes into UTF-8 at out (capacity cap, at least 3 * n + 3 for the whole
// text); returns the bytes written. A glyph without a UTF-8 form becomes '?'. *pendingLead carries
// a lead byte that ended the previous text into this one (0: none); a lead byte that ends this
// text is left there in turn.
size_t Cp932ToUtf8(const uint8_t *in, size_t n, uint8_t *out, size_t cap, uint8_t *pendingLead);

#endif
