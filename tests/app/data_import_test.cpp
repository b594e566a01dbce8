// data_import_test.cpp: real exports (tests/io/fixtures) read as the analysis reads data.csv at
// N = 12: what each field reads as, the non-number line, and for a series beside row names, index
// or times (R, pandas) the table line, in the console and in Result.svg's band. The sheet:
// a header, then 0.5, -2.5, 3, 1234.5678, 0.000000123, 1E+20, 12.5%, 7, -0.25, 100 and 42.
#include <cstring>
#include <string>

#include "app/file_messages.h"
#include "app/spectrum_svg.h"
#include "runtime/io/input_items.h"
#include "runtime/io/plat_file.h"
#include "tests/test_strings.h"

namespace {

struct ImportCase {
    const char *file;
    const char *reads[12];    // the text each field reads as (ParseNumber's value of it)
    const char16_t *notice;   // the line
    const char *numbers = nullptr;   // of a table: the numbers among the 12 its line gives
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
    {"r-write-csv.csv", {"", "", "", "58", "", "62.6", "", "70", "", "55.7", "", "85"},
     NOTICE(u"7", u"\"\"", u"0"), "5"},
    {"r-quote-false.csv", {"", "", "1", "58", "2", "62.6", "3", "70", "4", "55.7", "5", "85"},
     NOTICE(u"1", u"x", u"0"), "10"},
    {"pandas-index.csv", {"", "", "0", "58", "1", "62.6", "2", "70", "3", "55.7", "4", "85"},
     NOTICE(u"1", u"value", u"0"), "10"},
    {"pandas-time-value.csv", {"", "", "1749", "58", "1749.0833333333333", "62.6",
     "1749.1666666666667", "70", "1749.25", "55.7", "1749.3333333333333", "85"},
     NOTICE(u"2", u"time", u"0"), "10"},
    {"pandas-time-value-no-header.csv", {"1749", "58", "1749.0833333333333", "62.6",
     "1749.1666666666667", "70", "1749.25", "55.7", "1749.3333333333333", "85",
     "1749.4166666666667", "83.5"}, u"", "12"},
#define LYNX "269", "321", "585", "871", "1475", "2821", "3928", "5943", "4950", "2577", "523"
    {"r-lynx-8-a-row.csv", {LYNX, "98"}, u""},   // every line 8 numbers, the first column uneven
    {"r-lynx-ragged.csv", {"", LYNX}, NOTICE(u"1", u"lynx", u"0")},   // a header; the last line 2
};
// The table line of a sheet of 2 columns and 240 lines read as 12 samples, in the console's
// code page (P u) and Result.svg's UTF-8 (P u8), around the count of numbers.
#define TABLE_HEAD(P) P##"data.csv は 2 列 × 240 行の表です。項目は 1 行ずつ左から順に読むため、N = 12 個のデータのうち数値は "
#define TABLE_TAIL(P) P##" 個でした。値の列だけを 1 列で保存してください"

std::string Cp932(const char16_t *text) {
    std::u16string units(text);
    std::string out(2 * units.size(), '\0');
    uint8_t *bytes = (uint8_t *)&out[0];
    out.resize(PlatTextFromUtf16((const uint16_t *)units.data(), (uint32_t)units.size(), bytes));
    return out;
}

TEST_F(StringsTest, RealExportsReadAsTheirTableSays) {
    std::string fixtures(__FILE__);
    fixtures = fixtures.substr(0, fixtures.find_last_of("/\\")) + "/../io/fixtures/";
    const double logAbs[5] = {1, 3, 2, 5, 1};
    std::string svg;
    for (const auto &c : kCases) {
        FileOpenText(TestString(fixtures + c.file), 1);
        ASSERT_TRUE(FileIsOpen(1)) << c.file;
        DataShape shape = {};
        for (int i = 0; i < 12; i++) {
            double sample = 99, want = ParseNumber((const uint8_t *)c.reads[i]);
            InputTargetsSetOne(&sample, kInputDouble);
            FileInput(1);
            DataShapeNote(&shape, 1, sample);
            EXPECT_EQ(std::memcmp(&sample, &want, sizeof want), 0)
                << c.file << " field " << i << " reads " << sample << ", want " << c.reads[i];
        }
        RtString line = NonNumbersLine(FileInputNonNumbers(1));
        EXPECT_EQ(line ? TestText(line) : "", Cp932(c.notice)) << c.file;
        StrFree(line);
        DataShapeReadRest(&shape, 1);
        line = TableLine(&shape, 12, false);
        EXPECT_EQ(line ? TestText(line) : "",
                  c.numbers ? Cp932(TABLE_HEAD(u)) + c.numbers + Cp932(TABLE_TAIL(u)) : "") << c.file;
        StrFree(line);
        // Result.svg: the same line in a band above the picture, which grows for it.
        if (RtString warning = TableLine(&shape, 12, true)) {
            svg.resize(kSpectrumSvgCapacity);
            svg.resize(SpectrumSvg(logAbs, 5, 12, &svg[0], kSpectrumSvgCapacity, (char *)warning));
            EXPECT_EQ(TestText(warning), TABLE_HEAD(u8) + std::string(c.numbers) + TABLE_TAIL(u8));
            EXPECT_NE(svg.find(">" + TestText(warning) + "</text>"), std::string::npos) << svg;
            EXPECT_NE(svg.find(" height=\"680\" viewBox=\"0 0 1000 680\""), std::string::npos);
            StrFree(warning);
        }
        FileClose(1);
    }
}

}  // namespace
