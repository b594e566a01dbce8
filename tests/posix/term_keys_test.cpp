// The terminal console's key decoder, on bytes: what each byte sequence a terminal sends becomes.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/term_keys.h"

namespace {

struct KeyCase {
    const char *name;
    std::string input;    // bytes as the terminal sends them
    std::string chars;    // character messages, in order (a lone ESC counts after the silence)
    int closes;
    std::string clip;     // the clipboard text after the input (code page 932)
};

const KeyCase kKeyCases[] = {
    {"ascii passes", "a1,", "a1,", 0, ""},
    {"DEL and BS are Backspace", "\x7f\x08", "\x08\x08", 0, ""},
    {"CR and LF are Enter, CR LF is one", "\r\n\n\r", "\r\r\r", 0, ""},
    {"tab and Ctrl+V pass", "\t\x16", "\t\x16", 0, ""},
    {"Ctrl+C and Ctrl+\\ close", "a\x03\x1c", "a", 2, ""},
    {"a NUL is dropped", std::string("a\0b", 3), "ab", 0, ""},
    {"double-byte character, lead byte first", "\xe6\x97\xa5", "\x93\xfa", 0, ""},   // 日
    {"half-width katakana is one byte", "\xef\xbd\xb6", "\xb6", 0, ""},             // ｶ
    {"a character with no 932 form is dropped", "\xf0\x9f\x98\x80x", "x", 0, ""},   // emoji
    {"a cut-off character is dropped", "\xe6\x97z", "z", 0, ""},
    {"a stray continuation byte is dropped", "\x97q", "q", 0, ""},
    {"arrow keys are swallowed", "\x1b[A\x1b[1;5Cx", "x", 0, ""},
    {"function keys are swallowed", "\x1bOP\x1b[15~\x1b[[Ay", "y", 0, ""},
    {"Alt and a key is swallowed", "\x1b" "a" "b", "b", 0, ""},
    {"a lone ESC is the Escape key", "\x1b", "\x1b", 0, ""},
    {"bracketed paste becomes the clipboard and Ctrl+V", "\x1b[200~3,4\x1b[201~", "\x16", 0,
     "3,4"},
    {"pasted line breaks become CR LF", "\x1b[200~a\rb\nc\r\nd\x1b[201~", "\x16", 0,
     "a\r\nb\r\nc\r\nd"},
    {"pasted UTF-8 becomes 932", "\x1b[200~\xe6\x97\xa5\x1b[201~", "\x16", 0, "\x93\xfa"},
    {"an ESC inside a paste is text", "\x1b[200~a\x1b[20x\x1b[201~", "\x16", 0, "a\x1b[20x"},
    {"Ctrl+C inside a paste is text", "\x1b[200~\x03\x1b[201~", "\x16", 0, "\x03"},
    {"keys after a paste are keys", "\x1b[200~p\x1b[201~q\r", "\x16q\r", 0, "p"},
};

TEST(KeyDecoder, Events) {
    for (const KeyCase &c : kKeyCases) {
        TermKeys k;
        TermKeysInit(&k);
        TermKeyEvents ev;
        std::string chars;
        int closes = 0, pastes = 0;
        for (char b : c.input) {
            TermKeysFeed(&k, (uint8_t)b, &ev);
            chars.append((const char *)ev.chars, (size_t)ev.charCount);
            closes += ev.close;
            pastes += ev.pasted;
        }
        if (TermKeysPending(&k)) {   // the silence after the last byte
            TermKeysTimeout(&k, &ev);
            chars.append((const char *)ev.chars, (size_t)ev.charCount);
        }
        EXPECT_EQ(chars, c.chars) << c.name;
        EXPECT_EQ(closes, c.closes) << c.name;
        EXPECT_EQ(pastes, c.clip.empty() ? 0 : 1) << c.name;
        EXPECT_EQ(std::string((const char *)k.clip, k.clipLength), c.clip) << c.name;
    }
}

}  // namespace
