// The terminal console's key decoder, on bytes: what each byte sequence a terminal sends becomes.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/term_keys.h"

namespace {

struct KeyCase {
    const char *name;
    std::string input;   // bytes as the terminal sends them
    std::string chars;   // character messages, in order (a lone ESC counts after the silence)
    int closes;
    std::string clip;    // the clipboard text after the input (code page 932)
    std::string views = "";   // view keys in order: u d (row up, down), p n (page), t b (top,
                              // bottom); z: a suspend
};

const KeyCase kKeyCases[] = {
    {"ascii, tab and Ctrl+V pass", "a1,\t\x16", "a1,\t\x16", 0, ""},
    {"DEL and BS are Backspace", "\x7f\x08", "\x08\x08", 0, ""},
    {"CR and LF are Enter, CR LF is one", "\r\n\n\r", "\r\r\r", 0, ""},
    {"an LF after a key after CR is Enter again", "\ra\n", "\ra\r", 0, ""},
    {"Ctrl+C and Ctrl+\\ close, Ctrl+Z suspends, a NUL is dropped",
     std::string("a\x03\0\x1c\x1a", 5), "a", 2, "", "z"},
    {"double-byte character, lead byte first", "\xe6\x97\xa5", "\x93\xfa", 0, ""},   // 日
    {"half-width katakana is one byte", "\xef\xbd\xb6", "\xb6", 0, ""},             // ｶ
    {"no 932 form, cut off, stray continuation: dropped", "\xf0\x9f\x98\x80x\xe6\x97z\x97q",
     "xzq", 0, ""},
    {"arrows, function keys, Alt and a key are no characters",
     "\x1b[A\x1b[1;5C\x1bOP\x1b[15~\x1b[[A\x1b" "ab", "b", 0, "", "u"},
    {"view keys", "\x1b[5~\x1b[6;2~\x1b[1;2B\x1bOA\x1b[1;5H\x1b[1;5F\x1b[H\x1b[2;5~", "", 0, "",
     "pndutb"},
    {"a lone ESC is the Escape key", "\x1b", "\x1b", 0, ""},
    {"bracketed paste becomes the clipboard and Ctrl+V", "\x1b[200~3,4\x1b[201~", "\x16", 0, "3,4"},
    {"pasted line breaks become CR LF", "\x1b[200~a\rb\nc\r\nd\x1b[201~", "\x16", 0,
     "a\r\nb\r\nc\r\nd"},
    {"pasted UTF-8 becomes 932 by Microsoft's table; no 932 form, malformed, cut off: dropped",
     "\x1b[200~日～－①\xf0\x9f\x98\x80\xff\x80\xe6\x97\x1b[201~", "\x16", 0,
     "\x93\xfa\x81\x60\x81\x7c\x87\x40"},
    {"ESC and Ctrl+C inside a paste are text", "\x1b[200~a\x1b[20x\x03\x1b[201~", "\x16", 0,
     "a\x1b[20x\x03"},
    {"keys after a paste are keys", "\x1b[200~p\x1b[201~q\r", "\x16q\r", 0, "p"},
};

TEST(KeyDecoder, Events) {
    for (const KeyCase &c : kKeyCases) {
        TermKeys k;
        TermKeysInit(&k);
        TermKeyEvents ev;
        std::string chars;
        int closes = 0, pastes = 0;
        std::string views;
        for (char b : c.input) {
            TermKeysFeed(&k, (uint8_t)b, &ev);
            chars.append((const char *)ev.chars, (size_t)ev.charCount);
            closes += ev.close;
            pastes += ev.pasted;
            if (ev.view != kTermViewNone)
                views += "-udpntb"[ev.view];
            if (ev.suspend)
                views += 'z';
        }
        if (TermKeysPending(&k)) {   // the silence after the last byte
            TermKeysTimeout(&k, &ev);
            chars.append((const char *)ev.chars, (size_t)ev.charCount);
        }
        EXPECT_EQ(chars, c.chars) << c.name;
        EXPECT_EQ(closes, c.closes) << c.name;
        EXPECT_EQ(views, c.views) << c.name;
        EXPECT_EQ(pastes, c.clip.empty() ? 0 : 1) << c.name;
        EXPECT_EQ(std::string((const char *)k.clip, k.clipLength), c.clip) << c.name;
    }
}

}  // namespace
