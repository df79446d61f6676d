// Journal lines of a simulated camera (format in SimJournal.h).
#include "simulator/SimJournal.h"

#include <cstdio>
#include <mutex>

#include "common/Clock.h"
#include "common/HostFile.h"

namespace tavo::sim {

namespace {

std::mutex& JournalLock() {
    static std::mutex* lock = new std::mutex; // never destroyed: threads may outlive statics
    return *lock;
}

const char* ResultText(bool result) {
    return result ? " -> 1" : " -> 0";
}

// The local time stamp "YYYY-MM-DD HH:MM:SS.mmm".
Bytes JournalTimeStamp() {
    const LocalTime now = NowLocal();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", now.year, now.month,
                  now.day, now.hour, now.minute, now.second, now.millisecond);
    return text;
}

} // namespace

bool AppendJournal(const std::wstring& cameraFolder, std::string_view entry) {
    Bytes line = JournalTimeStamp();
    line += ' ';
    line += entry;
    line += "\r\n";
    std::lock_guard<std::mutex> hold(JournalLock());
    return AppendToHostFile(std::filesystem::path(cameraFolder + L"\\journal.txt"), line);
}

Bytes OpenEntry(std::uintptr_t window, std::uintptr_t handle) {
    char text[80];
    std::snprintf(text, sizeof text, "open window=0x%llX -> %llu",
                  static_cast<unsigned long long>(window), static_cast<unsigned long long>(handle));
    return text;
}

Bytes StatusEntry(bool online) {
    return Bytes("status") + ResultText(online);
}

Bytes BroadcastEntry(const char* phrases, bool result) {
    if (!phrases)
        return "broadcast (invalid) -> 0";
    return Bytes("broadcast [") + phrases + "]" + ResultText(result);
}

Bytes SerialEntry(const char* bytes, std::int32_t count, bool result) {
    if (count < 0 || (count > 0 && !bytes))
        return "serial (invalid) -> 0";
    static const char kHex[] = "0123456789ABCDEF";
    Bytes entry = "serial";
    entry.reserve(entry.size() + 3 * static_cast<std::size_t>(count) + 5);
    for (std::int32_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        entry += ' ';
        entry += kHex[byte >> 4];
        entry += kHex[byte & 0x0F];
    }
    return entry + ResultText(result);
}

Bytes CloseEntry() {
    return "close";
}

Bytes FiniEntry() {
    return "fini";
}

Bytes RecognitionEntry(std::string_view source, std::string_view gbkName, std::string_view plate,
                       std::size_t fullCount, std::size_t closeUpCount) {
    Bytes entry = "recognition ";
    entry += source;
    entry += ' ';
    entry += gbkName;
    entry += " [";
    entry += plate;
    entry += "] full=" + std::to_string(fullCount) + " closeup=" + std::to_string(closeUpCount);
    return entry;
}

} // namespace tavo::sim
