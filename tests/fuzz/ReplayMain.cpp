// Runs a fuzz target over stored inputs instead of under the fuzzer: every file named on the
// command line, or found below a folder named there, once. The test command uses it to replay
// the seed corpora and the kept findings under the sanitizers of the native build.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int failures = 0;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path named(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(named)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(named))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(named);
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            failures += Replay(file);
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return failures == 0 && replayed > 0 ? 0 : 1;
}
