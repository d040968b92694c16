// The sound layer's costs on the game's thread, and its memory, on OpenAL
// Soft's null output:  ALSOFT_DRIVERS=null build/sound_bench
//   play2D of a cached effect   target p99 < 0.2 ms
//   first play2D of 60 s MP3    target < 2 ms (it streams; nothing is decoded whole)
//   device latency              target < 30 ms
//   memory of a SoundSystem with an engine playing music and an effect
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_system.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::SoundSystem;

// Writes a sine in chunks, so that a long file costs no memory to make.
bool writeSine(const std::string& path, double seconds, int channels, int format) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    const long frames = std::lround(seconds * info.samplerate);
    std::vector<float> chunk(4096 * channels);
    bool ok = true;
    for (long start = 0; start < frames && ok; start += 4096) {
        const long count = std::min(4096L, frames - start);
        for (long f = 0; f < count; ++f)
            for (int c = 0; c < channels; ++c)
                chunk[f * channels + c] =
                    0.3f * std::sin(2.0f * float(M_PI) * (440.0f + 110.0f * c) * float(start + f) / 44100.0f);
        ok = sf_writef_float(file, chunk.data(), count) == count;
    }
    sf_close(file);
    return ok;
}

struct Files {
    Files() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sound-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        dir = pattern;
        effect = (dir / "effect.wav").string();
        firstEffect = (dir / "effect.mp3").string();
        music = (dir / "music.mp3").string();
        const int mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        ready = writeSine(effect, 0.3, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16) &&
                writeSine(firstEffect, 1.0, 1, mp3) && writeSine(music, 60.0, 2, mp3);
    }
    ~Files() {
        std::error_code ignored;
        if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
    }
    std::filesystem::path dir;
    std::string effect, firstEffect, music;
    bool ready = false;
};

Files& files() {
    static Files instance;
    return instance;
}

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * double(values.size() - 1));
    return values[index];
}

// A value in kB from /proc/self/status, such as "VmRSS:" or "VmHWM:".
double statusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(key.size()));
    return 0;
}

bool haveEngine(benchmark::State& state, const std::unique_ptr<platform::SoundEngine>& engine) {
    if (!files().ready) state.SkipWithError("could not write the test recordings");
    else if (!engine) state.SkipWithError("no sound device: run with ALSOFT_DRIVERS=null");
    else return true;
    return false;
}

void Memory_SoundSystemWithEngine(benchmark::State& state) {
    files();
    const double before = statusKb("VmRSS:");
    for (auto _ : state) {
        SoundSystem system;
        auto engine = system.createEngine();
        if (!haveEngine(state, engine)) return;
        engine->play2D(files().music, true, false, false);
        engine->play2D(files().effect, false, false, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the stream fills its queue
        state.counters["rss_MB"] = statusKb("VmRSS:") / 1024;
        state.counters["added_MB"] = (statusKb("VmRSS:") - before) / 1024;
        state.counters["peak_MB"] = statusKb("VmHWM:") / 1024;
    }
}
BENCHMARK(Memory_SoundSystemWithEngine)->Iterations(1)->Unit(benchmark::kMillisecond);

void Play2D_CachedEffect(benchmark::State& state) {
    SoundSystem system;
    auto engine = system.createEngine();
    if (!haveEngine(state, engine)) return;
    engine->play2D(files().effect, false, false, false);  // decoded and cached here
    engine->stopAllSounds();
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = Clock::now();
        engine->play2D(files().effect, false, false, false);
        ms.push_back(millisSince(start));
        if (ms.size() % 32 == 0) {  // keep within the device's sources
            state.PauseTiming();
            engine->stopAllSounds();
            state.ResumeTiming();
        }
    }
    state.counters["p50_ms"] = percentile(ms, 0.50);
    state.counters["p99_ms"] = percentile(ms, 0.99);
}
BENCHMARK(Play2D_CachedEffect)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// The music streams from its file: play2D opens it and returns; the decoding
// happens on the streamer's thread.
void Play2D_First60SecondMp3(benchmark::State& state) {
    SoundSystem system;
    auto engine = system.createEngine();
    if (!haveEngine(state, engine)) return;
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = Clock::now();
        engine->play2D(files().music, true, false, false);
        ms.push_back(millisSince(start));
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        engine->stopAllSounds();
        state.ResumeTiming();
    }
    state.counters["first_ms"] = ms.front();
    state.counters["p50_ms"] = percentile(ms, 0.50);
    state.counters["max_ms"] = percentile(ms, 1.0);
}
BENCHMARK(Play2D_First60SecondMp3)->Iterations(30)->Unit(benchmark::kMicrosecond);

// A short effect's first play decodes it whole on the game's thread.
void Play2D_FirstShortMp3(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto system = std::make_unique<SoundSystem>();  // an empty cache each time
        auto engine = system->createEngine();
        if (!haveEngine(state, engine)) return;
        state.ResumeTiming();
        engine->play2D(files().firstEffect, false, false, false);
        state.PauseTiming();
        engine.reset();
        system.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(Play2D_FirstShortMp3)->Iterations(20)->Unit(benchmark::kMillisecond);

void DeviceLatency(benchmark::State& state) {
    SoundSystem system;
    for (auto _ : state) {
        const auto latency = system.deviceLatencyMs();
        if (!latency) {
            state.SkipWithError("no device latency: run with ALSOFT_DRIVERS=null");
            return;
        }
        state.counters["latency_ms"] = *latency;
    }
}
BENCHMARK(DeviceLatency)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
