// analysis.h: the analysis run, the program the user runs.
#ifndef APP_ANALYSIS_H
#define APP_ANALYSIS_H

// Runs passes until the user finishes; ends the process through RtEnd. Program thread.
[[noreturn]] void AnalysisRun();

#endif
