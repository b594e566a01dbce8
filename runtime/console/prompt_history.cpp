// prompt_history.cpp: the history of rows that left the screen buffer, and the view on it
// (see prompt_history.h for the rows of the session and the view's rules, prompt_state.h for a
// record's bytes).
//
// Invariant: history.count rows live in the ring, each record allocated with PlatAlloc and owned
// by its slot until it is dropped; 0 <= viewBack <= history.count after every call.
#include "runtime/console/prompt_history.h"

#include <cstring>

#include "runtime/console/prompt.h"

enum { kSlotsStart = 1024, kRunBytes = 9 };

// ---- Records --------------------------------------------------------------------------------

static void PutColour(uint8_t *p, uint32_t c) {
    for (int k = 0; k < 4; k++)
        p[k] = (uint8_t)(c >> (8 * k));
}

static uint32_t GetColour(const uint8_t *p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// Colour runs of cells 0 to n - 1.
static int32_t CountRuns(const uint32_t *fore, const uint32_t *back, int32_t n) {
    int32_t runs = 0;
    for (int32_t c = 0; c < n; c++)
        runs += c == 0 || fore[c] != fore[c - 1] || back[c] != back[c - 1];
    return runs;
}

static size_t RecordSize(const uint8_t *record) {
    size_t n = record[0];
    return 2 + n + (size_t)record[n + 1] * kRunBytes;
}

static uint8_t *RecordMake(const uint8_t *text, const uint32_t *fore, const uint32_t *back) {
    int32_t n = (int32_t)std::strlen((const char *)text);   // byte 254 is always NUL
    int32_t runs = CountRuns(fore, back, n);
    uint8_t *r = (uint8_t *)PlatAlloc(2 + (size_t)n + (size_t)runs * kRunBytes);
    r[0] = (uint8_t)n;
    std::memcpy(r + 1, text, (size_t)n);
    r[n + 1] = (uint8_t)runs;
    uint8_t *run = r + n + 2;
    for (int32_t c = 0; c < n; run += kRunBytes) {
        int32_t start = c;
        while (c < n && fore[c] == fore[start] && back[c] == back[start])
            c++;
        run[0] = (uint8_t)(c - start);
        PutColour(run + 1, fore[start]);
        PutColour(run + 5, back[start]);
    }
    return r;
}

static void RecordRead(const uint8_t *r, PromptRowCells *cells) {
    int32_t n = r[0];
    std::memcpy(cells->text, r + 1, (size_t)n);
    std::memset(cells->text + n, 0, (size_t)(kPromptRowBytes - n));
    const uint8_t *run = r + n + 2;
    for (int32_t c = 0; c < n; run += kRunBytes) {
        uint32_t fore = GetColour(run + 1), back = GetColour(run + 5);
        for (int32_t end = c + run[0]; c < end; c++) {
            cells->fore[c] = fore;
            cells->back[c] = back;
        }
    }
}

// ---- History --------------------------------------------------------------------------------

void PromptHistoryInit(PromptHistory *h, size_t limit) {
    std::memset(h, 0, sizeof *h);
    h->limit = limit;
}

void PromptHistoryFree(PromptHistory *h) {
    for (int32_t i = 0; i < h->count; i++)
        PlatFree(h->slot[(h->first + i) & (h->capacity - 1)]);
    PlatFree(h->slot);
    PromptHistoryInit(h, h->limit);
}

static void DropOldest(PromptHistory *h) {
    uint8_t *r = h->slot[h->first];
    h->bytes -= RecordSize(r) + sizeof(uint8_t *);
    PlatFree(r);
    h->first = (h->first + 1) & (h->capacity - 1);
    h->count--;
    h->dropped++;
}

// Room for one more slot.
static void SlotsGrow(PromptHistory *h) {
    if (h->count < h->capacity)
        return;
    int32_t grown = h->capacity ? h->capacity * 2 : (int32_t)kSlotsStart;
    uint8_t **slot = (uint8_t **)PlatAlloc((size_t)grown * sizeof(uint8_t *));
    for (int32_t i = 0; i < h->count; i++)
        slot[i] = h->slot[(h->first + i) & (h->capacity - 1)];
    PlatFree(h->slot);
    h->slot = slot;
    h->capacity = grown;
    h->first = 0;
}

void PromptHistoryAdd(PromptState *ps, const uint8_t *text, const uint32_t *fore,
                      const uint32_t *back) {
    PromptHistory *h = &ps->history;
    // The view shows session rows from H - viewBack on; a row entering the history below them
    // moves the bottom one row further away, and dropping old rows renumbers both alike.
    if (ps->viewBack > 0)
        ps->viewBack++;
    uint8_t *r = RecordMake(text, fore, back);
    SlotsGrow(h);
    h->slot[(h->first + h->count) & (h->capacity - 1)] = r;
    h->count++;
    h->bytes += RecordSize(r) + sizeof(uint8_t *);
    while (h->bytes > h->limit && h->count > 0)
        DropOldest(h);
    if (ps->viewBack > h->count) {   // the top rows in view are gone: the oldest kept goes there
        ps->viewBack = h->count;
        ps->damage.all = true;
    }
}

int32_t PromptHistoryRows(const PromptState *ps) {
    return ps->history.count;
}

PromptRowRef PromptSessionRow(PromptState *ps, int32_t j, PromptRowCells *cells) {
    const PromptHistory *h = &ps->history;
    if (j >= 0 && j < h->count) {
        RecordRead(h->slot[(h->first + j) & (h->capacity - 1)], cells);
        return PromptRowRef{cells->text, cells->fore, cells->back};
    }
    int32_t i = j - h->count;
    if (i >= 0 && i < kPromptRows)
        return PromptRowRef{ps->rowText[i], ps->rowFore[i], ps->rowBack[i]};
    std::memset(cells->text, 0, sizeof cells->text);
    return PromptRowRef{cells->text, cells->fore, cells->back};
}

PromptRowRef PromptViewRow(PromptState *ps, int32_t i, PromptRowCells *cells) {
    return PromptSessionRow(ps, ps->history.count - ps->viewBack + i, cells);
}

// ---- View -----------------------------------------------------------------------------------

int32_t PromptViewPage(const PromptState *ps) {
    int32_t page = ps->cellHeight > 0 ? ps->clientHeight / ps->cellHeight : 0;
    return page > 0 ? page : 1;
}

PromptViewPos PromptViewGet(PromptState *ps) {
    PlatLockEnter(&ps->lock);
    PromptViewPos pos = {ps->history.count, ps->viewBack, PromptViewPage(ps)};
    PlatLockLeave(&ps->lock);
    return pos;
}

// The caller holds the console lock.
static bool ViewSetLocked(PromptState *ps, int64_t back) {
    int32_t rows = ps->history.count;
    int32_t clamped = back < 0 ? 0 : back > rows ? rows : (int32_t)back;
    if (clamped == ps->viewBack)
        return false;
    ps->viewBack = clamped;
    ps->damage.all = true;
    return true;
}

bool PromptViewSet(PromptState *ps, int32_t back) {
    PlatLockEnter(&ps->lock);
    bool moved = ViewSetLocked(ps, back);
    PlatLockLeave(&ps->lock);
    return moved;
}

bool PromptViewScroll(PromptState *ps, int32_t rows) {
    PlatLockEnter(&ps->lock);
    bool moved = ViewSetLocked(ps, (int64_t)ps->viewBack + rows);
    PlatLockLeave(&ps->lock);
    return moved;
}

bool PromptViewScrollPages(PromptState *ps, int32_t pages) {
    PlatLockEnter(&ps->lock);
    bool moved = ViewSetLocked(ps, (int64_t)ps->viewBack + (int64_t)pages * PromptViewPage(ps));
    PlatLockLeave(&ps->lock);
    return moved;
}

bool PromptViewToTop(PromptState *ps) {
    PlatLockEnter(&ps->lock);
    bool moved = ViewSetLocked(ps, ps->history.count);
    PlatLockLeave(&ps->lock);
    return moved;
}

bool PromptViewToBottom(PromptState *ps) {
    return PromptViewSet(ps, 0);
}

void PromptViewShow(PromptState *ps) {
    const PromptFrontEnd *fe = ps->frontEnd;
    if (fe->frameLater) {
        fe->frameLater(ps);
        return;
    }
    PromptSurface *s = fe->getSurface(ps);
    if (!s)
        return;
    PlatLockEnter(&ps->lock);
    PromptDraw(ps, s, -1, 0);
    PlatLockLeave(&ps->lock);
    fe->releaseSurface(ps, s);
}
