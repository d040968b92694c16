#include "platform/clock.h"

#include <cerrno>
#include <time.h>

namespace platform {
namespace {

std::int64_t monotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t programStart() {
    static const std::int64_t start = monotonicNanos();
    return start;
}

// Taken while the program loads, so "since start" counts from the start.
[[maybe_unused]] const std::int64_t startTakenAtLoad = programStart();

std::int64_t floorToTick(std::int64_t nanos) {
    std::int64_t ticks = nanos / kTickNanos;
    if (nanos % kTickNanos < 0) --ticks;  // round toward minus infinity
    return ticks * kTickNanos;
}

std::int64_t ceilToTick(std::int64_t nanos) {
    std::int64_t floor = floorToTick(nanos);
    return floor == nanos ? nanos : floor + kTickNanos;
}

}  // namespace

std::int64_t nanosSinceStart() { return monotonicNanos() - programStart(); }

long long millisSinceStart() { return nanosSinceStart() / kNanosPerMilli; }

std::int64_t sleepDeadline(std::int64_t now, int ms) {
    if (ms <= 0) return now;
    return ceilToTick(floorToTick(now) + ms * kNanosPerMilli);
}

void sleepOnGrid(int ms) {
    std::int64_t deadline = programStart() + sleepDeadline(nanosSinceStart(), ms);
    timespec until{};
    until.tv_sec = static_cast<time_t>(deadline / 1'000'000'000);
    until.tv_nsec = static_cast<long>(deadline % 1'000'000'000);
    // A signal (a resize, a continue after Ctrl+Z) interrupts; the deadline stays.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

std::time_t wallClockSeconds() { return std::time(nullptr); }

}  // namespace platform
