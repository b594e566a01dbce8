// file_messages.h: the lines that tell the user what became of a file: what of data.csv was not
// read as a number, and where and why a file could not be opened or saved. Code page 932.
#ifndef APP_FILE_MESSAGES_H
#define APP_FILE_MESSAGES_H

#include "runtime/core/rt_string.h"
#include "runtime/io/files.h"

// "data.csv に数値として読めない項目が <count> 個あります（最初は <line> 行目の「<text>」を
// <value> としました）", every number as NumToStr writes it; null when no item counts.
RtString NonNumbersLine(const FileNonNumbers *t);
// "<full path>: <reason>" of the last failed file operation (FileLastFailure), or whichever of
// the two is known; null when neither is.
RtString FailureLine();

#endif
