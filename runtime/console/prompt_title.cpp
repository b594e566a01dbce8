// prompt_title.cpp: the progress of a long computation in the console window's title.
#include "runtime/console/prompt.h"

void PromptShowProgress(PromptState *ps, int32_t percent) {
    if (ps->frontEnd == nullptr || ps->frontEnd->setTitle == nullptr)
        return;
    char title[24] = "BASIC PROMPT";
    if (percent >= 0) {
        if (percent > 100)
            percent = 100;
        // "BASIC PROMPT 37%": the digits after one blank.
        char *p = title + 12;
        *p++ = ' ';
        if (percent >= 100)
            *p++ = '1';
        if (percent >= 10)
            *p++ = (char)('0' + percent / 10 % 10);
        *p++ = (char)('0' + percent % 10);
        *p++ = '%';
        *p = 0;
    }
    ps->frontEnd->setTitle(ps, title);
}
