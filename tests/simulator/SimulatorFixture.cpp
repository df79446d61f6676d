// The simulator tests' fixture: the loaded library, the recording callback and the helpers.
#include "SimulatorFixture.h"

#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "common/GbkText.h"
#include "common/ModuleFolder_win.h"
#include "common/WideText_win.h"

namespace tavo::test {

using namespace std::chrono_literals;

namespace {

template <typename F> void Resolve(HMODULE module, const char* name, F& function) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

const Sdk& Library() {
    static const Sdk sdk = [] {
        Sdk s;
        const fs::path dll = fs::path(ModuleFolder(nullptr)) / L"ice_ipcsdk.dll";
        s.module = LoadLibraryW(dll.c_str());
        if (!s.module)
            return s;
        Resolve(s.module, "ICE_IPCSDK_Init", s.Init);
        Resolve(s.module, "ICE_IPCSDK_Fini", s.Fini);
        Resolve(s.module, "ICE_IPCSDK_OpenPreview", s.OpenPreview);
        Resolve(s.module, "ICE_IPCSDK_Close", s.Close);
        Resolve(s.module, "ICE_IPCSDK_GetStatus", s.GetStatus);
        Resolve(s.module, "ICE_IPCSDK_TransSerialPort", s.TransSerialPort);
        Resolve(s.module, "ICE_IPCSDK_BroadcastGroup", s.BroadcastGroup);
        return s;
    }();
    return sdk;
}

Bytes Numbered(const char* prefix, int number) {
    // Built by append: GCC 12 warns falsely on "text" + std::string&&.
    Bytes text = prefix;
    text += std::to_string(number);
    return text;
}

Bytes Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

fs::path HostName(const Bytes& gbk) {
    return fs::path(WideText(gbk));
}

bool Recorder::WaitFor(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> hold(lock);
    return arrived.wait_for(hold, timeout, [&] { return deliveries.size() >= count; });
}

std::vector<Delivery> Recorder::Snapshot() {
    std::lock_guard<std::mutex> hold(lock);
    return deliveries;
}

std::vector<Bytes> Recorder::Plates() {
    std::vector<Bytes> plates;
    for (const auto& delivery : Snapshot())
        plates.push_back(delivery.plate);
    return plates;
}

void ICE_CALLBACK OnPlate(void* param, const char* address, const char* plate, const char*,
                          const char* full, int32_t fullLen, const char* closeUp,
                          int32_t closeUpLen, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                          uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                          uintptr_t, uintptr_t) {
    auto* recorder = static_cast<Recorder*>(param);
    if (recorder->closed)
        ++recorder->lateCalls;
    Delivery delivery;
    delivery.param = param;
    delivery.address = address ? address : "(null)";
    delivery.plate = plate ? plate : "(null)";
    delivery.picturesNonNull = full && closeUp;
    if (full && fullLen > 0)
        delivery.full.assign(full, static_cast<std::size_t>(fullLen));
    if (closeUp && closeUpLen > 0)
        delivery.closeUp.assign(closeUp, static_cast<std::size_t>(closeUpLen));
    {
        std::lock_guard<std::mutex> hold(recorder->lock);
        recorder->deliveries.push_back(std::move(delivery));
    }
    recorder->arrived.notify_all();
    if (recorder->inside)
        recorder->inside(*recorder);
    // Still running once Close has returned counts as late too.
    if (recorder->closed && !recorder->closedInside)
        ++recorder->lateCalls;
}

void WriteBytes(const fs::path& path, const Bytes& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

Bytes ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::size_t CountFiles(const fs::path& folder) {
    if (!fs::exists(folder))
        return 0;
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// Renames a folder, retrying a little while the camera's thread happens to be looking into it.
bool RenameFolder(const fs::path& from, const fs::path& to) {
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (MoveFileW(from.c_str(), to.c_str()))
            return true;
        std::this_thread::sleep_for(25ms);
    }
    return false;
}

// A picture-like byte string with 0x00 and 0xFF bytes inside.
Bytes Picture(char tag, std::size_t size) {
    Bytes bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 7 == 0 ? 0x00 : i % 5 == 0 ? 0xFF : tag + i % 3);
    return bytes;
}

void SimulatorTest::SetUp() {
    const Sdk& sdk = Library();
    ASSERT_NE(sdk.module, nullptr) << "ice_ipcsdk.dll not beside the test program";
    ASSERT_TRUE(sdk.Init && sdk.Fini && sdk.OpenPreview && sdk.Close && sdk.GetStatus &&
                sdk.TransSerialPort && sdk.BroadcastGroup);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    root_ = fs::path(temp) / (L"tavo-sim-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++serial));
    fs::remove_all(root_);
    fs::create_directories(root_);
    SetEnvironmentVariableW(L"ICE_SIM_ROOT", root_.c_str());
    sdk.Init();
}

void SimulatorTest::TearDown() {
    if (Library().Fini)
        Library().Fini();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

fs::path SimulatorTest::MakeCamera(const Bytes& address) {
    const fs::path folder = root_ / HostName(address);
    fs::create_directories(folder / L"inbox");
    return folder;
}

void SimulatorTest::DropEvent(const fs::path& folder, const std::string& name, const Bytes& txt,
                              const Bytes* full, const Bytes* closeUp) {
    fs::create_directories(folder);
    if (full)
        WriteBytes(folder / (name + ".full.jpg"), *full);
    if (closeUp)
        WriteBytes(folder / (name + ".plate.jpg"), *closeUp);
    WriteBytes(folder / (name + ".txt"), txt);
}

ICE_HANDLE SimulatorTest::Open(const Bytes& address, Recorder& recorder, uintptr_t window) {
    const ICE_HANDLE handle = sdk().OpenPreview(address.c_str(), 1, 1, window, &OnPlate, &recorder);
    recorder.handle = handle;
    return handle;
}

void SimulatorTest::CloseAndMark(ICE_HANDLE handle, Recorder& recorder) {
    EXPECT_EQ(sdk().Close(handle), 1);
    recorder.closed = true;
}

std::vector<Bytes> SimulatorTest::Journal(const fs::path& cameraFolder) {
    const Bytes text = ReadBytes(cameraFolder / L"journal.txt");
    static const std::regex stamp(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} )");
    std::vector<Bytes> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, Bytes::npos) << "journal line without \\r\\n";
        const Bytes line = text.substr(start, end == Bytes::npos ? Bytes::npos : end - start);
        EXPECT_TRUE(std::regex_search(line, stamp)) << line;
        entries.push_back(line.size() > 24 ? line.substr(24) : line);
        start = end == Bytes::npos ? text.size() : end + 2;
    }
    return entries;
}

} // namespace tavo::test
