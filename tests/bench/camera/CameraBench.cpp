// The camera link's two costs that matter, each beside its floor:
//   - the callback's hold on the library thread with two 1 MiB pictures, against a bare memcpy
//     of the same bytes (the callback should stay within 1.5x of it);
//   - the handling of one result on the window thread (two archived files, two frames), against
//     plain writes of the same two files (within 1.3x).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "camera/IceLibrary.h"
#include "camera/MessagePoster.h"
#include "camera/PlateCallback.h"
#include "camera/PlateResultHandler.h"
#include "camera/UnitVerizCamera.h"
#include "common/Clock.h"
#include "common/GbkText.h"
#include "common/HostFile.h"
#include "common/HostPath.h"
#include "records/tavoLogUnit.h"

namespace {

using namespace tavo;

constexpr std::size_t kMiB = 1 << 20;

// A library that answers at once and a window system that takes every message.
int32_t ICE_CALL Succeed() {
    return 1;
}
ICE_HANDLE ICE_CALL Open(const char*, int32_t, int32_t, uintptr_t, ICE_IPCSDK_OnPlate, void*) {
    return 7;
}
int32_t ICE_CALL SucceedFor(ICE_HANDLE) {
    return 1;
}
int32_t ICE_CALL Send(ICE_HANDLE, const char*, int32_t) {
    return 1;
}
int32_t ICE_CALL Speak(ICE_HANDLE, const char*) {
    return 1;
}
bool Post(std::uintptr_t, std::uint32_t, std::uintptr_t, std::intptr_t) {
    return true;
}

class NoWindow : public PlateResultTarget {
public:
    void SetPlateText(std::string_view) override {}
    void SetImagePath(std::string_view) override {}
};

std::string Picture(char seed) {
    std::string picture(kMiB, '\0');
    std::mt19937 random(static_cast<unsigned>(seed));
    for (char& c : picture)
        c = static_cast<char>(random());
    return picture;
}

// A station in a temporary program folder with Camera3 open; gone at the end of the scope.
class Station {
public:
    Station() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tavo-camera-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder_);
        SetProgramFolder(Utf16ToGbk(folder_.u16string()));
        SetClockForTesting([] { return LocalTime{2024, 3, 5, 14, 7, 9, 0}; });
        StartLogUnit();
        SetIceLibrary({Succeed, Succeed, Open, SucceedFor, SucceedFor, Send, Speak});
        SetMessagePoster(Post);
        CreateCameras();
        Camera3->OpenCamera("192.168.1.100", 1);
    }
    ~Station() {
        FreeCameras();
        SetMessagePoster(nullptr);
        SetIceLibrary(FailingIceLibrary());
        SetClockForTesting({});
        std::filesystem::remove_all(folder_);
    }
    // Where the archive puts this day's pictures of the camera.
    std::filesystem::path DayFolder() const {
        return ProgramPath("Log\\192.168.1.100\\2024\\03\\05");
    }
    // Empties the day folder, so that each round writes new files.
    void ClearDay() const {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(DayFolder(), ignored))
            std::filesystem::remove(entry.path(), ignored);
    }

private:
    std::filesystem::path folder_;
};

void Deliver(const std::string& full, const std::string& closeUp) {
    OnPlateResult(Camera3, "192.168.1.100", "\xC3\xF6\x41R2346", "blue", full.data(),
                  static_cast<std::int32_t>(full.size()), closeUp.data(),
                  static_cast<std::int32_t>(closeUp.size()), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

void BM_CallbackTwoPictures(benchmark::State& state) {
    Station station;
    const std::string full = Picture(1);
    const std::string closeUp = Picture(2);
    for (auto _ : state) {
        Deliver(full, closeUp);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * kMiB);
}
BENCHMARK(BM_CallbackTwoPictures);

void BM_MemcpyTwoPictures(benchmark::State& state) {
    const std::string full = Picture(1);
    const std::string closeUp = Picture(2);
    std::vector<char> a(kMiB + 1, 1);
    std::vector<char> b(kMiB + 1, 1);
    for (auto _ : state) {
        std::memcpy(a.data(), full.data(), full.size());
        std::memcpy(b.data(), closeUp.data(), closeUp.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * kMiB);
}
BENCHMARK(BM_MemcpyTwoPictures);

void BM_HandleOneResult(benchmark::State& state) {
    Station station;
    const std::string full = Picture(1);
    const std::string closeUp = Picture(2);
    NoWindow window;
    for (auto _ : state) {
        state.PauseTiming();
        station.ClearDay();
        Deliver(full, closeUp);
        state.ResumeTiming();
        HandlePlateResult(3, window);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * kMiB);
}
BENCHMARK(BM_HandleOneResult)->UseRealTime();

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    OpenHostFile(path, "wb").WriteAndClose(bytes);
}

void BM_PlainWriteTwoFiles(benchmark::State& state) {
    Station station;
    const std::string full = Picture(1);
    const std::string closeUp = Picture(2);
    std::filesystem::create_directories(station.DayFolder());
    const auto fullPath = station.DayFolder() / "full.jpg";
    const auto closeUpPath = station.DayFolder() / "close_plate.jpg";
    for (auto _ : state) {
        state.PauseTiming();
        station.ClearDay();
        state.ResumeTiming();
        WriteFile(closeUpPath, closeUp);
        WriteFile(fullPath, full);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * kMiB);
}
BENCHMARK(BM_PlainWriteTwoFiles)->UseRealTime();

} // namespace
