// window_font_test.cpp: the choice of the console font among the Shift-JIS faces that the system
// lists, when "ＭＳ 明朝" itself is not there.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/window.h"

namespace {

TEST(WinFontChoose, FixedPitchThenMinchoThenGothicNeverVertical) {
    const struct {
        const char *name;
        std::vector<WinFontCandidate> listed;
        int chosen;   // index into listed; -1: none
    } cases[] = {
        {"nothing listed", {}, -1},
        {"only vertical faces", {{L"@IPAMincho", true}, {L"@MS Gothic", true}}, -1},
        {"Wine with IPA fonts",
         {{L"Droid Sans Fallback", false}, {L"IPAPGothic", false}, {L"IPAGothic", true},
          {L"@IPAMincho", true}, {L"IPAMincho", true}, {L"IPAPMincho", false}}, 4},
        {"fixed pitch before Mincho", {{L"IPAPMincho", false}, {L"IPAGothic", true}}, 1},
        {"Mincho in kanji", {{L"IPA\x30B4\x30B7\x30C3\x30AF", true}, {L"IPA\x660E\x671D", true}}, 1},
        {"Gothic before another face", {{L"Droid Sans Fallback", true}, {L"MS Gothic", true}}, 1},
        {"the first of equals", {{L"Sans A", false}, {L"Sans B", false}}, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WinFontChoose(c.listed.data(), (int)c.listed.size()), c.chosen) << c.name;
}

}  // namespace
