// console_front.h: the two POSIX front ends of the console window, and what the console thread
// (console_start.cpp) needs of them. Each front end keeps its own state in one static record;
// its window procedure has the message layer's signature and handles the console's messages.
//
//   terminal console (term_console.cpp): standard input and output are a terminal; the terminal
//     is the client area, one cell a character.
//   line console (line_console.cpp): anything else; the program is a filter, printed text goes
//     to standard output and answers come line by line from standard input.
#ifndef PLATFORM_POSIX_CONSOLE_FRONT_H
#define PLATFORM_POSIX_CONSOLE_FRONT_H

#include <cstddef>
#include <cstdint>

#include "platform/posix/write_all.h"
#include "runtime/console/prompt_state.h"

// On the console thread after the rows exist: takes the terminal (raw mode, alternate screen),
// installs the signal handlers and starts the key reader. False when the terminal cannot be
// taken; it is then left exactly as it was.
bool TermConsoleOpen(PromptState *ps);
intptr_t TermConsoleProc(uint32_t msg, uintptr_t wParam, intptr_t lParam);
// The end of the message loop: rows released, terminal given back, exit code 0.
[[noreturn]] void TermConsoleEnd(PromptState *ps);

void LineConsoleOpen(PromptState *ps);
intptr_t LineConsoleProc(uint32_t msg, uintptr_t wParam, intptr_t lParam);
[[noreturn]] void LineConsoleEnd(PromptState *ps);

#endif
