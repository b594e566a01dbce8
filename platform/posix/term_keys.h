// term_keys.h: the terminal console's key decoder: the bytes a terminal sends in raw mode turned
// into the console's character messages, on bytes alone (no terminal needed to test it).
//
//   typed UTF-8 text          its code page 932 bytes, lead byte first; no 932 form: dropped
//   0x7F, 0x08                8 (Backspace)
//   CR, LF                    13 (Enter); an LF right behind a CR belongs to it
//   TAB, 0x16 (Ctrl+V)        9, 22; every other control byte passes unchanged, NUL is dropped
//   0x03, 0x1C (Ctrl+C, \)    close
//   0x1A (Ctrl+Z)             suspend: the program stops, as on SIGTSTP
//   ESC[200~ text ESC[201~    a bracketed paste: the text (CR, LF and CR LF made CR LF) becomes
//                             the clipboard text and the paste key 22 follows
//   PageUp, PageDown          ESC[5~, ESC[6~ (any modifier): view keys, a page back or forward
//   Up, Down                  ESC[A, ESC[B, ESC O A, ESC O B (any modifier): a row back or
//                             forward; what a wheel turn sends in alternate scroll mode
//   Ctrl+Home, Ctrl+End       ESC[1;5H, ESC[1;5F: the view to the top, to the bottom
//   ESC [ ... final, ESC O x, ESC x   other keys' sequences: swallowed whole
//   ESC and then silence      the Escape key itself: 27 (TermKeysTimeout)
// View keys move the console's view into its history; they are no keys of the input line.
// Invariant: every byte fed is either part of exactly one event or dropped; the decoder never
// emits a byte of an escape sequence.
#ifndef PLATFORM_POSIX_TERM_KEYS_H
#define PLATFORM_POSIX_TERM_KEYS_H

#include <cstddef>
#include <cstdint>

enum {
    kTermPasteRaw = 4096,            // UTF-8 bytes kept of one paste; the rest is dropped
    kTermPasteText = 2 * 4096 + 2,   // its code page 932 form (line breaks may double)
};

enum TermKeyState {
    kKeyText,        // between keys
    kKeyUtf8,        // inside a multi-byte UTF-8 character
    kKeyEscape,      // after ESC
    kKeyCsi,         // after ESC [: parameter and intermediate bytes up to the final byte
    kKeySs3,         // after ESC O: one more byte
    kKeyFnByte,      // after ESC [ [ (the Linux console's function keys): one more byte
    kKeyPaste,       // inside a bracketed paste
};

struct TermKeys {
    TermKeyState state;
    bool afterCr;                    // the last key was a CR, so a LF now is its second half
    uint8_t utf8[4];                 // the UTF-8 character being collected
    int utf8Have, utf8Need;
    char csi[16];                    // parameter bytes of the CSI sequence being read
    int csiLength;
    uint8_t pasteRaw[kTermPasteRaw]; // the bracketed paste being collected, UTF-8
    size_t pasteRawLength;
    int pasteEndMatched;             // bytes of ESC[201~ seen in a row
    uint8_t clip[kTermPasteText];    // the last finished paste, code page 932: the clipboard
    size_t clipLength;
};

enum TermViewKey : uint8_t {
    kTermViewNone,
    kTermViewRowUp,
    kTermViewRowDown,
    kTermViewPageUp,
    kTermViewPageDown,
    kTermViewTop,
    kTermViewBottom,
};

// What one byte produced.
struct TermKeyEvents {
    uint8_t chars[2];   // character messages in order (a double-byte character gives two)
    int charCount;
    bool pasted;        // a bracketed paste ended: clip holds its text; char 22 is in chars
    bool close;         // Ctrl+C or Ctrl+\: the console closes
    bool suspend;       // Ctrl+Z: the terminal given back and the program stopped
    TermViewKey view;   // a view key ended with this byte
};

void TermKeysInit(TermKeys *k);
void TermKeysFeed(TermKeys *k, uint8_t b, TermKeyEvents *ev);
// Nothing came for a while: a lone ESC is the Escape key; a cut-off sequence is dropped.
void TermKeysTimeout(TermKeys *k, TermKeyEvents *ev);
// In the middle of an escape sequence or a character: the caller should wait briefly for the
// rest and call TermKeysTimeout when none comes.
bool TermKeysPending(const TermKeys *k);

#endif
