// cp932.cpp: code page 932 -> UTF-8 through iconv's "CP932", with a glyph table for speed.
//
// The table holds the UTF-8 form of every code page 932 glyph, so that drawing a screen row or
// writing a printed text costs no iconv call; it is built once, the first time it is needed.
// The other direction (typed and pasted text, input lines, file names) is rare: it is
// cp932_from_utf8.cpp, beside the file layer, which needs it for names.
#include "platform/posix/cp932.h"

#include <cstring>
#include <iconv.h>
#include <mutex>

enum {
    kFirstLead = 0x81, kLeads = 0xFC - 0x81 + 1,
    kFirstTrail = 0x40, kTrails = 0xFC - 0x40 + 1,
};

struct GlyphForm {
    uint8_t utf8[4];
    uint8_t length;   // 0: no form
};

static GlyphForm singleForm[256];
static GlyphForm doubleForm[kLeads][kTrails];
static std::once_flag tableOnce;

static void Convert(iconv_t cd, const uint8_t *glyph, size_t n, GlyphForm *form) {
    char *in = (char *)glyph;
    char out[8];
    char *o = out;
    size_t inLeft = n, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == (size_t)-1 || inLeft != 0 || o - out > 4)
        return;
    form->length = (uint8_t)(o - out);
    std::memcpy(form->utf8, out, form->length);
}

static void BuildTable() {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == (iconv_t)-1)
        return;   // every glyph then has no form and is shown as '?'
    for (int b = 0; b < 256; b++) {
        uint8_t glyph = (uint8_t)b;
        if (!RtIsLeadByte(glyph))
            Convert(cd, &glyph, 1, &singleForm[b]);
    }
    for (int l = 0; l < kLeads; l++) {
        for (int t = 0; t < kTrails; t++) {
            uint8_t glyph[2] = {(uint8_t)(kFirstLead + l), (uint8_t)(kFirstTrail + t)};
            if (RtIsLeadByte(glyph[0]))
                Convert(cd, glyph, 2, &doubleForm[l][t]);
        }
    }
    iconv_close(cd);
}

void Cp932Init() {
    std::call_once(tableOnce, BuildTable);
}

static const GlyphForm *FormOf(const uint8_t *glyph, int n) {
    static const GlyphForm none = {{0, 0, 0, 0}, 0};
    if (n == 1)
        return &singleForm[glyph[0]];
    if (n == 2 && RtIsLeadByte(glyph[0]) && RtIsTrailByte(glyph[1]))
        return &doubleForm[glyph[0] - kFirstLead][glyph[1] - kFirstTrail];
    return &none;
}

int Cp932GlyphToUtf8(const uint8_t *glyph, int n, uint8_t *out) {
    Cp932Init();
    const GlyphForm *form = FormOf(glyph, n);
    std::memcpy(out, form->utf8, form->length);
    return form->length;
}

bool Cp932GlyphIsWide(const uint8_t *glyph, int n) {
    static const uint32_t kWide[][2] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6},
    };
    uint8_t u[4];
    int length = Cp932GlyphToUtf8(glyph, n, u);
    if (length == 0)
        return false;
    uint32_t c = RtUtf8CodePoint(u, length);
    for (const auto &range : kWide) {
        if (c >= range[0] && c <= range[1])
            return true;
    }
    return false;
}

static size_t PutForm(const uint8_t *glyph, int length, uint8_t *out, size_t written, size_t cap) {
    uint8_t form[4];
    int got = Cp932GlyphToUtf8(glyph, length, form);
    if (got == 0) {
        form[0] = '?';
        got = 1;
    }
    if (written + (size_t)got > cap)
        return written;
    std::memcpy(out + written, form, (size_t)got);
    return written + (size_t)got;
}

size_t Cp932ToUtf8(const uint8_t *in, size_t n, uint8_t *out, size_t cap, uint8_t *pendingLead) {
    size_t written = 0;
    size_t i = 0;
    if (*pendingLead != 0 && n > 0) {
        uint8_t glyph[2] = {*pendingLead, in[0]};
        *pendingLead = 0;
        if (RtIsTrailByte(in[0])) {
            written = PutForm(glyph, 2, out, written, cap);
            i = 1;
        } else {
            written = PutForm(glyph, 1, out, written, cap);   // a lone lead byte: '?'
        }
    }
    while (i < n) {
        if (RtIsLeadByte(in[i]) && i + 1 == n) {
            *pendingLead = in[i];   // its trail byte may come with the next text
            break;
        }
        int length = (RtIsLeadByte(in[i]) && RtIsTrailByte(in[i + 1])) ? 2 : 1;
        written = PutForm(in + i, length, out, written, cap);
        i += (size_t)length;
    }
    return written;
}
