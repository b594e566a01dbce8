// main.cpp: the process entry: the runtime's start-up, then the analysis run, which ends the
// process itself.
#include "app/analysis.h"
#include "runtime/core/rt_start.h"

int main() {
    RtStartUp();
    AnalysisRun();
    return 0;
}
