// The debug log and the error log: daily GBK text files in the program's Log folder, one
// stamped line appended per write, the file opened and closed around each line.
#include "records/tavoLogUnit.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "common/Clock.h"
#include "common/HostFile.h"
#include "common/HostPath.h"
#include "records/TimeText.h"

namespace tavo {

bool DebugLogEnabled = false;
Bytes DefaultLogName = "debugLog";
Bytes LogDir;
Bytes DebugLogDir;

void StartLogUnit() {
    DebugLogEnabled = false;
    DefaultLogName = "debugLog";
    Bytes folder = ProgramFolder();
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    LogDir = folder + "\\Log";
    DebugLogDir = LogDir + "\\Debug";
    std::error_code ignored;
    std::filesystem::create_directories(ToHostPath(DebugLogDir), ignored);
}

bool DebugLog(std::string_view text) {
    if (!DebugLogEnabled || DebugLogDir.empty())
        return false;
    const Bytes path = DebugLogDir + "\\" + DefaultLogName + "_" + CompactDate(NowLocal()) + ".txt";
    return AppendLogLine(path, text);
}

bool ErrorLog(std::string_view text) {
    // Before the unit starts there is no folder: an empty one would put the file at the root.
    if (LogDir.empty())
        return false;
    const Bytes path = LogDir + "\\ErrorLog_" + CompactDate(NowLocal()) + ".txt";
    const bool written = AppendLogLine(path, text);
    if (written)
        DebugLog(text);
    return written;
}

bool AppendLogLine(std::string_view gbkPath, std::string_view text) {
    // The window thread and the archive sweep's thread both write; one line at a time, so lines
    // never interleave within a file.
    static std::mutex lock;
    const std::filesystem::path path = ToHostPath(gbkPath);
    std::lock_guard guard(lock);
    return AppendToHostFile(path, LogLineStamp(NowLocal()) + Bytes(text) + "\r\n");
}

} // namespace tavo
