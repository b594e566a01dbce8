// rt_end.cpp: the end of the process. Its start-up, which starts the console thread, is the
// process entry's (app/main.cpp), above the console: the core below it knows no console.
#include "runtime/core/rt_end.h"

#include "runtime/core/plat_core.h"

void RtEnd(RtString *const variables[], int count) {
    for (int i = 0; i < count; i++)
        StrFree(*variables[i]);
    PlatExit(0);
}
