// rt_start.h: the frame around the program: start-up before its first line, and its end.
#ifndef RUNTIME_CORE_RT_START_H
#define RUNTIME_CORE_RT_START_H

#include "runtime/core/rt_string.h"

// Sets up the strings, presets the console's hand-over fields (no line open, window not ready),
// starts the console thread and returns once the console window has been painted; polls every
// 20 ms, without a time limit. Program thread, once, first thing.
void RtStartUp();

// Releases the program's string variables in the order given (null handles pass unchanged) and
// ends the process with exit code 0.
[[noreturn]] void RtEnd(RtString *const variables[], int count);

#endif
