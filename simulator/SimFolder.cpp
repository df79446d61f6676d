// Sim root, camera folders and the switch files of a simulated camera.
#include "simulator/SimFolder.h"

#include <windows.h>

#include <cwctype>

#include "common/HostFile.h"
#include "common/ModuleFolder_win.h"
#include "common/WideText_win.h"

namespace tavo::sim {

namespace {

// The folder of this library, with a trailing separator.
std::wstring LibraryFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&LibraryFolder), &self))
        return L".\\";
    return ModuleFolder(self);
}

std::wstring EnvironmentText(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0)
        return {};
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
    value.resize(length < needed ? length : 0);
    return value;
}

std::wstring Trimmed(const std::wstring& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::iswspace(text[begin]))
        ++begin;
    while (end > begin && std::iswspace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The folder that holds one folder per camera address, without a trailing separator:
// %ICE_SIM_ROOT% when that variable is set and not empty, else "sim" beside this library.
// Read at every call, so a program may point it elsewhere before it opens a camera.
std::wstring SimRootFolder() {
    std::wstring root = EnvironmentText(L"ICE_SIM_ROOT");
    if (root.empty())
        root = LibraryFolder() + L"sim";
    while (root.size() > 1 && (root.back() == L'\\' || root.back() == L'/'))
        root.pop_back();
    return root;
}

// True when a GBK address may name a folder directly below the sim root: not empty, at most
// 200 bytes, no separator ('\' or '/' anywhere, also as a trail byte), no drive colon, none of
// the bytes that Windows forbids in names, no control bytes, and not ending in '.' or ' '
// (Windows drops those, so "..", "..." or "x." would name another folder than it says).
bool IsSafeAddress(std::string_view gbkAddress) {
    if (gbkAddress.empty() || gbkAddress.size() > 200)
        return false;
    for (const char c : gbkAddress) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
        switch (byte) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
    }
    const char last = gbkAddress.back();
    return last != '.' && last != ' ';
}

} // namespace

bool FolderExists(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> FindCameraFolder(std::string_view gbkAddress) {
    if (!IsSafeAddress(gbkAddress))
        return std::nullopt;
    const std::wstring folder = SimRootFolder() + L"\\" + WideText(gbkAddress);
    if (!FolderExists(folder))
        return std::nullopt;
    return folder;
}

bool HasSwitchFile(const std::wstring& folder, const wchar_t* name) {
    return GetFileAttributesW((folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int ReadReplaySeconds(const std::wstring& cameraFolder) {
    Bytes content;
    if (!ReadWholeHostFile(cameraFolder + L"\\camera.ini", content))
        return 0;

    int seconds = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = content.size();
        const std::string line = content.substr(start, end - start);
        start = end + 1;
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::wstring key = Trimmed(std::wstring(line.begin(), line.begin() + equals));
        const std::wstring value = Trimmed(std::wstring(line.begin() + equals + 1, line.end()));
        if (key.empty() || key[0] == L';' || key[0] == L'#' || key[0] == L'[' ||
            _wcsicmp(key.c_str(), L"ReplayEverySeconds") != 0)
            continue;
        long number = 0;
        bool digits = !value.empty() && value.size() <= 6;
        for (const wchar_t c : value) {
            if (c < L'0' || c > L'9') {
                digits = false;
                break;
            }
            number = number * 10 + (c - L'0');
        }
        seconds = digits && number >= 1 && number <= 86400 ? static_cast<int>(number) : 0;
    }
    return seconds;
}

} // namespace tavo::sim
