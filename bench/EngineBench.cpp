// Throughput of the lock engine's passes on generated HTML pages of about
// 1 MB and 10 MB. Run: build/default/bench/engine_bench
// (--benchmark_filter=Compress to pick one).

#include <cstring>
#include <map>

#include <benchmark/benchmark.h>

#include "engine/DataFileBuilder.h"
#include "engine/LockBuffer.h"
#include "engine/PageCipher.h"
#include "engine/StreamReader.h"
#include "tests/support/TestPages.h"

namespace {

using namespace nemora;

const std::vector<std::uint8_t>& Page(std::size_t size) {
    static std::map<std::size_t, std::vector<std::uint8_t>> pages;
    auto& page = pages[size];
    if (page.empty()) page = test::HtmlPage(size, 42);
    return page;
}

void CompressWith(benchmark::State& state, const engine::CompressorOptions& options) {
    const auto& page = Page(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        engine::LockBuffer buffer;
        if (buffer.AssignPage(page.data(), page.size()) != engine::Result::Ok ||
            buffer.Compress(nullptr, options) != engine::Result::Ok) {
            state.SkipWithError("compress failed");
        }
        benchmark::DoNotOptimize(buffer.Bytes());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_Compress(benchmark::State& state) {
    CompressWith(state, {});
}

// The one-thread parse alone, as on a one-processor machine.
void BM_CompressOneThread(benchmark::State& state) {
    CompressWith(state, {.threads = 1});
}

void BM_Encipher(benchmark::State& state) {
    std::vector<std::uint8_t> data(Page(static_cast<std::size_t>(state.range(0))));
    data.resize(data.size() / 8 * 8);
    const engine::PageCipher cipher(engine::DeriveKey("benchmark"));
    for (auto _ : state) {
        (void)cipher.Encipher(data.data(), data.size(), nullptr);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_Read(benchmark::State& state) {
    const auto& page = Page(static_cast<std::size_t>(state.range(0)));
    const engine::Key key = engine::DeriveKey("benchmark");
    const auto locked = engine::BuildDataFile(page.data(), page.size(), "shift_jis", &key);
    const engine::StreamReader reader(key);
    for (auto _ : state) {
        const auto back = reader.Read(locked.data.data(), locked.data.size());
        if (back.status != engine::Result::Ok) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(back.page.data());
    }
    // Counted in page bytes delivered.
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

constexpr std::int64_t kOneMB = 1'000'000;
constexpr std::int64_t kTenMB = 10'000'000;

BENCHMARK(BM_Compress)->Arg(kOneMB)->Arg(kTenMB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompressOneThread)
    ->Arg(kOneMB)
    ->Arg(kTenMB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Encipher)->Arg(kOneMB)->Arg(kTenMB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Read)->Arg(kOneMB)->Arg(kTenMB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
