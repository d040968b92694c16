// 640 consecutive 1 ms sleeps are 640 ticks of the 64 Hz grid: 10.0 s. Reports
// how far the real clock is off that, and how much of a core the sleeper uses.
#include <benchmark/benchmark.h>

#include <chrono>

#include <sys/resource.h>

#include "platform/clock.h"

namespace {

constexpr int kSleeps = 640;
constexpr double kExpectedSeconds = kSleeps * platform::kTickNanos / 1e9;  // 10.0

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_SixHundredFortyOneMsSleeps(benchmark::State& state) {
    double wallSeconds = 0;
    double cpuUsed = 0;
    for (auto _ : state) {
        platform::sleepOnGrid(1);  // start on a grid point, as a game's tick loop does
        double cpuBefore = cpuSeconds();
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kSleeps; ++i) platform::sleepOnGrid(1);
        wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpuUsed = cpuSeconds() - cpuBefore;
    }
    state.counters["seconds"] = wallSeconds;
    state.counters["error_pct"] = (wallSeconds - kExpectedSeconds) / kExpectedSeconds * 100;
    state.counters["cpu_pct_of_core"] = cpuUsed / wallSeconds * 100;
}

BENCHMARK(BM_SixHundredFortyOneMsSleeps)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
