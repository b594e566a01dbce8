// prompt_state.cpp: the process's one console record.
//
// Static storage, so it starts all zero; the start-up presets linePos = -1 and windowReady = 0
// before the console thread exists, and PromptRowsAlloc (console thread) makes the rest ready.
#include "runtime/console/prompt_state.h"

PromptState gPrompt;
