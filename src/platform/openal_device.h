// The one OpenAL Soft output device and its context, shared by every engine
// and the WAV player.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

struct ALCdevice_struct;
struct ALCcontext_struct;

namespace platform {

class OpenAlDevice {
public:
    // Null when there is no output to play on. The context is made current
    // for the whole process; open one device at a time.
    static std::unique_ptr<OpenAlDevice> open();
    ~OpenAlDevice();
    OpenAlDevice(const OpenAlDevice&) = delete;
    OpenAlDevice& operator=(const OpenAlDevice&) = delete;

    bool hrtfEnabled() const { return hrtf_; }
    // How far ahead of the speakers the device mixes; nullopt when it cannot tell.
    std::optional<double> latencyMs() const;

private:
    OpenAlDevice(ALCdevice_struct* device, ALCcontext_struct* context, bool hrtf);

    ALCdevice_struct* device_;
    ALCcontext_struct* context_;
    bool hrtf_;
};

// OpenAL Soft falls back to its silent "No Output" device when nothing else
// opens. That is no sound at all to a player, so it counts as output only when
// ALSOFT_DRIVERS asks for it by name (as the tests do).
bool isRealOutput(std::string_view deviceName, const char* alsoftDrivers);

}  // namespace platform
