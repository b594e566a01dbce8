// term_keys.cpp: the key decoder of the terminal console (see term_keys.h for the key table).
#include "platform/posix/term_keys.h"

#include <cstring>
#include <string_view>

#include "platform/posix/cp932.h"
#include "runtime/console/prompt_keys.h"

static const char kPasteStart[] = "200";           // ESC [ 200 ~
static const char kPasteEnd[] = "\x1b[201~";
static const int kPasteEndLength = 6;

void TermKeysInit(TermKeys *k) {
    std::memset(k, 0, sizeof *k);
    k->state = kKeyText;
}

static void Emit(TermKeyEvents *ev, uint8_t c) {
    ev->chars[ev->charCount++] = c;
}

static void PasteKeep(TermKeys *k, uint8_t b) {
    if (k->pasteRawLength < kTermPasteRaw)
        k->pasteRaw[k->pasteRawLength++] = b;
}

// The paste is complete: its text, line breaks made CR LF, becomes the clipboard's.
static void PasteFinish(TermKeys *k, TermKeyEvents *ev) {
    uint8_t converted[kTermPasteRaw];
    size_t n = Cp932FromUtf8(k->pasteRaw, k->pasteRawLength, converted, sizeof converted);
    size_t out = 0;
    for (size_t i = 0; i < n; i++) {
        uint8_t b = converted[i];
        if (b == kPromptKeyEnter || b == kPromptKeyLf) {
            if (b == kPromptKeyEnter && i + 1 < n && converted[i + 1] == kPromptKeyLf)
                i++;
            k->clip[out++] = kPromptKeyEnter;
            k->clip[out++] = kPromptKeyLf;
        } else {
            k->clip[out++] = b;
        }
    }
    k->clipLength = out;
    k->state = kKeyText;
    ev->pasted = true;
    Emit(ev, kPromptKeyPaste);
}

static void FeedPaste(TermKeys *k, uint8_t b, TermKeyEvents *ev) {
    if (b == (uint8_t)kPasteEnd[k->pasteEndMatched]) {
        if (++k->pasteEndMatched == kPasteEndLength)
            PasteFinish(k, ev);
        return;
    }
    // The bytes that looked like the end marker were text after all. ESC appears only first in
    // the marker, so the byte that broke the match can only start a new match if it is ESC.
    for (int i = 0; i < k->pasteEndMatched; i++)
        PasteKeep(k, (uint8_t)kPasteEnd[i]);
    k->pasteEndMatched = 0;
    if (b == kPromptKeyEscape)
        k->pasteEndMatched = 1;
    else
        PasteKeep(k, b);
}

// The view key of a CSI sequence: its parameters (k->csi) and final byte b; a modifier
// parameter (";2" Shift, ";5" Ctrl ...) is allowed on every key but Home and End, which need Ctrl.
static TermViewKey CsiViewKey(const TermKeys *k, uint8_t b) {
    std::string_view p(k->csi, (size_t)k->csiLength);
    bool plain = p.empty() || (p.size() >= 2 && p.substr(0, 2) == "1;");
    if (b == 'A' && plain)
        return kTermViewRowUp;
    if (b == 'B' && plain)
        return kTermViewRowDown;
    if ((b == 'H' || b == 'F') && p == "1;5")
        return b == 'H' ? kTermViewTop : kTermViewBottom;
    if (b == '~' && (p == "5" || p.substr(0, 2) == "5;"))
        return kTermViewPageUp;
    if (b == '~' && (p == "6" || p.substr(0, 2) == "6;"))
        return kTermViewPageDown;
    return kTermViewNone;
}

static void FeedCsi(TermKeys *k, uint8_t b, TermKeyEvents *ev) {
    if (b >= 0x40 && b <= 0x7E) {   // the final byte ends the sequence
        k->state = kKeyText;
        if (b == '~' && k->csiLength == 3 && std::memcmp(k->csi, kPasteStart, 3) == 0) {
            k->state = kKeyPaste;
            k->pasteRawLength = 0;
            k->pasteEndMatched = 0;
        } else if (b == '[' && k->csiLength == 0) {
            k->state = kKeyFnByte;   // ESC [ [ x: the Linux console's function keys
        } else {
            ev->view = CsiViewKey(k, b);
        }
        return;
    }
    if (k->csiLength < (int)sizeof k->csi)
        k->csi[k->csiLength++] = (char)b;
}

static void Feed(TermKeys *k, uint8_t b, TermKeyEvents *ev);

static void FeedUtf8(TermKeys *k, uint8_t b, TermKeyEvents *ev) {
    if ((b & 0xC0) != 0x80) {   // the character was cut off: drop it, b starts afresh
        k->state = kKeyText;
        Feed(k, b, ev);
        return;
    }
    k->utf8[k->utf8Have++] = b;
    if (k->utf8Have < k->utf8Need)
        return;
    k->state = kKeyText;
    uint8_t code[2];
    size_t n = Cp932FromUtf8(k->utf8, (size_t)k->utf8Have, code, sizeof code);
    for (size_t i = 0; i < n; i++)
        Emit(ev, code[i]);
}

static void FeedText(TermKeys *k, uint8_t b, TermKeyEvents *ev) {
    bool afterCr = k->afterCr;
    k->afterCr = false;
    if (b >= 0x80) {
        // Only a byte that can begin a well-formed character starts one; any other (a
        // continuation, an overlong C0/C1, F5-FF beyond U+10FFFF) is dropped at once.
        int need = b >= 0xC2 && b <= 0xF4 ? RtUtf8Length(b) : 0;
        if (need == 0)
            return;
        k->state = kKeyUtf8;
        k->utf8[0] = b;
        k->utf8Have = 1;
        k->utf8Need = need;
        return;
    }
    switch (b) {
    case kPromptKeyEscape:
        k->state = kKeyEscape;
        return;
    case kPromptKeyCtrlC:
    case kPromptKeyCtrlBackslash:
        ev->close = true;
        return;
    case kPromptKeyCtrlZ:
        ev->suspend = true;
        return;
    case kPromptKeyDelete:
    case kPromptKeyBackspace:
        Emit(ev, kPromptKeyBackspace);
        return;
    case kPromptKeyEnter:
        k->afterCr = true;
        Emit(ev, kPromptKeyEnter);
        return;
    case kPromptKeyLf:
        if (!afterCr)
            Emit(ev, kPromptKeyEnter);
        return;
    case 0:
        return;
    default:
        Emit(ev, b);   // printable ASCII is the same in code page 932; other controls pass
        return;
    }
}

static void Feed(TermKeys *k, uint8_t b, TermKeyEvents *ev) {
    switch (k->state) {
    case kKeyText:
        FeedText(k, b, ev);
        return;
    case kKeyUtf8:
        FeedUtf8(k, b, ev);
        return;
    case kKeyEscape:
        k->afterCr = false;
        if (b == '[') {
            k->state = kKeyCsi;
            k->csiLength = 0;
        } else if (b == 'O') {
            k->state = kKeySs3;
        } else if (b != kPromptKeyEscape) {
            k->state = kKeyText;   // Alt and a key: both swallowed
        }
        return;
    case kKeyCsi:
        FeedCsi(k, b, ev);
        return;
    case kKeySs3:
        k->state = kKeyText;
        ev->view = b == 'A' ? kTermViewRowUp : b == 'B' ? kTermViewRowDown : kTermViewNone;
        return;
    case kKeyFnByte:
        k->state = kKeyText;
        return;
    case kKeyPaste:
        FeedPaste(k, b, ev);
        return;
    }
}

void TermKeysFeed(TermKeys *k, uint8_t b, TermKeyEvents *ev) {
    std::memset(ev, 0, sizeof *ev);
    Feed(k, b, ev);
}

void TermKeysTimeout(TermKeys *k, TermKeyEvents *ev) {
    std::memset(ev, 0, sizeof *ev);
    if (k->state == kKeyEscape)
        Emit(ev, kPromptKeyEscape);
    if (k->state != kKeyPaste)
        k->state = kKeyText;
}

bool TermKeysPending(const TermKeys *k) {
    return k->state != kKeyText && k->state != kKeyPaste;
}
