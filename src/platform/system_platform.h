// The real machine behind the Platform interface: OpenAL Soft sound, the
// terminal's keyboard and screen, and the clock on its 64 Hz grid.
#pragma once

#include "platform/platform.h"
#include "platform/sound_system.h"
#include "platform/terminal.h"

namespace platform {

// Constructing it puts a terminal on standard input into raw mode; every way
// out gives the terminal its settings back. One at a time per process.
// Engines it creates must be destroyed before it.
class SystemPlatform final : public Platform {
public:
    SystemPlatform() = default;

    std::unique_ptr<SoundEngine> createSoundEngine(std::string_view name) override;
    void playSound(const std::string& wavFile, Wait wait) override;
    bool kbhit() override;
    int getch() override;
    std::optional<std::string> readWord() override;
    void write(std::string_view text) override;
    void sleep(int ms) override;
    std::time_t time() override;
    void srand(unsigned seed) override;
    int rand() override;

    // Whole milliseconds since the program started, on the monotonic clock: the trace's timestamps.
    static long long millisSinceStart();

private:
    Terminal terminal_;
    SoundSystem sound_;
};

}  // namespace platform
