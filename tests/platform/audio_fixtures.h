// Recordings written by the tests themselves into a folder of their own.
#pragma once

#include <sndfile.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace fixtures {

class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vaksotet-sound-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

struct Tone {
    double seconds = 0.2;
    int channels = 1;
    int sampleRate = 22050;
    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    // The sample of a channel at a frame; a quiet sine by default.
    std::function<double(int channel, long frame)> sample = nullptr;
};

inline bool writeTone(const std::string& path, const Tone& tone) {
    SF_INFO info{};
    info.samplerate = tone.sampleRate;
    info.channels = tone.channels;
    info.format = tone.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    const long frames = std::lround(tone.seconds * tone.sampleRate);
    std::vector<double> samples(static_cast<std::size_t>(frames) * tone.channels);
    for (long f = 0; f < frames; ++f)
        for (int c = 0; c < tone.channels; ++c)
            samples[f * tone.channels + c] =
                tone.sample ? tone.sample(c, f)
                            : 0.3 * std::sin(2 * M_PI * 440.0 * f / tone.sampleRate);
    const bool written = sf_writef_double(file, samples.data(), frames) == frames;
    sf_close(file);
    return written;
}

inline Tone mp3Tone(double seconds, int channels = 1) {
    Tone tone;
    tone.seconds = seconds;
    tone.channels = channels;
    tone.sampleRate = 44100;
    tone.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    return tone;
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Keeps only the first `size` bytes of a file.
inline void cutTo(const std::string& path, std::size_t size) {
    writeBytes(path, readBytes(path).substr(0, size));
}

// Polls `condition` until it holds or `bound` has passed; whether it held.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds bound = std::chrono::milliseconds(2000)) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace fixtures
