// data_import_test.cpp: real exports of one sheet (tests/io/fixtures: LibreOffice, Gnumeric and
// Excel's byte forms) read as the analysis run reads data.csv: what each of the twelve fields
// reads as, and the one line the user is told. The sheet: a header, then 0.5, -2.5, 3,
// 1234.5678, 0.000000123, 1E+20, 12.5%, 7, -0.25, 100 and 42. A UTF-16 file reads exactly as its
// code page 932 twin: the same rows, the same line.
#include <cstring>
#include <string>

#include "app/file_messages.h"
#include "runtime/io/input_items.h"
#include "runtime/io/plat_file.h"
#include "tests/test_strings.h"

namespace {

struct ImportCase {
    const char *file;
    const char *reads[12];    // the text each field reads as (ParseNumber's value of it)
    const char16_t *notice;   // the line
};

#define LIBRE_SHOWN "", "0.5", "-2.5", "3", "", "0.000000123", "1", "12.50", "7", "-0.25", "100", "42"
#define GNUMERIC "", "0.5", "-2.5", "3", "1234.5678", "1.23", "100000000000000000000", "0.125", "7", \
                 "-0.25", "100", "42"
#define NOTICE(count, text, value) \
    u"data.csv に数値として読めない項目が " count u" 個あります（最初は 1 行目の「" text u"」を " value u" としました）"

const ImportCase kCases[] = {
    {"lo-default.csv",
     {"", "0.5", "-2.5", "3", "1234.5678", "0.000000123", "1", "12.5", "7", "-0.25", "100", "42"},
     NOTICE(u"3", u"value", u"0")},
    {"lo-utf8.csv", {LIBRE_SHOWN}, NOTICE(u"4", u"value", u"0")},
    {"lo-utf16.csv", {LIBRE_SHOWN}, NOTICE(u"4", u"測定値", u"0")},
    {"lo-shift-jis.csv", {LIBRE_SHOWN}, NOTICE(u"4", u"測定値", u"0")},
    {"lo-quote-all.csv", {LIBRE_SHOWN}, NOTICE(u"4", u"\"value\"", u"0")},
    // The thousands separator splits 1,234.5678 in two: read wrong, but the file gets its line.
    {"lo-semicolon.csv",
     {"", "0.5", "-2.5", "3", "1", "234.5678", "0.000000123", "1", "12.50", "7", "-0.25", "100"},
     NOTICE(u"3", u"value", u"0")},
    {"gn-default.csv", {GNUMERIC}, NOTICE(u"2", u"value", u"0")},
    {"gn-utf16.csv", {GNUMERIC}, NOTICE(u"2", u"測定値", u"0")},
    {"gn-cp932.csv", {GNUMERIC}, NOTICE(u"2", u"測定値", u"0")},
    {"gn-quote-always.csv", {"", "", "", "", "", "", "", "", "", "", "", ""},
     NOTICE(u"12", u"\"value\"", u"0")},
    {"excel-utf8-bom-crlf.csv",
     {"", "0.5", "-2.5", "3", "", "1.23", "1", "12.50", "7", "-0.25", "100", "42"},
     NOTICE(u"5", u"value", u"0")},
    {"excel-utf16le-tab.txt",
     {"", "0.5", "-2.5", "3", "1", "234.5678", "1.23", "1", "12.50", "7", "-0.25", "100"},
     NOTICE(u"4", u"測定値", u"0")},
};

// The code page 932 bytes of a UTF-16 text.
std::string Cp932(const char16_t *text) {
    std::u16string units(text);
    std::string out(2 * units.size(), '\0');
    out.resize(PlatTextFromUtf16((const uint16_t *)units.data(), (uint32_t)units.size(),
                                 (uint8_t *)&out[0]));
    return out;
}

TEST_F(StringsTest, RealExportsReadAsTheirTableSays) {
    std::string fixtures(__FILE__);
    fixtures = fixtures.substr(0, fixtures.find_last_of("/\\")) + "/../io/fixtures/";
    for (const auto &c : kCases) {
        FileOpenText(TestString(fixtures + c.file), 1);
        ASSERT_TRUE(FileIsOpen(1)) << c.file;
        for (int i = 0; i < 12; i++) {
            double sample = 99, want = ParseNumber((const uint8_t *)c.reads[i]);
            InputTargetsSetOne(&sample, kInputDouble);
            FileInput(1);
            EXPECT_EQ(std::memcmp(&sample, &want, sizeof want), 0)
                << c.file << " field " << i << " reads " << sample << ", want " << c.reads[i];
        }
        RtString line = NonNumbersLine(FileInputNonNumbers(1));
        EXPECT_EQ(line ? TestText(line) : "", Cp932(c.notice)) << c.file;
        StrFree(line);
        FileClose(1);
    }
}

}  // namespace
