// Throughput of the table-driven CRC-16 and of the phrase conversion of a plate.
#include <benchmark/benchmark.h>

#include <random>

#include "protocol/ICESDK.h"
#include "protocol/UnitCRC16.h"

namespace {

void BM_Crc16(benchmark::State& state) {
    tavo::Bytes input(static_cast<std::size_t>(state.range(0)), '\0');
    std::mt19937 random(16);
    for (char& c : input)
        c = static_cast<char>(random() & 0xFF);
    for (auto _ : state)
        benchmark::DoNotOptimize(tavo::Crc16(input));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16)->Arg(32)->Arg(4 << 10)->Arg(1 << 20);

void BM_ConvertPlateToPhrases(benchmark::State& state) {
    const std::string_view plate = "\xC3\xF6\x41R2346"; // 闽AR2346
    for (auto _ : state)
        benchmark::DoNotOptimize(tavo::ConvertTextToPhrases(plate));
}
BENCHMARK(BM_ConvertPlateToPhrases);

} // namespace
