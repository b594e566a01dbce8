// fuzz_line_editor.cpp: the line editor over arbitrary WM_CHAR sequences and pastes, against a
// plain model of the input line, on the headless front end (no console thread: every send is a
// plain call) drawing on fuzz_surface.h's surface.
//
// Input: byte 0 the cursor row, byte 1 the cursor column (0 to 255), byte 2 the client height,
// then the keys. A paste key (22) takes the next byte as the clipboard's length L (255: no
// clipboard) and the 2 * L bytes behind it as its text, NULs and line breaks included. After
// Enter the next line is opened before the next key, unless that key is ESC: it goes to the
// closed line first and must change nothing.
// Checked after every key, beside the sanitizers (a row is a heap block of its own):
//   - linePos is the model line's length (at most 255) and lineBuffer starts with its bytes;
//     a write beyond lineBuffer would change linePos, which lies right behind it;
//   - Enter hands over the model line, NUL-terminated; a key on a closed line changes nothing;
//   - the cursor stays in the buffer and every row's byte 254 stays NUL.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_surface.h"

enum : uint8_t { kBackspace = 8, kEnter = 13, kPaste = 22, kEsc = 27 };

static void Fail(const char *what, size_t at) {
    std::fprintf(stderr, "fuzz_line_editor: %s (input byte %zu)\n", what, at);
    std::abort();
}

static void CheckRows(PromptState *ps, size_t at) {
    if (ps->cursorRow < 0 || ps->cursorRow >= kPromptRows || ps->cursorCol < 0)
        Fail("the cursor left the buffer", at);
    for (int32_t i = 0; i < kPromptRows; i++)
        if (ps->rowText[i][kPromptRowMaxText] != 0)
            Fail("a row's last byte is not NUL", at);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3)
        return 0;
    static const int32_t kHeights[4] = {0, kFakeCellHeight, 480, kFakeCellHeight * 120};
    FakeConsole fc;
    PromptState *ps = FakeOpen(&fc);
    FuzzQuietSurface(&fc);
    ps->cursorRow = data[0] % kPromptRows;
    ps->cursorCol = data[1];
    fc.clientHeight = kHeights[data[2] % 4];
    ps->linePos.store(0);
    std::string line;   // the model: what the open line holds

    for (size_t at = 3; at < size; at++) {
        uint8_t key = data[at];
        if (ps->linePos.load() == -1) {
            if (key == kEsc) {
                uint8_t before[kPromptLineBytes];
                std::memcpy(before, ps->lineBuffer, sizeof before);
                PromptOnChar(ps, key);
                if (ps->linePos.load() != -1 || std::memcmp(before, ps->lineBuffer, sizeof before) != 0)
                    Fail("a key on a closed line changed it", at);
                continue;
            }
            ps->linePos.store(0);
            line.clear();
        }
        if (key == kPaste) {
            std::string clip;
            bool has = false;
            if (at + 1 < size && data[at + 1] != 255) {
                size_t n = 2 * (size_t)data[at + 1];
                size_t from = at + 2;
                if (from > size)
                    from = size;
                if (n > size - from)
                    n = size - from;
                clip.assign((const char *)data + from, n);
                has = true;
                at = from + n - 1;
            } else {
                at++;
            }
            fc.hasClipboard = has;
            fc.clipboard = clip;
            if (has) {
                std::string taken = clip.c_str();   // up to its first NUL
                line += taken.substr(0, kPromptLineMaxText - line.size());
            }
        } else if (key == kBackspace) {
            if (!line.empty())
                line.pop_back();
        } else if (key != kEnter && line.size() < kPromptLineMaxText) {
            line.push_back((char)key);
        }
        PromptOnChar(ps, key);

        int32_t pos = ps->linePos.load();
        if (key == kEnter) {
            if (pos != -1 || ps->lineBuffer[line.size()] != 0)
                Fail("Enter did not hand over a NUL-terminated line", at);
        } else if (pos != (int32_t)line.size()) {
            Fail("linePos is not the line's length", at);
        }
        if (std::memcmp(ps->lineBuffer, line.data(), line.size()) != 0)
            Fail("lineBuffer does not hold the line", at);
        CheckRows(ps, at);
    }
    FakeClose(&fc);
    return 0;
}
