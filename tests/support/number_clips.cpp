#include "support/number_clips.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace scripted {
namespace {

void putU16(std::vector<char>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>(value >> 8));
}

void putU32(std::vector<char>& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void putId(std::vector<char>& bytes, const char (&id)[5]) { bytes.insert(bytes.end(), id, id + 4); }

// A plain PCM clip: 8 kHz, mono, 16 bit, a few samples.
void writeClip(const std::filesystem::path& file) {
    constexpr std::uint32_t kSamples = 16;
    constexpr std::uint32_t kDataBytes = kSamples * 2;
    std::vector<char> bytes;
    putId(bytes, "RIFF");
    putU32(bytes, 36 + kDataBytes);  // 4 = "WAVE", 24 = "fmt " chunk, 8 = data header
    putId(bytes, "WAVE");
    putId(bytes, "fmt ");
    putU32(bytes, 16);
    putU16(bytes, 1);     // PCM
    putU16(bytes, 1);     // mono
    putU32(bytes, 8000);  // samples per second
    putU32(bytes, 16000); // bytes per second
    putU16(bytes, 2);     // block align
    putU16(bytes, 16);    // bits per sample
    putId(bytes, "data");
    putU32(bytes, kDataBytes);
    for (std::uint32_t i = 0; i < kSamples; ++i) putU16(bytes, static_cast<std::uint16_t>(i * 100));
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

NumberClipsDirectory::NumberClipsDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vaksotet-game-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary directory");
    directory_ = pattern;
    const std::filesystem::path clips = directory_ / "hangok" / "szamok";
    std::filesystem::create_directories(clips);
    for (int digit = 0; digit <= 9; ++digit) writeClip(clips / (std::to_string(digit) + ".wav"));
    for (int tens = 1; tens <= 9; ++tens) writeClip(clips / (std::to_string(tens) + "0.wav"));
    for (const char* name : {"tizen.wav", "huszon.wav", "ures.wav", "100.wav", "1000.wav"}) writeClip(clips / name);
    std::filesystem::current_path(directory_);
}

NumberClipsDirectory::~NumberClipsDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(directory_, ignored);
}

void NumberClipsDirectory::removeClip(std::string_view name) {
    std::filesystem::remove(directory_ / "hangok" / "szamok" / std::string(name));
}

}  // namespace scripted
