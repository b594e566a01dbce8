// data_shape.h: whether data.csv is a table (R's write.csv, pandas' to_csv with its index, a
// time,value sheet) rather than a list of samples, told from the items the reading rules take,
// so that the user can be told why the spectrum is not that of the values. Nothing here changes
// what is read: it only watches the items one FileInput of one double takes at a time.
//
// A table: every line after an optional header has the same number of fields, two or more.
// Line 1 is a header when one of its items is empty or not wholly a number. Without a header the
// first column must also count as an index or a clock does: its numbers rise line by line in
// equal steps (within a hundredth of the first step), while the fields in reading order do not
// all rise. So samples written several to a line (8 a line, say) are no table, unless they are a
// ramp, which the second test turns away; nor are lines of unequal counts, with or without header.
#ifndef APP_DATA_SHAPE_H
#define APP_DATA_SHAPE_H

#include <cstdint>

// Zero is the state before the file's first item.
struct DataShape {
    uint32_t nonNumbers, empties, lineEnds;   // the file's tally after the last item watched
    uint32_t numbers;       // samples whose item was wholly a number and not empty
    bool restRead;          // DataShapeReadRest has run: items no longer count as samples
    uint32_t lines;         // lines ended so far, the header included
    uint32_t fields;        // items of the line being read so far
    bool lineHasText;       // that line holds an empty item or one not wholly a number
    double lineFirst;       // its first item's value
    bool header;            // line 1 was a header
    uint32_t tableLines;    // lines after the header
    uint32_t columns;       // fields of the first of them, 0 before it ended
    bool ragged;            // a later one had another count
    double firstOfLast;     // the first field of the last table line
    double step;            // the first column's first step
    bool unevenFirst;       // a step of the first column was not positive or not the first one
    double lastField;       // the value of the last item watched
    bool fallen;            // some item was not above the one before it
};

// Watches what the last FileInput of number took into value: call it after every FileInput of
// one double into the samples, whether it stored or not.
void DataShapeNote(DataShape *s, int32_t number, double value);
// Reads on to the end of number's file, while it may still be a table, watching each item, so that
// the shape counts every line. What was read into the samples and the tally of non-numbers for
// them must be taken before: this reads past them and counts on.
void DataShapeReadRest(DataShape *s, int32_t number);
// Whether the file is a table, once DataShapeReadRest has run.
bool DataShapeIsTable(const DataShape *s);

#endif
