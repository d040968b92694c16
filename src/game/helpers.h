// Small pieces shared by the game's stage files.
#pragma once

#include "platform/platform.h"

namespace game {

// Thrown by the menus' exit items once they have released their engines;
// run() catches it, so that every destructor on the way out still runs and
// the terminal is restored.
struct ExitRequested {};

// Plays a file on an engine once (or looped): not paused, not tracked.
inline void play(platform::SoundEngine& engine, const char* file) { engine.play2D(file, false, false, false); }
inline void playLooped(platform::SoundEngine& engine, const char* file) { engine.play2D(file, true, false, false); }

}  // namespace game
