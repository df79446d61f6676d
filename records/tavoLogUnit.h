// The two daily text logs in the program's "Log" folder: the debug log (Log\Debug\debugLog_
// YYYYMMDD.txt), switched on and off as a whole, and the error log (Log\ErrorLog_YYYYMMDD.txt),
// always written. Each write opens the file, appends one stamped GBK line ending in CR LF, and
// closes it. The writes may come from the window thread and from the station's own background
// threads (the archive sweep): one line is written at a time. The unit's state (switch, names,
// folders) is set on the window thread before any such thread starts, and not changed after.
#pragma once

#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// Switch of the debug log; false at unit start, set true by the main window.
extern bool DebugLogEnabled;
extern Bytes DefaultLogName; // "debugLog"
extern Bytes LogDir;         // program folder without its separator, then "\Log"
extern Bytes DebugLogDir;    // LogDir, then "\Debug"

// Unit start: switch off, set the names and folders from the program folder, and make the
// debug log folder with its parents (a failure is ignored). Called once before the main window
// exists, and by tests after they set the program folder.
void StartLogUnit();

// True when the line was written to today's debug log; false when the switch is off (nothing
// is touched) or the write failed.
bool DebugLog(std::string_view text);

// True when the line was written to today's error log; only then it is echoed to the debug log.
bool ErrorLog(std::string_view text);

// Appends "YYYY-MM-DD HH:MM:SS ", the text unchanged and CR LF to the file at the GBK path
// (created when missing). True when the line was written; false on any failure.
bool AppendLogLine(std::string_view gbkPath, std::string_view text);

} // namespace tavo
