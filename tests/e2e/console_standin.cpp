// console_standin.cpp: a small program for the console end-to-end tests. It runs the real
// start-up, console and front end with a plain dialogue in place of the analysis run: it asks
// for two comma-separated answers and prints them back between brackets; an empty first answer
// ends it. Each line it prints back is also appended, byte for byte, to "standin.log" in the
// working directory, so that the tests can see exactly what the program received.
#include <cstdio>

#include "runtime/console/prompt.h"
#include "runtime/core/rt_start.h"
#include "runtime/io/input_items.h"

static RtString first, second;

int main() {
    RtStartUp();
    first = StrAlloc(0);
    second = StrAlloc(0);
    PromptPrint(&gPrompt, StrLiteral("dftanalyze stand-in\r\n"));
    for (;;) {
        gInputTargets.address[0] = &first;
        gInputTargets.type[0] = kInputString;
        gInputTargets.address[1] = &second;
        gInputTargets.type[1] = kInputString;
        gInputTargets.address[2] = nullptr;
        PromptInput(&gPrompt, StrLiteral("? "));
        if (StrLength(first) == 0) {
            RtString *const variables[] = {&first, &second};
            RtEnd(variables, 2);
        }
        RtString line = StrConcat(StrLiteral("["), StrCopy(first));
        line = StrConcat(line, StrLiteral("]["));
        line = StrConcat(line, StrCopy(second));
        line = StrConcat(line, StrLiteral("]\r\n"));
        if (FILE *log = std::fopen("standin.log", "ab")) {
            std::fwrite(line, 1, StrLength(line), log);
            std::fclose(log);
        }
        PromptPrint(&gPrompt, line);
    }
}
