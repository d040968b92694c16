// Long recordings (the music) are never decoded whole on the game's thread:
// a background thread decodes them a little ahead into a few queued buffers.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/audio_file.h"
#include "platform/openal_objects.h"
#include "platform/voice.h"

namespace platform {

// A sound fed from its file while it plays. The game's thread and the
// streamer's both use it, so every member is guarded by its mutex.
class StreamVoice final : public Voice {
public:
    // Null when the device has no source left. It starts on the streamer's
    // next pass (at once when it is added), unless paused.
    static std::shared_ptr<StreamVoice> create(AudioFile file, const Placement& placement,
                                               bool looped, bool paused);

    void setIsPaused(bool paused) override;
    void setPosition(vec3df position) override;
    bool isFinished() override;
    void stop() override;
    bool isPlaying() override;
    unsigned sourceId() override;

    // What it queues: 1 or 2 channels; 0 once it has ended.
    int channels();

    // The streamer's side: refills what has been played; false once it has ended.
    bool service();

private:
    static constexpr std::size_t kBuffers = 4;
    static constexpr std::size_t kFramesPerBuffer = 4096;  // about 90 ms each

    StreamVoice(AudioFile file, AlSource source, bool spatial, bool looped, bool paused);
    void begin();
    bool queueNext(ALuint buffer);
    void release();

    std::mutex mutex_;
    std::optional<AudioFile> file_;
    std::array<AlBuffer, kBuffers> buffers_;
    AlSource source_;  // after the buffers: let go of them before they are deleted
    std::vector<ALuint> unqueued_;
    std::vector<std::int16_t> pcm_;
    bool spatial_;
    bool looped_;
    bool paused_;
    bool started_ = false;
    bool atEnd_ = false;
    bool ended_ = false;
};

// The background thread that keeps every stream fed. It starts with the
// first stream and sleeps while there is none.
class MusicStreamer {
public:
    MusicStreamer() = default;
    ~MusicStreamer();
    MusicStreamer(const MusicStreamer&) = delete;
    MusicStreamer& operator=(const MusicStreamer&) = delete;

    void add(std::shared_ptr<StreamVoice> voice);
    std::size_t activeCount() const;

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::shared_ptr<StreamVoice>> voices_;
    bool quitting_ = false;
    std::thread thread_;
};

}  // namespace platform
