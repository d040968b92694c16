#include "platform/system_platform.h"

#include <cstdlib>

#include "platform/clock.h"

namespace platform {

// Every engine is a group of sources on the one shared device; the name is
// the game's own and matters only to the trace.
std::unique_ptr<SoundEngine> SystemPlatform::createSoundEngine(std::string_view) { return sound_.createEngine(); }

void SystemPlatform::playSound(const std::string& wavFile, Wait wait) { sound_.playWave(wavFile, wait); }

bool SystemPlatform::kbhit() { return terminal_.kbhit(); }

int SystemPlatform::getch() { return terminal_.getch(); }

std::optional<std::string> SystemPlatform::readWord() { return terminal_.readWord(); }

void SystemPlatform::write(std::string_view text) { terminal_.write(text); }

void SystemPlatform::sleep(int ms) { sleepOnGrid(ms); }

std::time_t SystemPlatform::time() { return wallClockSeconds(); }

void SystemPlatform::srand(unsigned seed) { std::srand(seed); }

int SystemPlatform::rand() { return std::rand(); }

long long SystemPlatform::millisSinceStart() { return platform::millisSinceStart(); }

}  // namespace platform
