// The seven functions of the stand-in ice_ipcsdk.dll. Handles name open simulated cameras; they
// count up from 1 and are never reused while the library is loaded.
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "camera/ice_ipcsdk.h"
#include "simulator/SimCamera.h"
#include "simulator/SimFolder.h"
#include "simulator/SimJournal.h"

using tavo::sim::SimCamera;

namespace {

struct Registry {
    std::mutex lock;
    std::map<ICE_HANDLE, std::shared_ptr<SimCamera>> cameras;
    ICE_HANDLE lastHandle = 0;
    // Folders of the cameras opened since the library was loaded or last finalised: Fini
    // journals itself there, so a reader sees that every close came before it.
    std::set<std::wstring> openedFolders;
};

// Never destroyed: at process exit the library's statics go while camera threads may still
// exist, and destroying a camera then must not end the process.
Registry& Cameras() {
    static Registry* registry = new Registry;
    return *registry;
}

std::shared_ptr<SimCamera> Find(ICE_HANDLE handle) {
    Registry& registry = Cameras();
    std::lock_guard<std::mutex> hold(registry.lock);
    const auto found = registry.cameras.find(handle);
    return found == registry.cameras.end() ? nullptr : found->second;
}

std::shared_ptr<SimCamera> Take(ICE_HANDLE handle) {
    Registry& registry = Cameras();
    std::lock_guard<std::mutex> hold(registry.lock);
    const auto found = registry.cameras.find(handle);
    if (found == registry.cameras.end())
        return nullptr;
    auto camera = std::move(found->second);
    registry.cameras.erase(found);
    return camera;
}

} // namespace

extern "C" {

int32_t ICE_CALL ICE_IPCSDK_Init(void) {
    return 1;
}

int32_t ICE_CALL ICE_IPCSDK_Fini(void) {
    std::vector<std::shared_ptr<SimCamera>> open;
    std::set<std::wstring> opened;
    {
        Registry& registry = Cameras();
        std::lock_guard<std::mutex> hold(registry.lock);
        for (auto& entry : registry.cameras)
            open.push_back(std::move(entry.second));
        registry.cameras.clear();
        opened.swap(registry.openedFolders);
    }
    // Stopped outside the registry's lock: a callback that is running may still call in.
    for (auto& camera : open)
        camera->Stop();
    for (const std::wstring& folder : opened)
        tavo::sim::AppendJournal(folder, tavo::sim::FiniEntry());
    return 1;
}

ICE_HANDLE ICE_CALL ICE_IPCSDK_OpenPreview(const char* address, int32_t /*fixedOne*/,
                                           int32_t /*fixedAlsoOne*/, uintptr_t videoWindow,
                                           ICE_IPCSDK_OnPlate onPlate, void* param) {
    if (!address || !onPlate)
        return 0;
    try {
        const std::string gbkAddress(address);
        const auto folder = tavo::sim::FindCameraFolder(gbkAddress);
        if (!folder)
            return 0; // a camera that cannot be reached
        Registry& registry = Cameras();
        std::shared_ptr<SimCamera> camera;
        {
            std::lock_guard<std::mutex> hold(registry.lock);
            ICE_HANDLE handle = ++registry.lastHandle;
            if (handle == 0)
                handle = ++registry.lastHandle;
            camera = std::make_shared<SimCamera>(handle, gbkAddress, *folder, videoWindow, onPlate,
                                                 param);
            // Started under the lock: its callbacks' calls wait until the handle is known.
            camera->Start();
            registry.cameras.emplace(handle, camera);
            registry.openedFolders.insert(*folder);
            return handle;
        }
    } catch (...) {
        return 0; // out of memory, or no thread could be started
    }
}

int32_t ICE_CALL ICE_IPCSDK_Close(ICE_HANDLE handle) {
    const auto camera = Take(handle);
    if (!camera)
        return 0;
    camera->Stop();
    return 1;
}

int32_t ICE_CALL ICE_IPCSDK_GetStatus(ICE_HANDLE handle) {
    const auto camera = Find(handle);
    return camera && camera->QueryStatus() ? 1 : 0;
}

int32_t ICE_CALL ICE_IPCSDK_TransSerialPort(ICE_HANDLE handle, const char* bytes, int32_t count) {
    const auto camera = Find(handle);
    return camera && camera->SendSerial(bytes, count) ? 1 : 0;
}

int32_t ICE_CALL ICE_IPCSDK_BroadcastGroup(ICE_HANDLE handle, const char* phrases) {
    const auto camera = Find(handle);
    return camera && camera->Broadcast(phrases) ? 1 : 0;
}

} // extern "C"
