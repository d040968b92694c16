#include "platform/wave_player.h"

#include <chrono>
#include <thread>

#include "platform/audio_file.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollPeriod = std::chrono::milliseconds(5);
// Beyond the sound's own length: if the device stops mixing, waiting ends anyway.
constexpr auto kWaitSlack = std::chrono::seconds(1);

}  // namespace

void WavePlayer::play(const std::string& file, Wait wait) {
    if (!source_) {
        source_ = AlSource::create();
        if (!source_) return;
        applyPlacement(source_.id(), Placement{});
    }
    alSourceStop(source_.id());
    alSourcei(source_.id(), AL_BUFFER, 0);
    buffer_.reset();

    const std::optional<PcmAudio> pcm = decodeFile(file, Layout::asRecorded);
    if (!pcm) return;
    AlBuffer buffer = AlBuffer::create();
    if (!buffer.fill(pcm->samples, pcm->channels, pcm->sampleRate)) return;
    alSourcei(source_.id(), AL_BUFFER, static_cast<ALint>(buffer.id()));
    buffer_ = std::move(buffer);
    alSourcePlay(source_.id());
    if (wait == Wait::untilEnd) waitUntilHeard(pcm->seconds());
}

bool WavePlayer::isPlaying() const { return source_.state() == AL_PLAYING; }

void WavePlayer::waitUntilHeard(double seconds) const {
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(seconds)) + kWaitSlack;
    while (isPlaying() && Clock::now() < deadline) std::this_thread::sleep_for(kPollPeriod);
    // The mixer is done with it; the last of it is still on its way to the speakers.
    if (const auto latency = device_.latencyMs())
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(*latency));
}

}  // namespace platform
