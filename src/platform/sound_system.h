// The real machine's sound: one OpenAL Soft device and context, shared by
// every engine it creates, and the WAV player that plays beside them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace platform {

// Engines must be destroyed before their SoundSystem. Its context is current
// for the whole process: keep one SoundSystem at a time.
class SoundSystem {
public:
    SoundSystem();  // cheap: the device is opened at the first request
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // A new group of sounds on the shared device; null when there is no output device.
    std::unique_ptr<SoundEngine> createEngine();
    // The WAV player: the file is read whole at once, a new request ends the
    // last one; untilEnd returns once the sound has been heard. Silent without a device.
    void playWave(const std::string& file, Wait wait);
    // How far ahead of the speakers OpenAL Soft mixes; nullopt when unknown or no device.
    std::optional<double> deviceLatencyMs();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
