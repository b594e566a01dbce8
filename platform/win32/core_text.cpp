// core_text.cpp: text comparison in the system locale and the debugger output on Windows.
#include <windows.h>

#include "runtime/core/plat_core.h"

int32_t PlatCompareText(const uint8_t *left, uint32_t leftLength, const uint8_t *right,
                        uint32_t rightLength) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, 0, (LPCSTR)left, (int)leftLength, (LPCSTR)right,
                          (int)rightLength);
}

void PlatDebugOutputSuppress(bool) {
}

void PlatDebugOutputOnce(bool) {
}

void PlatDebugOutput(const char *text) {
    OutputDebugStringA(text);
}
