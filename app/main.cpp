// main.cpp: the process entry: the command line, the runtime's start-up, then the analysis run,
// which ends the process itself. The start-up is here, above the console and its front ends,
// because it starts the console thread; the runtime core below them knows neither.
#include <cstdio>
#include <cstring>

#include "app/analysis.h"
#include "dft_version.h"
#include "runtime/console/prompt_state.h"
#include "runtime/core/rt_string.h"

#ifndef _WIN32
static const char kUsage[] =
    "Usage: dftanalyze [--help | --version]\n"
    "\n"
    "Interactive DFT analysis. Asks for a sample count N, reads N numbers from data.csv in the\n"
    "current folder, computes their discrete Fourier transform, shows it if asked, and writes\n"
    "Result.csv and its chart Result.svg there; answer 9 at the end for another pass. In a\n"
    "terminal it takes the whole screen; otherwise it reads the answers from standard input.\n"
    "\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "More in README.md (beside the program in its archive; share/doc/dftanalyze/ when\n"
    "installed) and in man dftanalyze.\n";

// The command line, before anything starts: -1 to start the session (no argument), else the
// exit code once answered: 0 for --help or --version, 2 for anything else (the usage on
// standard error). The Windows program, a window without standard output, takes none.
static int CommandLine(int argc, char **argv) {
    if (argc == 1)
        return -1;
    bool version = argc == 2 && strcmp(argv[1], "--version") == 0;
    bool help = argc == 2 && strcmp(argv[1], "--help") == 0;
    if (version)
        printf("dftanalyze %s\n", DFT_VERSION);
    else
        fputs(kUsage, help ? stdout : stderr);
    return version || help ? 0 : 2;
}
#endif

int main(int argc, char **argv) {
#ifndef _WIN32
    int code = CommandLine(argc, argv);
    if (code >= 0)
        return code;
#else
    (void)argc;
    (void)argv;
#endif
    StrInit();
    PromptStartThread(&gPrompt);   // returns once the console window has been painted
    AnalysisRun();
    return 0;
}
