// analysis.cpp: the analysis run. Asks for the sample count N, reads N samples from "data.csv",
// takes their discrete Fourier transform by the direct double sum with the runtime's own sine and
// cosine, shows it if asked, writes the first N/2 bins to "Result.csv" and their picture to
// "Result.svg", and starts over on 9.
//
// Every number is a double and every text a runtime string passed by the ownership rules: a
// literal as a fresh StrLiteral, a variable's value as a StrCopy, a line joined left to right by
// StrConcat. The digits of the results follow from the order of operations below; the transform
// itself is in transform.h.
//
// The transform depends only on the samples and N, so it starts as soon as the samples are in,
// while the proceed question waits for Enter; Enter then waits only for what is left. It computes
// first the bins Result.csv needs, and the rest only for the display, which shows each bin as
// soon as it is done. Its workers write only into the arrays below (process-wide, never freed),
// so the process may end at any moment of it (the window closed, Ctrl+C, the end of input).
#include "app/analysis.h"

#include <cstring>

#include "app/data_shape.h"
#include "app/file_messages.h"
#include "app/spectrum_svg.h"
#include "app/texts.h"
#include "app/transform.h"
#include "runtime/console/prompt.h"
#include "runtime/core/rt_end.h"
#include "runtime/io/files.h"
#include "runtime/io/input_items.h"
#include "runtime/math/rt_math.h"

enum {
    kMaxSamples = 100001,   // N is a whole number from 1 to this
    kDataFile = 1,          // both files use file number 1, one after the other
};

// The program's variables: process-wide, zero at start, string variables null until first set.
static double SampleCount;
// 200002 elements (0 to 200001), the size the program declares, though a pass uses only 0 to
// N - 1. The size changes no byte: the transform reads Samples[0 .. N-1] and nothing beyond, and
// the import writes each of those in every pass (0 where data.csv ran short), so what lies past
// N - 1 (an earlier, longer pass's samples) is never read. What the saved digits do depend on is
// that every one of the N is this pass's: a smaller array, or one per pass, must keep that.
static double Samples[200002];
static double RealPart[kMaxSamples];
static double ImagPart[kMaxSamples];
static double LogAbs[kMaxSamples];
static double ProgramPi;
static double AngleStep;
static double ProceedAnswer;
static double RepeatAnswer;
static RtString ImportAnswer;
static RtString ShowAnswer;
static RtString ResultHeader;
static RtString ResultLine;
// The transform of RealPart and ImagPart: its workers run while the questions are asked.
static TransformRun *const Transform = TransformRunNew();

// Prints text (consumed) followed by a line end, as one print.
static void PrintLine(RtString text) {
    PromptPrint(&gPrompt, StrConcat(text, StrLiteral("\r\n")));
}

static void AskDouble(double *variable, const char *prompt) {
    InputTargetsSetOne(variable, kInputDouble);
    PromptInput(&gPrompt, StrLiteral(prompt));
}

static void AskString(RtString *variable, const char *prompt) {
    InputTargetsSetOne(variable, kInputString);
    PromptInput(&gPrompt, StrLiteral(prompt));
}

// True when the answer is exactly "NO" or exactly "no". Both comparisons are always made, each
// on a copy: StrCompare consumes both operands, and the answer stays in its variable.
static bool AnsweredNo(RtString answer) {
    int32_t upper = StrCompare(StrCopy(answer), StrLiteral("NO")) == kStrEqual ? -1 : 0;
    int32_t lower = StrCompare(StrCopy(answer), StrLiteral("no")) == kStrEqual ? -1 : 0;
    return (upper | lower) != 0;
}

static bool IsValidSampleCount(double n) {
    return n >= 1 && n <= kMaxSamples && n == (double)(int32_t)n;
}

// Asks N with "? " until the answer is wholly a number (NumberIsWhole: "1e5" and "16abc" are
// not, though ParseNumber reads 1 and 16 of them) whose value is a whole number from 1 to
// kMaxSamples ("256.0" and "&H100" are 256); each other answer is told why and asked again,
// without a new "N=". The import loop and the bins rely on this. The answer is taken as text and
// read by ParseNumber, the same reading a numeric variable's input gives it.
static void AskSampleCount() {
    RtString answer = nullptr;
    for (;;) {
        AskString(&answer, "? ");
        bool whole = NumberIsWhole(answer);
        SampleCount = ParseNumber(answer);
        if (whole && IsValidSampleCount(SampleCount))
            break;
        PrintLine(StrLiteral(kTextBadSampleCount));
    }
    StrFree(answer);
}

// Prints line (consumed) when there is one.
static void PrintLineIfAny(RtString line) {
    if (line != nullptr)
        PrintLine(line);
}

// What this pass's data.csv looks like: a table draws a line after the import and in Result.svg.
static DataShape Shape;

// Reads N samples from data.csv, which is open as kDataFile, from its first number on. Samples
// that the file does not hold are 0, and the user is told once; so is what was not wholly a
// number, and what it was read as (the values read are the reading rules', unchanged), and a
// file that is a table of several columns rather than the samples alone.
static void ImportSamples() {
    bool shortData = false;
    Shape = DataShape{};
    // The counter is a double like every number of the program, and the loop tests after the
    // read whether it has reached N - 1: N reads, the first from the file's first number, for
    // the whole N from 1 up that AskSampleCount lets through (any other N would never end it).
    for (double i = 0;; i = i + 1) {
        int32_t at = (int32_t)i;
        InputTargetsSetOne(&Samples[at], kInputDouble);
        FileInput(kDataFile);
        DataShapeNote(&Shape, kDataFile, Samples[at]);
        if (FileInputStoredCount() == 0) {
            Samples[at] = 0;
            shortData = true;
        }
        if (i == SampleCount - 1)
            break;
    }
    // The non-numbers are those of the N samples: the tally is taken before the shape reads on.
    RtString nonNumbers = NonNumbersLine(FileInputNonNumbers(kDataFile));
    DataShapeReadRest(&Shape, kDataFile);
    FileClose(kDataFile);
    PrintLineIfAny(nonNumbers);
    if (shortData)
        PrintLine(StrLiteral(kTextShortData));
    PrintLineIfAny(TableLine(&Shape, SampleCount, false));
}

// A long transform shows its progress in the window's title.
static void ShowProgress(void *, int32_t percent) {
    PromptShowProgress(&gPrompt, percent);
}

// Prints every bin, each once the transform has it; a display that waits for its later bins shows
// their progress in the title, as the first part does.
static void ShowTransform() {
    PrintLine(StrLiteral(kTextResultTitle));
    TransformProgress progress = {ShowProgress, nullptr, 1000};
    // A double counter against N - 1, also a double: every bin from 0 to N - 1. Each index is the
    // counter truncated to an integer, exact, as the counter only takes whole values.
    for (double i = 0; i <= SampleCount - 1; i = i + 1) {
        int32_t at = (int32_t)i;
        TransformWaitBin(Transform, at, &progress);
        RtString line = StrConcat(NumToStr(ImagPart[at]), StrLiteral("\t"));
        line = StrConcat(line, NumToStr(RealPart[at]));
        PrintLine(line);
    }
}

// Writes the file `name` whole or not at all; false when it could not be. `write` prints every
// byte to the number it is given, a new file of the program's own beside `name`, and says whether
// it had them all; that file replaces `name` only once it is complete and on the disk. A failure
// at any point leaves the previous file as it was, and no file of the program's behind. Every
// file the run saves goes through here.
static bool SaveWhole(const char *name, bool (*write)(int32_t number)) {
    FileOpenReplacement(StrLiteral(name), kDataFile);
    if (!write(kDataFile)) {
        FileClose(kDataFile);   // drops the unfinished file
        return false;
    }
    return FileCommitReplacement(kDataFile);
}

// Result.csv's lines: the header, then bin i's imaginary part, real part and LogAbs.
//
// The header and each line go into their string variables first (StrAssign releases what the
// variable held), and what is written is a StrCopy of the variable joined with the line end.
// The file gets the copy's bytes, the same as the variable's. The round trip is the ownership
// rule, not a waste: StrConcat consumes its operands, so handing it the variable's own string
// would release it under the variable, and the next StrAssign (or RtEnd) would release it again,
// which the registry reports as an unknown string on the debugger output, standard error here.
// ResultLine keeps the last line written until the next pass empties it or RtEnd releases it.
static bool WriteResultLines(int32_t number) {
    StrAssign(&ResultHeader, StrLiteral(kTextResultHeader));
    FilePrint(number, StrConcat(StrCopy(ResultHeader), StrLiteral("\r\n")));
    // The bound N/2 - 1 is a double, computed again before every test: for odd N it ends in .5,
    // so the file holds floor(N/2) lines (N = 5: bins 0 and 1). A bound of i < N/2 would add bin
    // (N - 1)/2 for odd N, a line the file has never had; an integer N/2 - 1 gives the same lines.
    for (double i = 0; i <= SampleCount / 2 - 1; i = i + 1) {
        int32_t at = (int32_t)i;
        // The sum of |re| and the square root of im * im, not the Euclidean magnitude, and not
        // |im|: RtSqr(im * im) equals |im| only within an ulp, since the square is rounded and
        // the root is Newton's (about one value in twenty comes out an ulp off, and one LogAbs in
        // about a thousand differs in its bits). Past the ends of its range it departs further:
        //   |im| >= 1.3407807929942597e154: im * im is +inf, RtSqr(+inf) is +inf, so LogAbs is
        //     +inf and the line ends in "inf" (|im| = 1e200 would give 460.5...);
        //   |im| < 2^-511 (about 1.5e-154): the square is subnormal and the root keeps fewer
        //     digits (1e-160 gives 9.99994e-161); below about 1.6e-162 the square and root are 0;
        //   im NaN: RtSqr writes "Error:Sqr argument is illegal" to the debugger output and
        //     gives -1: a lone sample of 400 nines (+inf; bin 0: re +inf, im 0 - inf * 0, NaN)
        //     saves "nan,inf,inf" where RtAbs would save "nan,inf,nan".
        // Writing RtAbs(im) instead changes those digits, so it stays as it is.
        LogAbs[at] = RtLog(RtAbs(RealPart[at]) + RtSqr(ImagPart[at] * ImagPart[at]));
        RtString line = StrConcat(NumToStr(ImagPart[at]), StrLiteral(","));
        line = StrConcat(line, NumToStr(RealPart[at]));
        line = StrConcat(line, StrLiteral(","));
        line = StrConcat(line, NumToStr(LogAbs[at]));
        StrAssign(&ResultLine, line);
        FilePrint(number, StrConcat(StrCopy(ResultLine), StrLiteral("\r\n")));
    }
    return true;
}

// Result.svg: the picture of the LogAbs values Result.csv holds, its floor(N/2) bins.
static char Picture[kSpectrumSvgCapacity];

// A table's line stands above the plot as well, so that the picture does not pass for the
// spectrum of the values.
static bool WritePicture(int32_t number) {
    RtString warning = TableLine(&Shape, SampleCount, true);
    uint32_t length = SpectrumSvg(LogAbs, (int32_t)(SampleCount / 2), SampleCount, Picture,
                                  kSpectrumSvgCapacity, (const char *)warning);
    StrFree(warning);
    if (length == 0)
        return false;   // did not fit: never with this capacity
    RtString bytes = StrAlloc(length);
    std::memcpy(bytes, Picture, length);
    FilePrint(number, bytes);
    return true;
}

// Writes Result.csv, and then its picture Result.svg; false when Result.csv was not saved. The
// picture is written only beside a saved Result.csv, and its own failure is not the dialogue's:
// the old Result.svg stays as it was, and one line says where and why, so that a picture older
// than the numbers is never left unsaid.
static bool SaveResult() {
    // Both variables hold an empty string from here on, never null; each keeps what the last
    // save put into it until then (see WriteResultLines).
    StrAssign(&ResultLine, StrAlloc(0));
    StrAssign(&ResultHeader, StrAlloc(0));
    if (!SaveWhole("Result.csv", WriteResultLines))
        return false;
    if (!SaveWhole("Result.svg", WritePicture))
        PrintLineIfAny(FailureLine());
    return true;
}

void AnalysisRun() {
    for (;;) {
        PrintLine(StrLiteral(kTextBannerRule));
        PrintLine(StrLiteral(kTextBannerTitle));
        PrintLine(StrLiteral(kTextBannerRule));
        PromptPrint(&gPrompt, StrLiteral("N="));
        for (;;) {
            AskSampleCount();
            StrAssign(&ImportAnswer, StrAlloc(0));
            StrAssign(&ShowAnswer, StrAlloc(0));
            ProgramPi = 3.141592;
            AskString(&ImportAnswer, kTextImportQuestion);
            if (AnsweredNo(ImportAnswer))
                continue;
            FileOpenText(StrLiteral("data.csv"), kDataFile);
            if (FileIsOpen(kDataFile))
                break;
            PrintLine(StrLiteral(kTextNoDataFile));
            PrintLineIfAny(FailureLine());
        }
        ImportSamples();
        AngleStep = (2 * ProgramPi) / SampleCount;
        TransformStart(Transform, Samples, (int32_t)SampleCount, AngleStep, RealPart, ImagPart);
        AskDouble(&ProceedAnswer, kTextProceedQuestion);
        TransformProgress progress = {ShowProgress, nullptr, 1000};
        TransformWaitLower(Transform, &progress);
        PromptShowProgress(&gPrompt, -1);
        AskString(&ShowAnswer, kTextShowQuestion);
        if (!AnsweredNo(ShowAnswer)) {
            TransformStartUpper(Transform);
            ShowTransform();
            PromptShowProgress(&gPrompt, -1);
        }
        TransformFinish(Transform);
        bool saved = SaveResult();
        if (!saved) {
            PrintLine(StrLiteral(kTextSaveFailed));
            PrintLineIfAny(FailureLine());
        }
        AskDouble(&RepeatAnswer, saved ? kTextRepeatQuestion : kTextRepeatAfterFailure);
        if (RepeatAnswer != 9) {
            // 4 is the count of the array, all four string variables, released in this order;
            // it is not an exit code (RtEnd ends the process with 0). Nothing saved depends on
            // it: both files were complete on the disk before the repeat question. Left short, it
            // would leave the last variables' strings live at the end; each is listed once, since
            // a second release of a string is reported on the debugger output.
            RtString *const variables[] = {&ImportAnswer, &ShowAnswer, &ResultLine, &ResultHeader};
            RtEnd(variables, 4);
        }
    }
}
