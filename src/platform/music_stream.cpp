#include "platform/music_stream.h"

#include <algorithm>
#include <chrono>

namespace platform {
namespace {

// Four buffers of ~90 ms hold about a third of a second: a pass every 15 ms
// refills them long before they run dry.
constexpr auto kServicePeriod = std::chrono::milliseconds(15);

}  // namespace

std::shared_ptr<StreamVoice> StreamVoice::create(AudioFile file, const Placement& placement,
                                                 bool looped, bool paused) {
    AlSource source = AlSource::create();
    if (!source) return nullptr;
    applyPlacement(source.id(), placement);
    // Looping is done here, by reading the file again, so OpenAL must not repeat a buffer.
    alSourcei(source.id(), AL_LOOPING, AL_FALSE);
    auto voice = std::shared_ptr<StreamVoice>(
        new StreamVoice(std::move(file), std::move(source), placement.spatial, looped, paused));
    for (AlBuffer& buffer : voice->buffers_) {
        buffer = AlBuffer::create();
        if (!buffer) return nullptr;
        voice->unqueued_.push_back(buffer.id());
    }
    return voice;
}

StreamVoice::StreamVoice(AudioFile file, AlSource source, bool spatial, bool looped, bool paused)
    : file_(std::move(file)), source_(std::move(source)), spatial_(spatial), looped_(looped),
      paused_(paused) {}

void StreamVoice::setIsPaused(bool paused) {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    paused_ = paused;
    if (!started_) return;
    const ALint state = source_.state();
    if (paused && state == AL_PLAYING) alSourcePause(source_.id());
    // A stream that ran dry is restarted by the streamer.
    if (!paused && (state == AL_PAUSED || state == AL_INITIAL)) alSourcePlay(source_.id());
}

void StreamVoice::setPosition(vec3df position) {
    std::lock_guard lock(mutex_);
    if (!ended_ && spatial_) moveSource(source_.id(), position);
}

bool StreamVoice::isFinished() {
    std::lock_guard lock(mutex_);
    return ended_;
}

void StreamVoice::stop() {
    std::lock_guard lock(mutex_);
    release();
}

bool StreamVoice::isPlaying() {
    std::lock_guard lock(mutex_);
    return !ended_ && source_.state() == AL_PLAYING;
}

unsigned StreamVoice::sourceId() {
    std::lock_guard lock(mutex_);
    return source_.id();
}

int StreamVoice::channels() {
    std::lock_guard lock(mutex_);
    return file_ ? file_->channels() : 0;
}

bool StreamVoice::service() {
    std::lock_guard lock(mutex_);
    if (ended_) return false;
    if (!started_) {
        begin();
        return !ended_;
    }
    ALint processed = 0;
    alGetSourcei(source_.id(), AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_.id(), 1, &buffer);
        unqueued_.push_back(buffer);
    }
    while (!unqueued_.empty() && queueNext(unqueued_.back())) unqueued_.pop_back();

    ALint queued = 0;
    alGetSourcei(source_.id(), AL_BUFFERS_QUEUED, &queued);
    if (source_.state() == AL_STOPPED) {
        if (queued == 0) {
            release();  // every buffer has been heard
            return false;
        }
        if (!paused_) alSourcePlay(source_.id());  // it ran dry before this pass: go on
    }
    return true;
}

void StreamVoice::begin() {
    started_ = true;
    while (!unqueued_.empty() && queueNext(unqueued_.back())) unqueued_.pop_back();
    if (unqueued_.size() == kBuffers) {
        release();  // nothing could be decoded
        return;
    }
    if (!paused_) alSourcePlay(source_.id());
}

// Decodes the next stretch into `buffer` and queues it; false at the end.
bool StreamVoice::queueNext(ALuint buffer) {
    if (atEnd_ || !file_) return false;
    pcm_.clear();
    std::size_t frames = file_->read(pcm_, kFramesPerBuffer);
    // A loop goes on from the start within the same buffer, so there is no gap.
    while (frames < kFramesPerBuffer && looped_) {
        if (!file_->rewind()) break;
        const std::size_t more = file_->read(pcm_, kFramesPerBuffer - frames);
        if (more == 0) break;
        frames += more;
    }
    if (frames < kFramesPerBuffer) atEnd_ = true;
    if (frames == 0) return false;
    if (!bufferPcm(buffer, pcm_, file_->channels(), file_->sampleRate())) {
        atEnd_ = true;
        return false;
    }
    alSourceQueueBuffers(source_.id(), 1, &buffer);
    return true;
}

void StreamVoice::release() {
    ended_ = true;
    source_.reset();
    for (AlBuffer& buffer : buffers_) buffer.reset();
    unqueued_.clear();
    file_.reset();
}

MusicStreamer::~MusicStreamer() {
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void MusicStreamer::add(std::shared_ptr<StreamVoice> voice) {
    {
        std::lock_guard lock(mutex_);
        voices_.push_back(std::move(voice));
        if (!thread_.joinable()) thread_ = std::thread(&MusicStreamer::run, this);
    }
    wake_.notify_all();
}

std::size_t MusicStreamer::activeCount() const {
    std::lock_guard lock(mutex_);
    return voices_.size();
}

void MusicStreamer::run() {
    std::unique_lock lock(mutex_);
    while (!quitting_) {
        std::vector<std::shared_ptr<StreamVoice>> voices = voices_;
        lock.unlock();
        std::vector<StreamVoice*> ended;
        for (const auto& voice : voices)
            if (!voice->service()) ended.push_back(voice.get());
        voices.clear();  // a voice that ended is freed below, under the lock
        lock.lock();
        std::erase_if(voices_, [&](const auto& voice) {
            return std::find(ended.begin(), ended.end(), voice.get()) != ended.end();
        });
        if (voices_.empty())
            wake_.wait(lock, [&] { return quitting_ || !voices_.empty(); });
        else
            wake_.wait_for(lock, kServicePeriod);
    }
}

}  // namespace platform

