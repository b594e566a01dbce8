// cp932.cpp: code page 932 <-> UTF-8 through iconv's "CP932", with a glyph table for speed.
//
// The table holds the UTF-8 form of every code page 932 glyph, so that drawing a screen row or
// writing a printed text costs no iconv call; it is built once, the first time it is needed.
// The other direction (typed and pasted text, input lines) is rare and goes through iconv each
// time, one call per text.
#include "platform/posix/cp932.h"

#include <cerrno>
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
        if (!Cp932IsLead(glyph))
            Convert(cd, &glyph, 1, &singleForm[b]);
    }
    for (int l = 0; l < kLeads; l++) {
        for (int t = 0; t < kTrails; t++) {
            uint8_t glyph[2] = {(uint8_t)(kFirstLead + l), (uint8_t)(kFirstTrail + t)};
            if (Cp932IsLead(glyph[0]))
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
    if (n == 2 && Cp932IsLead(glyph[0]) && glyph[1] >= kFirstTrail && glyph[1] <= 0xFC)
        return &doubleForm[glyph[0] - kFirstLead][glyph[1] - kFirstTrail];
    return &none;
}

int Cp932GlyphToUtf8(const uint8_t *glyph, int n, uint8_t *out) {
    Cp932Init();
    const GlyphForm *form = FormOf(glyph, n);
    std::memcpy(out, form->utf8, form->length);
    return form->length;
}

static uint32_t DecodeUtf8(const uint8_t *u, int n) {
    if (n == 1)
        return u[0];
    uint32_t c = u[0] & (0x7F >> n);
    for (int i = 1; i < n; i++)
        c = (c << 6) | (u[i] & 0x3F);
    return c;
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
    uint32_t c = DecodeUtf8(u, length);
    for (const auto &range : kWide) {
        if (c >= range[0] && c <= range[1])
            return true;
    }
    return false;
}

// Bytes of the UTF-8 character that starts with b: 1 to 4, or 0 for a byte that starts none.
static int Utf8Length(uint8_t b) {
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return 2;
    if (b >= 0xE0 && b <= 0xEF)
        return 3;
    if (b >= 0xF0 && b <= 0xF4)
        return 4;
    return 0;
}

// A whole, well-formed character of length bytes at u: continuation bytes 10xxxxxx.
static bool Utf8Whole(const uint8_t *u, int length) {
    for (int i = 1; i < length; i++) {
        if ((u[i] & 0xC0) != 0x80)
            return false;
    }
    return true;
}

size_t Cp932FromUtf8(const uint8_t *in, size_t n, uint8_t *out, size_t cap) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == (iconv_t)-1)
        return 0;
    size_t written = 0;
    for (size_t i = 0; i < n;) {
        int length = Utf8Length(in[i]);
        if (length == 0 || i + (size_t)length > n || !Utf8Whole(in + i, length)) {
            i += 1;   // a stray or cut-off byte: dropped, and the next byte starts afresh
            continue;
        }
        char *src = (char *)(in + i);
        char buffer[8];
        char *dst = buffer;
        size_t srcLeft = (size_t)length, dstLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        size_t got = (size_t)(dst - buffer);
        i += (size_t)length;
        if (result == (size_t)-1 || got == 0 || got > 2)
            continue;   // no code page 932 form: dropped
        if (written + got > cap)
            break;
        std::memcpy(out + written, buffer, got);
        written += got;
    }
    iconv_close(cd);
    return written;
}

static bool IsTrail(uint8_t b) {
    return b >= kFirstTrail && b <= 0xFC && b != 0x7F;
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
        if (IsTrail(in[0])) {
            written = PutForm(glyph, 2, out, written, cap);
            i = 1;
        } else {
            written = PutForm(glyph, 1, out, written, cap);   // a lone lead byte: '?'
        }
    }
    while (i < n) {
        if (Cp932IsLead(in[i]) && i + 1 == n) {
            *pendingLead = in[i];   // its trail byte may come with the next text
            break;
        }
        int length = (Cp932IsLead(in[i]) && IsTrail(in[i + 1])) ? 2 : 1;
        written = PutForm(in + i, length, out, written, cap);
        i += (size_t)length;
    }
    return written;
}
