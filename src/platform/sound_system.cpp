#include "platform/sound_system.h"

#include <mutex>

#include "platform/buffer_cache.h"
#include "platform/music_stream.h"
#include "platform/openal_device.h"
#include "platform/openal_engine.h"
#include "platform/wave_player.h"

namespace platform {

struct SoundSystem::Impl {
    std::mutex mutex;
    bool opened = false;
    // Declared in the order they are built; each goes before what it uses.
    std::unique_ptr<OpenAlDevice> device;
    std::unique_ptr<BufferCache> cache;
    std::unique_ptr<MusicStreamer> streamer;
    std::unique_ptr<WavePlayer> wavePlayer;

    // The device, opened at the first request; null when there is no output.
    OpenAlDevice* ensureDevice() {
        if (!opened) {
            opened = true;
            device = OpenAlDevice::open();
            if (device) {
                cache = std::make_unique<BufferCache>();
                streamer = std::make_unique<MusicStreamer>();
                wavePlayer = std::make_unique<WavePlayer>(*device);
            }
        }
        return device.get();
    }

    ~Impl() {
        wavePlayer.reset();
        streamer.reset();
        cache.reset();
        device.reset();
    }
};

SoundSystem::SoundSystem() : impl_(std::make_unique<Impl>()) {}

SoundSystem::~SoundSystem() = default;

std::unique_ptr<SoundEngine> SoundSystem::createEngine() {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->ensureDevice()) return nullptr;
    return std::make_unique<OpenAlEngine>(*impl_->cache, *impl_->streamer);
}

void SoundSystem::playWave(const std::string& file, Wait wait) {
    std::unique_lock lock(impl_->mutex);
    if (!impl_->ensureDevice()) return;
    lock.unlock();  // the game calls from one thread; only the device needs the lock
    impl_->wavePlayer->play(file, wait);
}

std::optional<double> SoundSystem::deviceLatencyMs() {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->ensureDevice()) return std::nullopt;
    return impl_->device->latencyMs();
}

}  // namespace platform
