// The trace: a decorator over any Platform that writes every call as one line
// to a stream, so a session can be read back (or checked by a tool) afterwards.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace platform {

// Decorates any Platform: every call is passed on and written to `out` as one
// line in the trace format, flushed at once.
//
// Engines it returns wrap the inner engine, log under the name given to
// createSoundEngine, and must be destroyed before the TracePlatform.
// kbhit, sleep, time, srand and rand write no line.
class TracePlatform final : public Platform {
public:
    using Millis = std::function<long long()>;  // whole milliseconds since the program started
    TracePlatform(Platform& inner, std::ostream& out, Millis now);

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

    // Writes "<ms> <text>" as one line and flushes it. Used by the traced engines.
    void log(std::string_view text);
    // Tracked sounds are numbered from 1 across all engines, in the order handed out.
    int nextSoundId() { return ++lastSoundId_; }

private:
    Platform& inner_;
    std::ostream& out_;
    Millis now_;
    int lastSoundId_ = 0;
};

// "x,y,z" with each coordinate in its shortest form ("0,2,0", "0,0,-2");
// a negative zero is written 0.
std::string formatPosition(vec3df position);

// Console text on one trace line: a line break becomes \n and a backslash \\.
std::string escapeLine(std::string_view text);

}  // namespace platform
