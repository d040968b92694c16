// What the end-to-end tests share: how the built program is started, the
// assertions that read the trace, and the way into a game.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>
#include <string_view>
#include <vector>

#include "program_run.h"

namespace e2e {

struct Audio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<short> samples;
    bool operator==(const Audio&) const = default;
};

// The samples of a sound file as libsndfile decodes them; empty when it cannot.
inline Audio audioOf(const std::filesystem::path& file) {
    SF_INFO info{};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    if (sound == nullptr) return {};
    Audio audio{info.samplerate, info.channels, {}};
    audio.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    audio.samples.resize(static_cast<std::size_t>(sf_readf_short(sound, audio.samples.data(), info.frames) *
                                                  info.channels));
    sf_close(sound);
    return audio;
}

inline ::testing::AssertionResult sameAudio(const Audio& written, const Audio& clip) {
    if (written.samples.empty()) return ::testing::AssertionFailure() << "no samples written";
    if (written == clip) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << written.samples.size() << " samples at " << written.sampleRate << " Hz, "
                                         << written.channels << " channels; the clip: " << clip.samples.size()
                                         << " samples at " << clip.sampleRate << " Hz, " << clip.channels
                                         << " channels";
}

class ProgramTest : public ::testing::Test {
protected:
    static Launch launch(std::vector<std::string> arguments = skipJingle()) {
        Launch launch;
        launch.program = VAKSOTET_PROGRAM;
        launch.sourceDir = VAKSOTET_SOURCE_DIR;
        launch.arguments = std::move(arguments);
        return launch;
    }

    // The next trace line that begins with `prefix`, in order after the last one found.
    static ::testing::AssertionResult shows(ProgramRun& run, std::string_view prefix, Millis timeout = kPatience) {
        if (run.await(prefix, timeout)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no trace line \"" << prefix << "\"\n" << run.report();
    }

    // From the main menu's first item: Enter starts a game, and Enter during the
    // intro cuts it; the game then waits for its first key.
    static ::testing::AssertionResult enterGame(ProgramRun& run) {
        if (auto result = shows(run, "play2D zenemotor hangok/menu/ujjatek.wav"); !result) return result;
        run.type(keys::enter);
        for (std::string_view step : {"key 13", "stopAllSounds zenemotor", "create effektmotor", "create szornymotor",
                                      "create intromotor", "play2D intromotor hangok/zene/intro.mp3"}) {
            if (auto result = shows(run, step); !result) return result;
        }
        run.type(keys::enter);
        for (std::string_view step :
             {"key 13", "drop intromotor", "play2D zenemotor hangok/zene/jatekzene.mp3 looped=1 tracked=0"}) {
            if (auto result = shows(run, step); !result) return result;
        }
        return ::testing::AssertionSuccess();
    }
};

}  // namespace e2e
