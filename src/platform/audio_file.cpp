#include "platform/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace platform {
namespace {

constexpr std::size_t kChunkFrames = 4096;

// Samples are read as floats, whatever the file holds: libsndfile scales
// every format to full scale that way, while reading floating-point data
// (MP3 among it) straight into shorts would leave it all but silent.
// Overshoot beyond full scale is clipped, not wrapped around.
std::int16_t toInt16(float sample) {
    const float scaled = std::nearbyint(sample * 32768.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

void appendAsInt16(const float* in, std::size_t samples, std::vector<std::int16_t>& out) {
    for (std::size_t i = 0; i < samples; ++i) out.push_back(toInt16(in[i]));
}

// Averages each frame's channels into one sample.
void mixDownToMono(const float* in, std::size_t frames, int channels,
                   std::vector<std::int16_t>& out) {
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c) sum += in[f * channels + c];
        out.push_back(toInt16(sum / float(channels)));
    }
}

}  // namespace

std::optional<AudioFile> AudioFile::open(const std::string& path, Layout layout) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) return std::nullopt;
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0) {
        sf_close(file);
        return std::nullopt;
    }
    const int outChannels = (layout == Layout::asRecorded && info.channels <= 2) ? info.channels : 1;
    return AudioFile(file, info.channels, outChannels, info.samplerate, info.frames);
}

AudioFile::AudioFile(SNDFILE* file, int fileChannels, int outChannels, int sampleRate,
                     long long frames)
    : file_(file), fileChannels_(fileChannels), outChannels_(outChannels),
      sampleRate_(sampleRate), frames_(frames) {}

AudioFile::~AudioFile() { close(); }

AudioFile::AudioFile(AudioFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), fileChannels_(other.fileChannels_),
      outChannels_(other.outChannels_), sampleRate_(other.sampleRate_), frames_(other.frames_),
      scratch_(std::move(other.scratch_)) {}

AudioFile& AudioFile::operator=(AudioFile&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        fileChannels_ = other.fileChannels_;
        outChannels_ = other.outChannels_;
        sampleRate_ = other.sampleRate_;
        frames_ = other.frames_;
        scratch_ = std::move(other.scratch_);
    }
    return *this;
}

void AudioFile::close() {
    if (file_ != nullptr) sf_close(file_);
    file_ = nullptr;
}

std::size_t AudioFile::read(std::vector<std::int16_t>& out, std::size_t frames) {
    if (file_ == nullptr) return 0;
    std::size_t total = 0;
    while (total < frames) {
        const std::size_t want = std::min(kChunkFrames, frames - total);
        scratch_.resize(want * fileChannels_);
        const sf_count_t got = sf_readf_float(file_, scratch_.data(), sf_count_t(want));
        if (got <= 0) break;
        if (outChannels_ == fileChannels_)
            appendAsInt16(scratch_.data(), std::size_t(got) * fileChannels_, out);
        else
            mixDownToMono(scratch_.data(), std::size_t(got), fileChannels_, out);
        total += std::size_t(got);
    }
    return total;
}

bool AudioFile::rewind() {
    return file_ != nullptr && sf_seek(file_, 0, SEEK_SET) == 0;
}

std::optional<PcmAudio> decodeWhole(AudioFile& file) {
    PcmAudio audio;
    audio.channels = file.channels();
    audio.sampleRate = file.sampleRate();
    // The header's count is a hint only (an MP3's may be an estimate, a cut
    // file's too large): reserve within the limit, then read to the end.
    const auto hinted = static_cast<unsigned long long>(std::max(file.frames(), 0LL));
    audio.samples.reserve(std::min<unsigned long long>(hinted, kMaxDecodedFrames) * audio.channels);
    while (audio.frames() <= kMaxDecodedFrames) {
        if (file.read(audio.samples, kChunkFrames) == 0) break;
    }
    if (audio.frames() == 0 || audio.frames() > kMaxDecodedFrames) return std::nullopt;
    return audio;
}

std::optional<PcmAudio> decodeFile(const std::string& path, Layout layout) {
    auto file = AudioFile::open(path, layout);
    if (!file) return std::nullopt;
    return decodeWhole(*file);
}

}  // namespace platform
