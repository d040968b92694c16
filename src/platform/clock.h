// The game's clock: sleeps on a fixed 64 Hz grid, the way the console the game
// was tuned on counts its system timer, so time limits counted in 1 ms sleeps
// keep their length (1 ms sleeps are one tick each, a second is 64 ticks).
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

inline constexpr std::int64_t kNanosPerMilli = 1'000'000;
inline constexpr std::int64_t kTickNanos = 15'625'000;  // one tick of the 64 Hz grid

// Nanoseconds on the monotonic clock since the program started; the grid's origin.
std::int64_t nanosSinceStart();
// Whole milliseconds since the program started, for the trace.
long long millisSinceStart();

// When a sleep of `ms` asked at `now` (nanoseconds since the origin) ends: the
// first grid point at least `ms` after the tick the call falls in. Counting
// from the tick, as a tick-driven timer does, makes a 1 ms sleep end at the
// next tick and a whole second exactly 64 ticks after the last one, however
// late in its tick the call came. A result not after `now` means no wait.
std::int64_t sleepDeadline(std::int64_t now, int ms);

// Sleeps until sleepDeadline(now, ms), on absolute deadlines of the monotonic
// clock so the ticks never drift. ms <= 0 returns at once.
void sleepOnGrid(int ms);

// Wall-clock seconds, for seeding the random numbers.
std::time_t wallClockSeconds();

}  // namespace platform
