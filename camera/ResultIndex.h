// A result's record as a line of the daily recognition index.
#pragma once

#include "camera/ResultRecord.h"
#include "records/RecognitionIndex.h"

namespace tavo {

// The index line of a record: side 左 for the left camera (3) and 右 for the right one (13),
// state handled / offline / dropped. A dropped result was never handled, so its online column
// stays empty.
IndexRow IndexRowOf(const TResultRecord& record);

// Appends the record's line to the index of the day it was received. True when written; a
// failure is one error-log line. Nothing is raised.
bool WriteIndexLine(const TResultRecord& record);

} // namespace tavo
