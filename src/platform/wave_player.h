// The WAV player: one recording at a time on a source of its own, beside the
// engines. The file is read whole at the request, so it may be rewritten at once.
#pragma once

#include <string>

#include "platform/openal_device.h"
#include "platform/openal_objects.h"
#include "platform/platform.h"

namespace platform {

class WavePlayer {
public:
    explicit WavePlayer(const OpenAlDevice& device) : device_(device) {}
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    // Ends the sound of the last request, then plays `file`; a file that
    // cannot be read plays nothing. untilEnd returns once it has been heard.
    void play(const std::string& file, Wait wait);
    bool isPlaying() const;

private:
    void waitUntilHeard(double seconds) const;

    const OpenAlDevice& device_;
    AlBuffer buffer_;
    AlSource source_;  // after the buffer: lets go of it before it is deleted
};

}  // namespace platform
