// data_shape.cpp: the shape of data.csv as its items show it: fields a line, lines, a header, and
// whether the first column counts like an index. Each item's kind and whether it ended its line
// come from the file's own tally (FileInputNonNumbers), which FileInput keeps for every item.
#include "app/data_shape.h"

#include "runtime/io/files.h"
#include "runtime/io/input_items.h"

// Ends the line being read (one that holds an item).
static void EndLine(DataShape *s) {
    if (s->lines == 0 && s->lineHasText) {
        s->header = true;
    } else {
        if (s->tableLines == 0)
            s->columns = s->fields;
        else if (s->fields != s->columns)
            s->ragged = true;
        if (s->tableLines > 0) {
            double d = s->lineFirst - s->firstOfLast;
            if (s->tableLines == 1)
                s->step = d;
            // A time column written to rounded digits steps unevenly in its last bits; a NaN
            // step fails too.
            double off = d - s->step;
            if (!(d > 0) || !(off <= s->step / 100 && -off <= s->step / 100))
                s->unevenFirst = true;
        }
        s->firstOfLast = s->lineFirst;
        s->tableLines++;
    }
    s->lines++;
    s->fields = 0;
    s->lineHasText = false;
}

// Whether the table may still be found: a header over one column, one column, or lines of other
// counts are not, and a headerless file needs its first column to count evenly.
static bool MayBeTable(const DataShape *s) {
    if (s->ragged || (s->tableLines > 0 && s->columns < 2))
        return false;
    return s->header || s->lines == 0 || !s->unevenFirst;
}

void DataShapeNote(DataShape *s, int32_t number, double value) {
    if (FileInputStoredCount() == 0)
        return;
    const FileNonNumbers *t = FileInputNonNumbers(number);
    bool nonNumber = t->count != s->nonNumbers, empty = t->empties != s->empties;
    bool endedLine = t->lineEnds != s->lineEnds;
    s->nonNumbers = t->count;
    s->empties = t->empties;
    s->lineEnds = t->lineEnds;
    if (!s->restRead && !nonNumber && !empty)
        s->numbers++;
    if (s->fields == 0)
        s->lineFirst = value;
    if ((s->lines > 0 || s->fields > 0) && !(value > s->lastField))
        s->fallen = true;
    s->lastField = value;
    s->fields++;
    s->lineHasText = s->lineHasText || nonNumber || empty;
    if (endedLine)
        EndLine(s);
}

void DataShapeReadRest(DataShape *s, int32_t number) {
    s->restRead = true;
    double item = 0;
    while (MayBeTable(s)) {
        InputTargetsSetOne(&item, kInputDouble);
        FileInput(number);
        if (FileInputStoredCount() == 0)
            break;
        DataShapeNote(s, number, item);
    }
    if (s->fields > 0)   // a last line without its line end
        EndLine(s);
}

bool DataShapeIsTable(const DataShape *s) {
    if (!MayBeTable(s) || s->tableLines == 0)
        return false;
    return s->header || (s->tableLines >= 2 && s->fallen);
}
