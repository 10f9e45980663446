// Reading a part set back: what the running part 0 describes, which of its
// parts are present, and rebuilding the source from them.
#pragma once

#include <stdint.h>

#include "partset/partset.h"
#include "platform/platform.h"

struct PartSetSurvey {
    bool trailerRead;
    PartSetTrailer trailer;
    int32_t presentCount;
    bool joinAllowed;
};

// Reads the trailer of the running program's file and counts which of parts
// 1 to `lastPartIndex` can be opened in the current directory. A damaged
// count opens nothing and never allows a join. Changes no file.
PartSetSurvey SurveyPartSet();

enum JoinResult {
    JoinDone = 0,
    JoinNoTrailer = -1,
    JoinPartMissing = -2,
    JoinIoFailed = -3,
    JoinLengthDiffers = -4,
};

// Rebuilds the source named in the trailer in the current directory from
// the running file (the stub and part 0's data) and parts 1 onward, and
// writes the stub back out as "parvolin.exe". Shows every failure on
// `owner` and the progress in its status line. Returns a JoinResult; an
// output that cannot be created, or whose name the trailer's path does not
// hold whole, is reported and returns 0.
int JoinParts(Owner owner);
