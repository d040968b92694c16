#pragma once

// Builders for WAV files as bytes, so tests need no recordings, and a
// temporary folder that cleans up after itself.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace wavtest {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void put32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void putText(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

inline void putBytes(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

inline Bytes concat(Bytes first, const Bytes& second) {
    putBytes(first, second);
    return first;
}

inline Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

struct Format {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 22050;
    std::uint16_t bitsPerSample = 16;
};

// "fmt " chunk header and its 16 bytes of format fields: 24 bytes.
inline Bytes formatChunk(const Format& format, std::uint32_t fmtSize) {
    Bytes out;
    putText(out, "fmt ");
    put32(out, fmtSize);
    put16(out, format.tag);
    put16(out, format.channels);
    put32(out, format.sampleRate);
    const std::uint16_t blockAlign = static_cast<std::uint16_t>(format.channels * format.bitsPerSample / 8);
    put32(out, format.sampleRate * blockAlign);
    put16(out, blockAlign);
    put16(out, format.bitsPerSample);
    return out;
}

// The canonical PCM clip: a 44-byte header, then the samples.
inline Bytes pcmClip(const Bytes& samples, const Format& format = {}) {
    Bytes out;
    putText(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(36 + samples.size()));
    putText(out, "WAVE");
    putBytes(out, formatChunk(format, 16));
    putText(out, "data");
    put32(out, static_cast<std::uint32_t>(samples.size()));
    putBytes(out, samples);
    return out;
}

// A PCM clip with a 4-byte fact chunk: the samples start at 56.
inline Bytes factClip(const Bytes& samples, std::uint32_t sampleCount) {
    Bytes out;
    putText(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(48 + samples.size()));
    putText(out, "WAVE");
    putBytes(out, formatChunk({}, 16));
    putText(out, "fact");
    put32(out, 4);
    put32(out, sampleCount);
    putText(out, "data");
    put32(out, static_cast<std::uint32_t>(samples.size()));
    putBytes(out, samples);
    return out;
}

// A clip whose format chunk carries an extension size and its bytes.
inline Bytes extendedClip(std::uint16_t tag, const Bytes& extension, const Bytes& samples) {
    Bytes out;
    putText(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(4 + 24 + 2 + extension.size() + 8 + samples.size()));
    putText(out, "WAVE");
    Format format;
    format.tag = tag;
    putBytes(out, formatChunk(format, static_cast<std::uint32_t>(18 + extension.size())));
    put16(out, static_cast<std::uint16_t>(extension.size()));
    putBytes(out, extension);
    putText(out, "data");
    put32(out, static_cast<std::uint32_t>(samples.size()));
    putBytes(out, samples);
    return out;
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wavetest.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace wavtest
