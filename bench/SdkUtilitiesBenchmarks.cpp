// Costs the SDK utilities promise: a line below the log level is dropped before any
// formatting, and gzip works in small steps over one growing buffer.
#include "sdk/utilities/ZULLogger.hpp"
#include "sdk/utilities/ZULNSData+zlib.hpp"

#include <benchmark/benchmark.h>

#include <random>

namespace {

void DroppedDebugLine(benchmark::State& state) {
    ZULLoggerInitialize();  // default level: notice, so debug lines are dropped
    for (auto _ : state)
        ZULLogDebug("com.example.bench", "[Bench]", false, "I-BEN000001", "value %@ of %ld", "text", 42);
}
BENCHMARK(DroppedDebugLine);

// Bundle-like bytes: repetitive structure with varying numbers.
std::shared_ptr<foundation::Data> payload(std::size_t length) {
    std::mt19937 generator(1);
    std::string text;
    while (text.size() < length)
        text += "{\"name\":\"open_bookmark\",\"browser\":\"chrome\",\"timestamp\":" + std::to_string(generator()) + "},";
    text.resize(length);
    return foundation::Data::fromString(text);
}

void GzipCompress(benchmark::State& state) {
    auto data = payload(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(zul_dataByGzippingData(data, nullptr));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(GzipCompress)->Arg(4 << 10)->Arg(1 << 20);

void GzipInflate(benchmark::State& state) {
    auto compressed = zul_dataByGzippingData(payload(static_cast<std::size_t>(state.range(0))), nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(zul_dataByInflatingGzippedData(compressed, nullptr));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(GzipInflate)->Arg(4 << 10)->Arg(1 << 20);

}  // namespace
