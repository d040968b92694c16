// szbesz(121) joins four clips into "szamok.wav". Its floor is the least that
// job can cost: reading the same four files and writing their samples behind
// one header with plain POSIX calls. Both run here, in one process, in a
// temporary folder of realistic clips; the ratio is printed at the end.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "speech/numbers.h"

namespace fs = std::filesystem;

namespace {

// The clips that say 121, and their lengths in seconds.
const std::pair<const char*, double> kClips121[] = {
    {"ures.wav", 0.3}, {"100.wav", 0.5}, {"huszon.wav", 0.45}, {"1.wav", 0.6}};
constexpr std::uint32_t kSampleRate = 22050;
constexpr std::size_t kHeaderBytes = 44;

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A 16-bit mono PCM file at 22050 Hz: the canonical 44-byte header, then the samples.
std::vector<std::uint8_t> pcmHeader(std::uint32_t dataBytes) {
    std::vector<std::uint8_t> out;
    for (char c : std::string("RIFF")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, kSampleRate);
    put32(out, kSampleRate * 2);
    put16(out, 2);
    put16(out, 16);
    for (char c : std::string("data")) out.push_back(static_cast<std::uint8_t>(c));
    put32(out, dataBytes);
    return out;
}

void writeClip(const fs::path& path, double seconds, double pitch) {
    const auto frames = static_cast<std::uint32_t>(seconds * kSampleRate);
    std::vector<std::uint8_t> bytes = pcmHeader(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto sample = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * pitch * i / kSampleRate));
        put16(bytes, static_cast<std::uint16_t>(sample));
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::vector<std::uint8_t> readAll(const char* path) {
    int fd = ::open(path, O_RDONLY);
    struct stat status {};
    ::fstat(fd, &status);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    ssize_t got = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return bytes;
}

void floor121() {
    static const char* const paths[] = {"hangok/szamok/ures.wav", "hangok/szamok/100.wav", "hangok/szamok/huszon.wav",
                                        "hangok/szamok/1.wav"};
    std::vector<std::uint8_t> clips[4];
    std::uint32_t dataBytes = 0;
    for (int i = 0; i < 4; ++i) {
        clips[i] = readAll(paths[i]);
        dataBytes += static_cast<std::uint32_t>(clips[i].size() - kHeaderBytes);
    }
    const std::vector<std::uint8_t> header = pcmHeader(dataBytes);
    // A fresh file is the cheapest write: truncating the last one in place
    // waits for its write-back on ext4 (about 4 ms a call here).
    ::unlink("floor.wav");
    int fd = ::open("floor.wav", O_WRONLY | O_CREAT | O_TRUNC, 0666);
    benchmark::DoNotOptimize(::write(fd, header.data(), header.size()));
    for (const auto& clip : clips)
        benchmark::DoNotOptimize(::write(fd, clip.data() + kHeaderBytes, clip.size() - kHeaderBytes));
    ::close(fd);
}

void szbesz121() {
    speech::szbesz(121);
}

// Back to back, as fast as the machine allows.
void BM_Szbesz121(benchmark::State& state) {
    for (auto _ : state) szbesz121();
}

void BM_Floor121(benchmark::State& state) {
    for (auto _ : state) floor121();
}

// As the game calls it: a number at most every key press, so the disk has
// finished writing the last file before the next call replaces it.
template <void (*Job)()>
void spaced(benchmark::State& state) {
    for (auto _ : state) {
        Job();
        state.PauseTiming();
        ::usleep(10000);
        state.ResumeTiming();
    }
}

void BM_Szbesz121Spaced(benchmark::State& state) {
    spaced<szbesz121>(state);
}

void BM_Floor121Spaced(benchmark::State& state) {
    spaced<floor121>(state);
}

// The spaced runs go first: thousands of files created and deleted within
// seconds make ext4 slower to find a free inode for a while.
BENCHMARK(BM_Szbesz121Spaced)->Unit(benchmark::kMicrosecond)->Iterations(100)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Floor121Spaced)->Unit(benchmark::kMicrosecond)->Iterations(100)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Szbesz121)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Floor121)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

struct Median {
    double real = 0;
    double cpu = 0;
};

// Keeps the median times of every benchmark as they are reported.
class MedianRecorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Median> medians;
};

// A temporary working folder holding hangok/szamok/ with the four clips.
class ClipFolder {
public:
    ClipFolder() {
        std::string pattern = (fs::temp_directory_path() / "numbers_bench.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
        previous_ = fs::current_path();
        fs::create_directories(path_ / "hangok/szamok");
        double pitch = 220;
        for (const auto& [name, seconds] : kClips121) writeClip(path_ / "hangok/szamok" / name, seconds, pitch *= 1.25);
        fs::current_path(path_);
    }
    ~ClipFolder() {
        fs::current_path(previous_);
        fs::remove_all(path_);
    }

private:
    fs::path path_, previous_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ClipFolder folder;
    MedianRecorder reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto ratio = [&](const char* job, const char* floor, double Median::*time) {
        const double floorTime = reporter.medians[floor].*time;
        return floorTime > 0 ? reporter.medians[job].*time / floorTime : 0.0;
    };
    std::printf("szbesz(121) / floor, target at most 1.5:\n");
    std::printf("  back to back, real time: %.2f\n", ratio("BM_Szbesz121", "BM_Floor121", &Median::real));
    std::printf("  back to back, CPU time:  %.2f\n", ratio("BM_Szbesz121", "BM_Floor121", &Median::cpu));
    std::printf("  spaced 10 ms, real time: %.2f\n",
                ratio("BM_Szbesz121Spaced", "BM_Floor121Spaced", &Median::real));
    return 0;
}
