// file_messages.cpp: the lines that tell the user what became of a file. Each is built left to
// right by StrConcat, consuming its parts, as every line of the program is.
#include "app/file_messages.h"

#include "app/texts.h"
#include "runtime/math/rt_math.h"

RtString NonNumbersLine(const FileNonNumbers *t) {
    if (t->count == 0)
        return nullptr;
    RtString line = StrConcat(StrLiteral(kTextNonNumbersCount), NumToStr((double)t->count));
    line = StrConcat(line, StrLiteral(kTextNonNumbersLine));
    line = StrConcat(line, NumToStr((double)t->firstLine));
    line = StrConcat(line, StrLiteral(kTextNonNumbersItem));
    line = StrConcat(line, StrLiteral(t->firstText));
    line = StrConcat(line, StrLiteral(kTextNonNumbersValue));
    line = StrConcat(line, NumToStr(t->firstValue));
    return StrConcat(line, StrLiteral(kTextNonNumbersEnd));
}

RtString TableLine(const DataShape *s, double sampleCount, bool utf8) {
    if (!DataShapeIsTable(s))
        return nullptr;
    const char *const *text = utf8 ? kTextTableUtf8 : kTextTableCp932;
    RtString line = StrConcat(StrLiteral(text[0]), NumToStr((double)s->columns));
    line = StrConcat(line, StrLiteral(text[1]));
    line = StrConcat(line, NumToStr((double)s->tableLines));
    line = StrConcat(line, StrLiteral(text[2]));
    line = StrConcat(line, NumToStr(sampleCount));
    line = StrConcat(line, StrLiteral(text[3]));
    line = StrConcat(line, NumToStr((double)s->numbers));
    return StrConcat(line, StrLiteral(text[4]));
}

RtString FailureLine() {
    RtString where, why;
    FileLastFailure(&where, &why);
    if (StrLength(where) == 0 && StrLength(why) == 0) {
        StrFree(where);
        StrFree(why);
        return nullptr;
    }
    if (StrLength(why) == 0) {
        StrFree(why);
        return where;
    }
    if (StrLength(where) == 0) {
        StrFree(where);
        return why;
    }
    return StrConcat(StrConcat(where, StrLiteral(": ")), why);
}
