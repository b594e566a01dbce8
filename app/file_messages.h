// file_messages.h: the lines that tell the user what became of a file: what of data.csv was not
// read as a number, and where and why a file could not be opened or saved. Code page 932.
#ifndef APP_FILE_MESSAGES_H
#define APP_FILE_MESSAGES_H

#include "app/data_shape.h"
#include "runtime/core/rt_string.h"
#include "runtime/io/files.h"

// "data.csv に数値として読めない項目が <count> 個あります（最初は <line> 行目の「<text>」を
// <value> としました）", every number as NumToStr writes it; null when no item counts.
RtString NonNumbersLine(const FileNonNumbers *t);
// "data.csv は <columns> 列 × <lines> 行の表です。項目は 1 行ずつ左から順に読むため、N = <N> 個
// のデータのうち数値は <numbers> 個でした。値の列だけを 1 列で保存してください", in code page 932,
// or in UTF-8 when utf8; null when the file is no table (DataShapeIsTable).
RtString TableLine(const DataShape *s, double sampleCount, bool utf8);
// "<full path>: <reason>" of the last failed file operation (FileLastFailure), or whichever of
// the two is known; null when neither is.
RtString FailureLine();

#endif
