#include "platform/openal_device.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace platform {
namespace {

constexpr std::string_view kNullDeviceName = "No Output";

// OpenAL Soft mixes 3 periods of 1024 frames ahead by default, about 64 ms:
// too slow for a game played by ear. Its period can only be set in a config
// file, read once when the library starts, so a small one is written to a
// temporary file and announced through ALSOFT_CONF while the device opens.
// A player's own ALSOFT_CONF wins.
class LowLatencyConfig {
public:
    LowLatencyConfig() {
        if (std::getenv("ALSOFT_CONF") != nullptr) return;
        const char* dir = std::getenv("TMPDIR");
        std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") +
                           "/vaksotet-alsoft-XXXXXX";
        const int fd = mkstemp(path.data());
        if (fd < 0) return;
        static constexpr std::string_view kConfig =
            "[general]\nperiod_size = 512\nperiods = 3\n";
        const bool written = write(fd, kConfig.data(), kConfig.size()) ==
                             static_cast<ssize_t>(kConfig.size());
        ::close(fd);
        if (!written || setenv("ALSOFT_CONF", path.c_str(), 0) != 0) {
            std::remove(path.c_str());
            return;
        }
        path_ = path;
    }
    ~LowLatencyConfig() {
        if (path_.empty()) return;
        unsetenv("ALSOFT_CONF");
        std::remove(path_.c_str());
    }
    LowLatencyConfig(const LowLatencyConfig&) = delete;
    LowLatencyConfig& operator=(const LowLatencyConfig&) = delete;

private:
    std::string path_;
};

// Opening the device probes the sound drivers, and ALSA and OpenAL Soft
// write their complaints to standard error. On a machine without sound the
// player's screen reader would read a screenful of them before the game's one
// line, so they are dropped while the device opens; a developer who sets
// ALSOFT_LOGLEVEL still sees them.
class QuietStderr {
public:
    QuietStderr() {
        if (std::getenv("ALSOFT_LOGLEVEL") != nullptr) return;
        const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (devNull < 0) return;
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        if (saved_ >= 0) ::dup2(devNull, STDERR_FILENO);
        ::close(devNull);
    }
    ~QuietStderr() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

std::string_view deviceName(ALCdevice* device) {
    // OpenAL Soft 1.19 names the opened device under ALC_ALL_DEVICES_SPECIFIER.
    const ALCchar* name = alcGetString(device, ALC_ALL_DEVICES_SPECIFIER);
    return name != nullptr ? name : "";
}

// Headphones make front, back, above and below audible with HRTF.
bool offersHrtf(ALCdevice* device) {
    if (alcIsExtensionPresent(device, "ALC_SOFT_HRTF") != ALC_TRUE) return false;
    ALCint count = 0;
    alcGetIntegerv(device, ALC_NUM_HRTF_SPECIFIERS_SOFT, 1, &count);
    return count > 0;
}

bool hrtfActive(ALCdevice* device) {
    if (alcIsExtensionPresent(device, "ALC_SOFT_HRTF") != ALC_TRUE) return false;
    ALCint status = ALC_HRTF_DISABLED_SOFT;
    alcGetIntegerv(device, ALC_HRTF_STATUS_SOFT, 1, &status);
    return status == ALC_HRTF_ENABLED_SOFT;
}

}  // namespace

bool isRealOutput(std::string_view deviceName, const char* alsoftDrivers) {
    if (deviceName != kNullDeviceName) return true;
    if (alsoftDrivers == nullptr) return false;
    // A comma-separated list; "-name" leaves a driver out, a trailing comma
    // lets the rest in, which is no request for the null driver.
    std::string_view list = alsoftDrivers;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (item == "null") return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

std::unique_ptr<OpenAlDevice> OpenAlDevice::open() {
    ALCdevice* device = nullptr;
    {
        LowLatencyConfig config;
        QuietStderr quiet;
        device = alcOpenDevice(nullptr);
    }
    if (device == nullptr) return nullptr;
    if (!isRealOutput(deviceName(device), std::getenv("ALSOFT_DRIVERS"))) {
        alcCloseDevice(device);
        return nullptr;
    }
    const ALCint withHrtf[] = {ALC_HRTF_SOFT, ALC_TRUE, 0};
    ALCcontext* context = alcCreateContext(device, offersHrtf(device) ? withHrtf : nullptr);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context != nullptr) alcDestroyContext(context);
        alcCloseDevice(device);
        return nullptr;
    }
    return std::unique_ptr<OpenAlDevice>(new OpenAlDevice(device, context, hrtfActive(device)));
}

OpenAlDevice::OpenAlDevice(ALCdevice* device, ALCcontext* context, bool hrtf)
    : device_(device), context_(context), hrtf_(hrtf) {}

OpenAlDevice::~OpenAlDevice() {
    if (alcGetCurrentContext() == context_) alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
}

std::optional<double> OpenAlDevice::latencyMs() const {
    if (alcIsExtensionPresent(device_, "ALC_SOFT_device_clock") != ALC_TRUE) return std::nullopt;
    auto getInteger64 = reinterpret_cast<LPALCGETINTEGER64VSOFT>(
        alcGetProcAddress(device_, "alcGetInteger64vSOFT"));
    if (getInteger64 == nullptr) return std::nullopt;
    ALCint64SOFT nanoseconds = -1;
    getInteger64(device_, ALC_DEVICE_LATENCY_SOFT, 1, &nanoseconds);
    if (nanoseconds < 0) return std::nullopt;
    return static_cast<double>(nanoseconds) / 1e6;
}

}  // namespace platform
