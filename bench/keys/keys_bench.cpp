#include <benchmark/benchmark.h>

#include "keys/function_page.h"
#include "keys/screen_key_map.h"

namespace {

using namespace corvane::keys;

// A full keyboard whose factory table lists the screen keys in reverse: the worst case for the
// first-match search.
DefaultKeyTable ReversedFactoryTable() {
    std::array<KeyEntry, kScreenKeyCount> entries{};
    for (std::size_t n = 0; n < kScreenKeyCount; ++n) entries[n] = ScreenKeyDefaults[kScreenKeyCount - 1 - n];
    return MakeKeyTable(entries);
}

void BM_BuildScreenKeyMap(benchmark::State& state) {
    const auto defaults = ReversedFactoryTable();
    for (auto _ : state) {
        auto map = EmptyScreenKeyMap();
        BuildScreenKeyMap(map, defaults, kScreenKeyCount);
        benchmark::DoNotOptimize(map);
    }
}
BENCHMARK(BM_BuildScreenKeyMap);

void BM_ShowThenBuildEntry(benchmark::State& state) {
    FunctionPageState page;
    page.macroItems = 50;
    const KeyEntry entry{FunctionKind::MediaKeyFunction, 0x8A, 0x01};
    const KeyEntry factory{FunctionKind::KeyboardKeyFunction, 0, 4};
    for (auto _ : state) {
        ShowEntry(corvane::device::DeviceKind::Keyboard, entry, factory, page);
        benchmark::DoNotOptimize(BuildEntry(FunctionKind::MediaKeyFunction, page, factory));
    }
}
BENCHMARK(BM_ShowThenBuildEntry);

}  // namespace

BENCHMARK_MAIN();
