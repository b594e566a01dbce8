// prompt_keys.h: the control bytes of the console's keys, named once for the line editor and for
// every front end that turns what the user typed into character messages. A message carries one
// of these or a code page 932 byte of typed text; the editor acts on Backspace, Enter and Paste
// and takes every other byte as text. The rest are what a terminal sends for keys that its front
// end handles itself, and the line breaks of pasted text.
#ifndef RUNTIME_CONSOLE_PROMPT_KEYS_H
#define RUNTIME_CONSOLE_PROMPT_KEYS_H

#include <cstdint>

enum : uint8_t {
    kPromptKeyCtrlC = 3,            // a terminal's Ctrl+C: the console closes
    kPromptKeyBackspace = 8,        // the editor drops the line's last byte
    kPromptKeyTab = 9,
    kPromptKeyLf = 10,              // a line feed, alone or behind a CR
    kPromptKeyEnter = 13,           // CR: the editor hands the line over
    kPromptKeyPaste = 22,           // Ctrl+V: the editor appends the clipboard's text
    kPromptKeyEscape = 27,          // ESC, also the start of a terminal's escape sequences
    kPromptKeyCtrlBackslash = 28,   // a terminal's Ctrl+\: the console closes
    kPromptKeyCtrlZ = 26,           // a terminal's Ctrl+Z: the console suspends
    kPromptKeyDelete = 127,         // what most terminals send for Backspace
};

#endif
