// Reading recognition events from their files and moving them out of the inbox.
#include "simulator/SimEvents.h"

#include <windows.h>

#include <algorithm>

#include "common/HostFile.h"
#include "common/Win32Handles_win.h"

namespace tavo::sim {

namespace {

constexpr wchar_t kFullSuffix[] = L".full.jpg";
constexpr wchar_t kCloseUpSuffix[] = L".plate.jpg";

bool EndsWith(const std::wstring& text, const wchar_t* suffix) {
    const std::size_t length = wcslen(suffix);
    return text.size() >= length && _wcsicmp(text.c_str() + text.size() - length, suffix) == 0;
}

// The first line of a text without its line end ("\r\n", "\n" or "\r").
Bytes FirstLine(const Bytes& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

std::vector<std::wstring> ListEventNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const UniqueFind search(FindFirstFileW((folder + L"\\*.txt").c_str(), &found));
    if (!search)
        return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::wstring file = found.cFileName;
        // The pattern also matches names with a longer extension that starts with "txt" (8.3).
        if (!EndsWith(file, L".txt"))
            continue;
        names.push_back(file.substr(0, file.size() - 4));
    } while (FindNextFileW(search.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadEvent(const std::wstring& folder, const std::wstring& name, SimEvent& event) {
    const std::wstring base = folder + L"\\" + name;
    Bytes text;
    // Fails while a writer still holds the file open.
    if (!ReadWholeHostFile(base + L".txt", text, WhileReading::NoWriter))
        return false;
    event.name = name;
    event.plate = FirstLine(text);
    // A picture that cannot be read is left out of the event.
    ReadWholeHostFile(base + kFullSuffix, event.fullPicture);
    ReadWholeHostFile(base + kCloseUpSuffix, event.closeUpPicture);
    return true;
}

bool MoveEventToDone(const std::wstring& folder, const std::wstring& name,
                     const std::wstring& doneFolder) {
    CreateDirectoryW(doneFolder.c_str(), nullptr);
    const std::wstring from = folder + L"\\" + name;
    const std::wstring to = doneFolder + L"\\" + name;
    for (const wchar_t* suffix : {kFullSuffix, kCloseUpSuffix}) {
        const std::wstring source = from + suffix;
        if (GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES)
            MoveFileExW(source.c_str(), (to + suffix).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    const std::wstring text = from + L".txt";
    if (MoveFileExW(text.c_str(), (to + L".txt").c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(text.c_str());
    return GetFileAttributesW(text.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace tavo::sim
