// The log line writer for any text: the file gains exactly one line, the time stamp, the text
// byte for byte (0x00 bytes included) and CR LF; the error log takes any text the same way.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/HostPath.h"
#include "records/tavoLogUnit.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

tavo::Bytes ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return tavo::Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// "YYYY-MM-DD HH:MM:SS "
bool IsStamp(std::string_view stamp) {
    constexpr std::string_view pattern = "dddd-dd-dd dd:dd:dd ";
    if (stamp.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] == 'd' ? (stamp[i] < '0' || stamp[i] > '9') : stamp[i] != pattern[i])
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavo;
    static const bool started = [] {
        fuzz::ScratchProgramFolder();
        StartLogUnit();
        return true;
    }();
    (void)started;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::filesystem::path file = ProgramPath("Log\\fuzz.txt");
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    FUZZ_CHECK(AppendLogLine(ProgramFolder() + "Log\\fuzz.txt", text));
    FUZZ_CHECK(AppendLogLine(ProgramFolder() + "Log\\fuzz.txt", text));
    const Bytes written = ReadAll(file);
    const std::size_t line = 20 + text.size() + 2;
    FUZZ_CHECK(written.size() == 2 * line);
    for (const std::size_t at : {std::size_t{0}, line}) {
        FUZZ_CHECK(IsStamp(std::string_view(written).substr(at, 20)));
        FUZZ_CHECK(written.compare(at + 20, text.size(), text) == 0);
        FUZZ_CHECK(written.compare(at + 20 + text.size(), 2, "\r\n") == 0);
    }

    FUZZ_CHECK(ErrorLog(text));
    for (const auto& entry : std::filesystem::directory_iterator(ProgramPath("Log"), ignored))
        if (entry.is_regular_file())
            std::filesystem::remove(entry.path(), ignored);
    return 0;
}
