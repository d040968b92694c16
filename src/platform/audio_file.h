// Reading recordings (WAV, MP3 and whatever else libsndfile knows) as 16-bit PCM.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sf_private_tag;

namespace platform {

// Interleaved 16-bit samples, one or two channels.
struct PcmAudio {
    int channels = 0;
    int sampleRate = 0;
    std::vector<std::int16_t> samples;

    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
    double seconds() const { return sampleRate > 0 ? double(frames()) / sampleRate : 0.0; }
};

// How the samples are laid out for OpenAL: as recorded (mono or stereo; more
// channels are mixed down to mono), or always mono, as 3D sounds must be.
enum class Layout { asRecorded, mono };

// An open recording read in order, its channels already laid out.
class AudioFile {
public:
    // Empty when the file is missing, empty, not audio or has no frames.
    static std::optional<AudioFile> open(const std::string& path, Layout layout);
    ~AudioFile();
    AudioFile(AudioFile&& other) noexcept;
    AudioFile& operator=(AudioFile&& other) noexcept;
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    int channels() const { return outChannels_; }  // after the layout: 1 or 2
    int sampleRate() const { return sampleRate_; }
    long long frames() const { return frames_; }    // as the header tells; a decoder may find fewer
    // Appends up to `frames` frames to `out`; returns how many came (0 at the end).
    std::size_t read(std::vector<std::int16_t>& out, std::size_t frames);
    bool rewind();

private:
    AudioFile(sf_private_tag* file, int fileChannels, int outChannels, int sampleRate,
              long long frames);
    void close();

    sf_private_tag* file_ = nullptr;
    int fileChannels_ = 0;
    int outChannels_ = 0;
    int sampleRate_ = 0;
    long long frames_ = 0;
    std::vector<float> scratch_;
};

// The longest recording decoded whole: ten minutes of stereo at 48 kHz.
inline constexpr std::size_t kMaxDecodedFrames = std::size_t{10} * 60 * 48000;

// The whole recording; empty when it cannot be read, has no frames or is too long.
std::optional<PcmAudio> decodeWhole(AudioFile& file);
std::optional<PcmAudio> decodeFile(const std::string& path, Layout layout);

}  // namespace platform
