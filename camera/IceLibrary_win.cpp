// Loads the camera vendor's library ice_ipcsdk.dll from the program folder into the table.
#include "camera/IceLibrary.h"

#include <windows.h>

#include <string>

#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"

namespace tavo {

namespace {

constexpr std::string_view kLibraryFile = "ice_ipcsdk.dll";

// GetProcAddress gives one generic function type; void (*)() converts to any other.
template <typename Function>
Function Resolve(HMODULE module, std::string_view name, Bytes& missing) {
    const FARPROC proc = GetProcAddress(module, std::string(name).c_str());
    if (proc == nullptr) {
        if (!missing.empty())
            missing += ", ";
        missing += name;
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

} // namespace

bool LoadIceLibrary() {
    SetIceLibrary(FailingIceLibrary());
    const Bytes path = ProgramFolder() + Bytes(kLibraryFile);
    const HMODULE module = LoadLibraryW(ToHostPath(path).c_str());
    if (module == nullptr) {
        ErrorLog(Utf8ToGbk("摄像头库无法加载：") + path);
        return false;
    }
    Bytes missing;
    IceLibrary table{};
    table.Init = Resolve<ICE_IPCSDK_Init_t>(module, kIceFunctionNames[0], missing);
    table.Fini = Resolve<ICE_IPCSDK_Fini_t>(module, kIceFunctionNames[1], missing);
    table.OpenPreview = Resolve<ICE_IPCSDK_OpenPreview_t>(module, kIceFunctionNames[2], missing);
    table.Close = Resolve<ICE_IPCSDK_Close_t>(module, kIceFunctionNames[3], missing);
    table.GetStatus = Resolve<ICE_IPCSDK_GetStatus_t>(module, kIceFunctionNames[4], missing);
    table.TransSerialPort =
        Resolve<ICE_IPCSDK_TransSerialPort_t>(module, kIceFunctionNames[5], missing);
    table.BroadcastGroup =
        Resolve<ICE_IPCSDK_BroadcastGroup_t>(module, kIceFunctionNames[6], missing);
    if (!missing.empty()) {
        FreeLibrary(module);
        ErrorLog(Utf8ToGbk("摄像头库 ") + path + Utf8ToGbk(" 缺少函数：") + missing);
        return false;
    }
    // The library stays loaded for the rest of the run.
    SetIceLibrary(table);
    return true;
}

} // namespace tavo
