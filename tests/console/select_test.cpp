// The selection: the text it copies, byte for byte, over rows in the history and the buffer.
#include "runtime/console/prompt_select.h"
#include "tests/console/console_fake.h"

namespace {

// Session rows 0 to 4; a two-row window leaves rows 0 to 2 in the history.
const char *const kRows[] = {"ab  cd  ", "\x82\xa0\x82\xa2x", "", "tail", "z\x82"};

struct SelectCase {
    const char *name;
    PromptSelection sel;
    std::string text;
};

const SelectCase kSelectCases[] = {
    {"within a row", {0, 0, 0, 2}, "ab"},
    {"dragged backwards", {0, 2, 0, 0}, "ab"},
    {"trailing blanks dropped", {0, 0, 0, 8}, "ab  cd"},
    {"past the text", {0, 3, 0, 40}, " cd"},
    {"start inside a character takes it whole", {1, 1, 1, 3}, "\x82\xa0\x82\xa2"},
    {"end inside a character takes it whole", {1, 2, 1, 3}, "\x82\xa2"},
    {"across rows, an empty row kept", {0, 4, 3, 2}, "cd\r\n\x82\xa0\x82\xa2x\r\n\r\nta"},
    {"ending at column 0 ends in CR LF", {2, 0, 3, 0}, "\r\n"},
    {"a lead byte ending its row stands alone", {4, 1, 4, 2}, "\x82"},
    {"a click without a drag", {1, 1, 1, 1}, ""},
};

class Selection : public FakeTest {};

TEST_F(Selection, CopiesWholeCharactersRowsJoinedByCrLfTrailingBlanksDropped) {
    fc.clientHeight = ps->clientHeight = 32;
    for (int i = 0; i < 5; i++)
        PromptPrint(ps, TestString(std::string(i ? "\r\n" : "") + kRows[i]));
    ASSERT_EQ(PromptHistoryRows(ps), 3);
    for (const SelectCase &c : kSelectCases) {
        RtString text = PromptSelectionText(ps, &c.sel);
        EXPECT_EQ(std::string((const char *)text, StrLength(text)), c.text) << c.name;
        StrFree(text);
    }
    // A row between the ends is covered to its end, drawn so to the window's edge.
    PromptSelection across = {0, 4, 3, 2};
    int32_t from = -1, to = -1;
    EXPECT_TRUE(PromptSelectionSpan(&across, 2, (const uint8_t *)"", &from, &to));
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, kPromptSelectRowEnd);
    EXPECT_FALSE(PromptSelectionSpan(&across, 4, (const uint8_t *)"z", &from, &to));
}

}  // namespace
