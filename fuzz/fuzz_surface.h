// fuzz_surface.h: a drawing surface for the console fuzzers that records nothing, so that a
// fuzzer spends its time in the console's logic rather than in the fake's recordings. It keeps
// the fake's geometry and code page 932 lead bytes, and checks what every draw is handed: a glyph
// of one or two bytes that starts inside the 254 text bytes of a row.
#ifndef FUZZ_FUZZ_SURFACE_H
#define FUZZ_FUZZ_SURFACE_H

#include <cstdio>
#include <cstdlib>

#include "tests/console/console_fake.h"

static void QuietNothing(PromptSurface *) {}

static void QuietClientSize(PromptSurface *s, int32_t *width, int32_t *height) {
    FakeConsole *fc = ((FakeSurface *)s)->owner;
    *width = fc->clientWidth;
    *height = fc->clientHeight;
}

static int32_t QuietTextWidth(PromptSurface *, const uint8_t *, int32_t n) {
    return n * kFakeCellWidth;
}

static void QuietBlank(PromptSurface *, int32_t, int32_t, int32_t, int32_t) {}
static void QuietColours(PromptSurface *, uint32_t, uint32_t) {}

static void QuietGlyph(PromptSurface *, int32_t x, int32_t y, const uint8_t *glyph, int32_t n) {
    if (n < 1 || n > 2 || x < 0 || x / kFakeCellWidth >= kPromptRowMaxText || y < 0 ||
        y / kFakeCellHeight >= kPromptRows || glyph[0] == 0) {
        std::fprintf(stderr, "fuzz surface: a glyph of %d bytes drawn at %d, %d\n", n, x, y);
        std::abort();
    }
}

static bool QuietIsLead(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

static const PromptSurfaceOps kQuietSurfaceOps = {
    QuietNothing, QuietNothing, QuietClientSize, QuietTextWidth, QuietBlank, QuietColours,
    QuietGlyph, QuietIsLead,
};

// Puts the quiet surface in place of the fake's recording one.
inline void FuzzQuietSurface(FakeConsole *fc) {
    fc->surface.base.ops = &kQuietSurfaceOps;
}

#endif
