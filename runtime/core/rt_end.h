// rt_end.h: the frame around the program: its end. (Its start-up is the process entry's, in
// app/main.cpp: it starts the console thread, which the core below the console cannot.)
#ifndef RUNTIME_CORE_RT_END_H
#define RUNTIME_CORE_RT_END_H

#include "runtime/core/rt_string.h"

// Releases the program's string variables in the order given (null handles pass unchanged) and
// ends the process with exit code 0.
[[noreturn]] void RtEnd(RtString *const variables[], int count);

#endif
