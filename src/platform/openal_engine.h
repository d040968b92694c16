// A sound engine on the shared OpenAL device: a group of sources of its own,
// so stopping or releasing it silences its sounds and no others.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/buffer_cache.h"
#include "platform/music_stream.h"
#include "platform/openal_objects.h"
#include "platform/platform.h"
#include "platform/voice.h"

namespace platform {

// Recordings longer than this are streamed; shorter ones are decoded whole
// (a few milliseconds at most) and cached.
inline constexpr double kStreamAboveSeconds = 4.0;

class OpenAlEngine final : public SoundEngine {
public:
    OpenAlEngine(BufferCache& cache, MusicStreamer& streamer,
                 double streamAboveSeconds = kStreamAboveSeconds);
    ~OpenAlEngine() override;
    OpenAlEngine(const OpenAlEngine&) = delete;
    OpenAlEngine& operator=(const OpenAlEngine&) = delete;

    Sound* play2D(const std::string& file, bool looped, bool startPaused, bool track) override;
    Sound* play3D(const std::string& file, vec3df at, bool looped, bool startPaused,
                  bool track) override;
    void stopAllSounds() override;

    // For tests: how many of its sounds are heard now, and the sources they hold.
    std::size_t playingCount();
    std::vector<unsigned> sourceIds();

private:
    Sound* play(const std::string& file, const Placement& placement, bool looped, bool paused,
                bool track);
    std::shared_ptr<Voice> startVoice(const std::string& file, const Placement& placement,
                                      bool looped, bool paused);
    std::shared_ptr<const AlBuffer> decodedBuffer(const std::string& file, Layout layout,
                                                  const FileStamp& stamp,
                                                  std::optional<AudioFile>& longFile);
    void reclaimEnded();

    BufferCache& cache_;
    MusicStreamer& streamer_;
    double streamAboveSeconds_;
    // Handed out to the game: kept until the engine goes, even once finished.
    std::vector<std::shared_ptr<Voice>> tracked_;
    // Not handed out: dropped once they have ended.
    std::vector<std::shared_ptr<Voice>> untracked_;
};

}  // namespace platform
