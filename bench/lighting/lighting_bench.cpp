#include <benchmark/benchmark.h>

#include "lighting/effect_frames.h"

namespace {

using namespace corvane::lighting;

ActiveLightingImage Record(std::uint8_t mode, bool seven) {
    ActiveLightingImage r{};
    r[kModeOffset] = mode;
    r[kDirectionOffset] = 1;
    r[kSevenColourOffset] = seven ? 1 : 0;
    r[kRedOffset] = 200;
    r[kGreenOffset] = 100;
    r[kBlueOffset] = 50;
    return r;
}

// arg 0: mode; arg 1: seven-colour.
void BM_SyncFrame(benchmark::State& state) {
    SyncEffectState effect;
    SharedLighting shared = SharedFrom(Record(static_cast<std::uint8_t>(state.range(0)), state.range(1) != 0));
    for (auto _ : state) benchmark::DoNotOptimize(SyncFrame(shared, {true, true, true}, effect));
}
BENCHMARK(BM_SyncFrame)->ArgsProduct({{0, 1, 2, 3}, {0, 1}});

void BM_KeyboardFrame(benchmark::State& state) {
    KeyboardEffectState effect;
    const auto record = Record(0, state.range(0) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(KeyboardFrame(record, effect));
}
BENCHMARK(BM_KeyboardFrame)->Arg(0)->Arg(1);

void BM_MouseFrame(benchmark::State& state) {
    EffectSignals signals;
    MouseEffectState effect;
    const auto record = Record(static_cast<std::uint8_t>(state.range(0)), true);
    signals.RequestMouseRippleReset(record[kModeOffset], 1);
    for (auto _ : state) benchmark::DoNotOptimize(MouseFrame(record, effect, signals));
}
BENCHMARK(BM_MouseFrame)->DenseRange(0, 5);

void BM_PadFrame(benchmark::State& state) {
    EffectSignals signals;
    PadEffectState effect;
    const auto record = Record(static_cast<std::uint8_t>(state.range(0)), true);
    signals.RequestPadModeReset(record[kModeOffset]);
    std::uint64_t now = 0;
    for (auto _ : state) {
        if (now % 8 == 0) signals.RaiseFlash();
        benchmark::DoNotOptimize(PadFrame(record, effect, signals, now += 10));
    }
}
BENCHMARK(BM_PadFrame)->DenseRange(0, 8);

}  // namespace

BENCHMARK_MAIN();
