#include "platform/openal_engine.h"

#include <algorithm>

namespace platform {
namespace {

// A sound played from a whole decoded buffer, shared with the cache.
class BufferVoice final : public Voice {
public:
    BufferVoice(std::shared_ptr<const AlBuffer> buffer, AlSource source, bool spatial)
        : buffer_(std::move(buffer)), source_(std::move(source)), spatial_(spatial) {}

    bool start(const Placement& placement, bool looped, bool paused) {
        alGetError();
        applyPlacement(source_.id(), placement);
        alSourcei(source_.id(), AL_LOOPING, looped ? AL_TRUE : AL_FALSE);
        alSourcei(source_.id(), AL_BUFFER, static_cast<ALint>(buffer_->id()));
        if (!paused) alSourcePlay(source_.id());
        return alGetError() == AL_NO_ERROR;
    }

    void setIsPaused(bool paused) override {
        const ALint state = source_.state();
        if (paused && state == AL_PLAYING) alSourcePause(source_.id());
        // Playing a source that already plays would start it over.
        if (!paused && (state == AL_PAUSED || state == AL_INITIAL)) alSourcePlay(source_.id());
    }
    void setPosition(vec3df position) override {
        if (spatial_ && source_) moveSource(source_.id(), position);
    }
    bool isFinished() override { return !source_ || source_.state() == AL_STOPPED; }
    void stop() override {
        source_.reset();
        buffer_.reset();
    }
    bool isPlaying() override { return source_ && source_.state() == AL_PLAYING; }
    unsigned sourceId() override { return source_.id(); }

private:
    std::shared_ptr<const AlBuffer> buffer_;
    AlSource source_;  // after the buffer: stops using it before it may go
    bool spatial_;
};

}  // namespace

OpenAlEngine::OpenAlEngine(BufferCache& cache, MusicStreamer& streamer,
                           double streamAboveSeconds)
    : cache_(cache), streamer_(streamer), streamAboveSeconds_(streamAboveSeconds) {}

OpenAlEngine::~OpenAlEngine() { stopAllSounds(); }

Sound* OpenAlEngine::play2D(const std::string& file, bool looped, bool startPaused, bool track) {
    return play(file, Placement{}, looped, startPaused, track);
}

Sound* OpenAlEngine::play3D(const std::string& file, vec3df at, bool looped, bool startPaused,
                            bool track) {
    return play(file, Placement{true, at}, looped, startPaused, track);
}

void OpenAlEngine::stopAllSounds() {
    for (const auto& voice : tracked_) voice->stop();
    for (const auto& voice : untracked_) voice->stop();
    untracked_.clear();
}

std::size_t OpenAlEngine::playingCount() {
    std::size_t count = 0;
    for (const auto& voice : tracked_) count += voice->isPlaying() ? 1 : 0;
    for (const auto& voice : untracked_) count += voice->isPlaying() ? 1 : 0;
    return count;
}

std::vector<unsigned> OpenAlEngine::sourceIds() {
    std::vector<unsigned> ids;
    for (const auto* group : {&tracked_, &untracked_})
        for (const auto& voice : *group)
            if (voice->sourceId() != 0) ids.push_back(voice->sourceId());
    return ids;
}

Sound* OpenAlEngine::play(const std::string& file, const Placement& placement, bool looped,
                          bool paused, bool track) {
    reclaimEnded();
    std::shared_ptr<Voice> voice = startVoice(file, placement, looped, paused);
    if (!voice) return nullptr;
    if (!track) {
        untracked_.push_back(std::move(voice));
        return nullptr;
    }
    tracked_.push_back(voice);
    return voice.get();
}

std::shared_ptr<Voice> OpenAlEngine::startVoice(const std::string& file,
                                                const Placement& placement, bool looped,
                                                bool paused) {
    const std::optional<FileStamp> stamp = stampOf(file);
    if (!stamp) return nullptr;
    const Layout layout = placement.spatial ? Layout::mono : Layout::asRecorded;
    std::optional<AudioFile> longFile;
    std::shared_ptr<const AlBuffer> buffer = decodedBuffer(file, layout, *stamp, longFile);
    if (longFile) {
        auto stream = StreamVoice::create(std::move(*longFile), placement, looped, paused);
        if (stream) streamer_.add(stream);
        return stream;
    }
    if (!buffer) return nullptr;
    AlSource source = AlSource::create();
    if (!source) return nullptr;
    auto voice = std::make_shared<BufferVoice>(std::move(buffer), std::move(source),
                                               placement.spatial);
    if (!voice->start(placement, looped, paused)) return nullptr;
    return voice;
}

// The cached buffer of a short recording (decoding it on a miss); a long one
// is left open in `longFile` for streaming instead.
std::shared_ptr<const AlBuffer> OpenAlEngine::decodedBuffer(const std::string& file,
                                                            Layout layout,
                                                            const FileStamp& stamp,
                                                            std::optional<AudioFile>& longFile) {
    if (auto cached = cache_.find(file, layout, stamp)) return cached;
    std::optional<AudioFile> audio = AudioFile::open(file, layout);
    if (!audio) return nullptr;
    if (double(audio->frames()) > streamAboveSeconds_ * audio->sampleRate()) {
        longFile = std::move(audio);
        return nullptr;
    }
    std::optional<PcmAudio> pcm = decodeWhole(*audio);
    if (!pcm) return nullptr;
    AlBuffer buffer = AlBuffer::create();
    if (!buffer.fill(pcm->samples, pcm->channels, pcm->sampleRate)) return nullptr;
    auto shared = std::make_shared<const AlBuffer>(std::move(buffer));
    cache_.store(file, layout, stamp, shared);
    return shared;
}

// Gives back the sources of sounds that have ended, so a long game never runs
// out of them; tracked handles stay, finished.
void OpenAlEngine::reclaimEnded() {
    for (const auto& voice : tracked_)
        if (voice->sourceId() != 0 && voice->isFinished()) voice->stop();
    std::erase_if(untracked_, [](const auto& voice) { return voice->isFinished(); });
}

}  // namespace platform
