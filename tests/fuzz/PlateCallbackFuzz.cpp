// The recognition callback as any library might call it: any param, null pointers, texts without
// a terminating NUL (read only up to their areas), picture counts of any sign and size. No crash
// and no read outside what was passed; a camera's result is stored whole and cut to its areas,
// the plate goes to its serial port as it was stored, and one message is posted.
#include <algorithm>
#include <memory>
#include <tuple>
#include <vector>

#include "camera/MessagePoster.h"
#include "camera/PlateCallback.h"
#include "camera/UnitVerizCamera.h"
#include "tests/camera/FakeIceLibrary.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

using tavo::Bytes;

int posted = 0;

bool CountingPoster(std::uintptr_t, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    FUZZ_CHECK(message == tavo::WM_PLATE_RESULT);
    FUZZ_CHECK(wParam == 3 || wParam == 13);
    ++posted;
    return true;
}

void OpenCameras() {
    tavo::fuzz::ScratchProgramFolder();
    tavo::test::InstallFakeIceLibrary();
    tavo::SetMessagePoster(CountingPoster);
    tavo::CreateCameras();
    tavo::Camera3->NotifyWindow = 1;
    tavo::Camera13->NotifyWindow = 1;
    FUZZ_CHECK(tavo::Camera3->OpenCamera("192.168.1.100", 1));
    FUZZ_CHECK(tavo::Camera13->OpenCamera("192.168.1.101", 2));
}

// A text in a block of its own, or null. A text that fills its area (or more) comes without a
// NUL, exactly as long as it is: the callback must not read past its area. A shorter one ends
// in its NUL, as the library's texts do.
std::unique_ptr<char[]> TextBlock(std::string_view bytes, std::size_t area, bool null) {
    if (null)
        return nullptr;
    const bool terminated = bytes.size() < area - 1;
    auto block = std::make_unique<char[]>(bytes.size() + (terminated ? 1 : 0));
    std::copy(bytes.begin(), bytes.end(), block.get());
    if (terminated)
        block[bytes.size()] = '\0';
    return block;
}

// The picture the library hands over for a count: that many bytes when the count is a size
// the camera can take, else a small block (a refused count is never read).
std::vector<char> PictureBlock(std::int32_t count, std::uint8_t fill) {
    const std::size_t size =
        count > 0 && static_cast<std::size_t>(count) <= tavo::kPictureSize ? count : 1;
    return std::vector<char>(size, static_cast<char>(fill));
}

std::string_view Expected(std::string_view text, std::size_t area) {
    const std::size_t nul = text.find('\0');
    return text.substr(0, std::min(nul == std::string_view::npos ? text.size() : nul, area - 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavo;
    static const bool opened = (OpenCameras(), true);
    (void)opened;
    test::WithFake([](test::FakeIceState& s) {
        s.Calls.clear();
        s.Serial.clear();
        s.Broadcasts.clear();
    });
    posted = 0;

    fuzz::FuzzInput input(data, size);
    const std::uint8_t choice = input.Byte();
    const std::uint8_t nulls = input.Byte();
    const std::int32_t fullCount = input.Int32();
    const std::int32_t closeUpCount = input.Int32();
    const std::string_view address = input.Piece();
    const std::string_view plate = input.Piece();

    int stranger = 0;
    void* params[] = {Camera3, Camera13, nullptr, &stranger};
    void* const param = params[choice % 4];
    TVerizCamera* const camera = choice % 4 < 2 ? static_cast<TVerizCamera*>(param) : nullptr;

    const auto addressBlock = TextBlock(address, kResultIPSize, nulls & 1);
    const auto plateBlock = TextBlock(plate, kResultPlateSize, nulls & 2);
    const std::vector<char> full = PictureBlock(fullCount, 0xF1);
    const std::vector<char> closeUp = PictureBlock(closeUpCount, 0xC2);

    OnPlateResult(param, addressBlock.get(), plateBlock.get(), "",
                  (nulls & 4) ? nullptr : full.data(), fullCount,
                  (nulls & 8) ? nullptr : closeUp.data(), closeUpCount, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, 0);

    if (camera == nullptr) {
        FUZZ_CHECK(posted == 0);
        FUZZ_CHECK(test::WithFake([](test::FakeIceState& s) { return s.Serial.empty(); }));
        return 0;
    }
    FUZZ_CHECK(posted == 1);
    const std::string_view storedPlate =
        plateBlock ? Expected(plate, kResultPlateSize) : std::string_view();
    const auto serial = test::WithFake([](test::FakeIceState& s) { return s.Serial; });
    FUZZ_CHECK(serial.size() == 1 && serial[0].Data == storedPlate);

    TakenResult taken = camera->TakeWaitingResult();
    FUZZ_CHECK(taken.Result != nullptr);
    const TPlateResult& result = *taken.Result;
    FUZZ_CHECK(TextUpToNul(result.ResultPlate, kResultPlateSize) == storedPlate);
    FUZZ_CHECK(TextUpToNul(result.ResultIP, kResultIPSize) ==
               (addressBlock ? Expected(address, kResultIPSize) : std::string_view()));
    for (const auto& [count, isNull, length, refused, bytes, fill] :
         {std::tuple{fullCount, (nulls & 4) != 0, result.FullPictureLen,
                     taken.RefusedFullPictureLen, result.FullPicture, '\xF1'},
          std::tuple{closeUpCount, (nulls & 8) != 0, result.CloseUpLen, taken.RefusedCloseUpLen,
                     result.CloseUpPicture, '\xC2'}}) {
        const bool fits = !isNull && count > 0 && static_cast<std::size_t>(count) <= kPictureSize;
        FUZZ_CHECK(length == (fits ? count : 0));
        FUZZ_CHECK(refused == (!isNull && static_cast<std::int64_t>(count) >
                                              static_cast<std::int64_t>(kPictureSize)
                                   ? count
                                   : 0));
        if (fits)
            FUZZ_CHECK(bytes[0] == fill && bytes[count - 1] == fill);
    }
    return 0;
}
