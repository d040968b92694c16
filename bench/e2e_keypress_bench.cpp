// Keypress to play2D through the real terminal path: the built program runs in
// a pseudo-terminal at its main menu; each Down arrow is typed as the bytes a
// terminal sends, and the menu answers with the play2D of the next item's name.
//
// Two figures per press:
//   through the terminal: from typing the bytes until the trace shows play2D's
//     line (pty, key decoding, the game, play2D's return, the trace's write and
//     an inotify wake-up here): an upper bound of the player's latency;
//   in the program: from the trace's line for the key read to the line after
//     play2D returned (whole milliseconds, the trace's resolution).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/inotify.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "../tests/e2e/program_run.h"

namespace {

using namespace e2e;

constexpr int kWarmUp = 5;  // once round the menu: every item's name is decoded and cached
constexpr int kPresses = 200;

// Wakes up as soon as the program writes its trace.
class TraceWatch {
public:
    explicit TraceWatch(const std::filesystem::path& file) : fd_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
        ::inotify_add_watch(fd_, file.c_str(), IN_MODIFY);
    }
    ~TraceWatch() { ::close(fd_); }

    std::optional<TraceLine> await(TraceReader& trace, std::string_view prefix, Millis timeout) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            if (auto line = trace.next(prefix, Millis(0))) return line;
            auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
            if (left <= 0) return std::nullopt;
            pollfd watch{fd_, POLLIN, 0};
            if (::poll(&watch, 1, static_cast<int>(std::min<long long>(left, 50))) > 0) {
                char events[4096];
                while (::read(fd_, events, sizeof events) > 0) {
                }
            }
        }
    }

private:
    int fd_;
};

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

void BM_KeypressToPlay2D(benchmark::State& state) {
    for (auto _ : state) {
        ProgramRun run(Launch{VAKSOTET_PROGRAM, VAKSOTET_SOURCE_DIR, skipJingle()});
        if (!run.await("play2D zenemotor hangok/menu/ujjatek.wav")) {
            state.SkipWithError("the menu never came");
            return;
        }
        TraceWatch watch(run.traceFile());
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pause(40, 80);  // a quick player, not a machine gun
        std::vector<double> throughTerminal, inProgram;
        for (int press = 0; press < kWarmUp + kPresses; ++press) {
            const auto typed = Clock::now();
            run.type(keys::downCsi);
            auto key = watch.await(run.trace(), "key 80", kPatience);
            auto played = watch.await(run.trace(), "play2D zenemotor hangok/menu/", kPatience);
            const auto seen = Clock::now();
            if (!key || !played) {
                state.SkipWithError("a key press went unanswered");
                return;
            }
            if (press >= kWarmUp) {
                throughTerminal.push_back(std::chrono::duration<double, std::milli>(seen - typed).count());
                inProgram.push_back(static_cast<double>(played->ms - key->ms));
            }
            std::this_thread::sleep_for(Millis(pause(random)));
        }
        state.counters["presses"] = kPresses;
        state.counters["terminal_p50_ms"] = percentile(throughTerminal, 0.50);
        state.counters["terminal_p99_ms"] = percentile(throughTerminal, 0.99);
        state.counters["terminal_max_ms"] = percentile(throughTerminal, 1.0);
        state.counters["program_p99_ms"] = percentile(inProgram, 0.99);
        state.counters["program_max_ms"] = percentile(inProgram, 1.0);
    }
}
BENCHMARK(BM_KeypressToPlay2D)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
