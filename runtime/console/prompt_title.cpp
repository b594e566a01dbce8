// prompt_title.cpp: the progress of a long computation in the console window's title, and in
// its picture where the front end shows it there.
#include "runtime/console/prompt.h"

#include "runtime/core/rt_decimal.h"

void PromptShowProgress(PromptState *ps, int32_t percent) {
    if (ps->frontEnd != nullptr && ps->frontEnd->showProgress != nullptr)
        ps->frontEnd->showProgress(ps, percent > 100 ? 100 : percent);
    if (ps->frontEnd == nullptr || ps->frontEnd->setTitle == nullptr)
        return;
    char title[24] = "BASIC PROMPT";
    if (percent >= 0) {
        if (percent > 100)
            percent = 100;
        // "BASIC PROMPT 37%": the digits after one blank.
        char *p = title + 12;
        *p++ = ' ';
        p += RtDecimal((uint32_t)percent, p);
        *p++ = '%';
        *p = 0;
    }
    ps->frontEnd->setTitle(ps, title);
}
