// The soak run's view of a running station from outside: its memory, handle and window-object
// counts, and the exit through its tray menu. Finds the station by its main window's class and
// caption, as a second start does.
//
//   station_probe figures   one line "working_set=<bytes> handles=<n> gdi=<n> user=<n>
//   windows=<n>";
//                           gdi and user are -1 where the system does not count them
//   station_probe exit      picks the tray menu's "退出"
// Exit code 1 when no station runs.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMainWindowClass[] = L"TFrmMain_tavoCamera";
constexpr UINT kTrayMenuExit = 2003;

HWND FindStation() {
    // "高清车牌识别"
    return FindWindowW(kMainWindowClass, L"\x9AD8\x6E05\x8F66\x724C\x8BC6\x522B");
}

struct WindowCount {
    DWORD process;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
    ++reinterpret_cast<WindowCount*>(data)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
    auto* counted = reinterpret_cast<WindowCount*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == counted->process) {
        ++counted->count;
        EnumChildWindows(window, CountChild, data);
    }
    return TRUE;
}

// The system's table of every open handle (what Process Explorer reads), for systems whose
// GetProcessHandleCount does not count another process's handles.
constexpr ULONG kSystemExtendedHandleInformation = 64;
struct HandleEntry {
    PVOID Object;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR HandleValue;
    ULONG GrantedAccess;
    USHORT CreatorBackTraceIndex;
    USHORT ObjectTypeIndex;
    ULONG HandleAttributes;
    ULONG Reserved;
};
struct HandleTable {
    ULONG_PTR NumberOfHandles;
    ULONG_PTR Reserved;
    HandleEntry Handles[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

long HandlesInSystemTable(DWORD process) {
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return -1;
    std::vector<unsigned char> buffer(1 << 20);
    for (int tries = 0; tries < 8; ++tries) {
        ULONG needed = 0;
        const LONG status = query(kSystemExtendedHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
            long count = 0;
            for (ULONG_PTR i = 0; i < table->NumberOfHandles; ++i)
                count += table->Handles[i].UniqueProcessId == process;
            return count;
        }
        if (status != static_cast<LONG>(0xC0000004)) // STATUS_INFO_LENGTH_MISMATCH
            return -1;
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
    }
    return -1;
}

// A count of GetGuiResources, or -1 when the system does not keep it.
long GuiResources(HANDLE process, DWORD kind) {
    SetLastError(0);
    const DWORD count = GetGuiResources(process, kind);
    if (count == 0 && GetLastError() != 0)
        return -1;
    return static_cast<long>(count);
}

int Figures(HWND station) {
    DWORD id = 0;
    GetWindowThreadProcessId(station, &id);
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (!process) {
        std::fprintf(stderr, "station_probe: cannot open process %lu\n", id);
        return 1;
    }
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    const bool haveMemory = GetProcessMemoryInfo(process, &memory, sizeof memory) != FALSE;
    DWORD counted = 0;
    long handles = GetProcessHandleCount(process, &counted) ? static_cast<long>(counted) : -1;
    if (handles <= 0)
        handles = HandlesInSystemTable(id);
    WindowCount windows{id, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    std::printf("pid=%lu working_set=%lld handles=%ld gdi=%ld user=%ld windows=%ld\n", id,
                haveMemory ? static_cast<long long>(memory.WorkingSetSize) : -1LL, handles,
                GuiResources(process, GR_GDIOBJECTS), GuiResources(process, GR_USEROBJECTS),
                windows.count);
    CloseHandle(process);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const HWND station = FindStation();
    if (!station) {
        std::fprintf(stderr, "station_probe: no station runs\n");
        return 1;
    }
    if (command == L"figures")
        return Figures(station);
    if (command == L"exit")
        return PostMessageW(station, WM_COMMAND, kTrayMenuExit, 0) ? 0 : 1;
    std::fprintf(stderr, "usage: station_probe figures|exit\n");
    return 2;
}
