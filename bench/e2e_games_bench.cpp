// Peak memory over many games: the game and the real sound system (OpenAL Soft
// with its caches and music streams), in this process, play 20 whole games one
// after the other through the restart, as a player would, only with time
// running fast. Each game: Enter at the main menu, Up until three monsters
// have each outlasted their ticks, the bad ending, the readout, the restart.
// The peak resident memory (VmHWM) is taken at the main menu before the first
// game, after the first and after the last.
//
// What runs fast: sleeps return at once, the WAV player never waits for the
// end of a sound, and a tracked sound counts as finished as soon as it is
// asked. Everything else is the real thing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "e2e_process_stats.h"
#include "game/game.h"
#include "platform/sound_system.h"

namespace {

using platform::Sound;
using platform::SoundEngine;
using platform::vec3df;

constexpr int kGames = 20;
constexpr int kEnter = 13, kPrefix = 224, kUp = 72;

// A tracked sound whose end need not be waited for.
class HeardAtOnce final : public Sound {
public:
    explicit HeardAtOnce(Sound& inner) : inner_(inner) {}
    void setIsPaused(bool paused) override { inner_.setIsPaused(paused); }
    void setPosition(vec3df position) override { inner_.setPosition(position); }
    bool isFinished() override { return true; }

private:
    Sound& inner_;
};

class FastEngine final : public SoundEngine {
public:
    FastEngine(std::unique_ptr<SoundEngine> inner, int& monsters) : inner_(std::move(inner)), monsters_(monsters) {}
    Sound* play2D(const std::string& file, bool looped, bool startPaused, bool track) override {
        return wrap(inner_->play2D(file, looped, startPaused, track));
    }
    Sound* play3D(const std::string& file, vec3df at, bool looped, bool startPaused, bool track) override {
        if (file == "hangok/szorny.wav") ++monsters_;
        return wrap(inner_->play3D(file, at, looped, startPaused, track));
    }
    void stopAllSounds() override { inner_->stopAllSounds(); }

private:
    Sound* wrap(Sound* inner) {
        if (inner == nullptr) return nullptr;
        return sounds_.emplace_back(std::make_unique<HeardAtOnce>(*inner)).get();
    }
    std::unique_ptr<SoundEngine> inner_;
    std::vector<std::unique_ptr<HeardAtOnce>> sounds_;
    int& monsters_;  // encounters met, to show the games were really played
};

// The machine with its clock running fast and a player who starts a game at
// every main menu and then only walks forward.
class FastPlayer final : public platform::Platform {
public:
    explicit FastPlayer(platform::SoundSystem& sound) : sound_(sound) {}

    std::unique_ptr<SoundEngine> createSoundEngine(std::string_view name) override {
        auto engine = sound_.createEngine();
        if (!engine) return nullptr;
        if (name == "zenemotor") atMenu_ = true;  // every run begins with it, at the main menu
        return std::make_unique<FastEngine>(std::move(engine), monsters);
    }
    void playSound(const std::string& wavFile, platform::Wait) override {
        sound_.playWave(wavFile, platform::Wait::no);
    }
    bool kbhit() override { return pendingScanCode_ != 0; }
    int getch() override {
        if (atMenu_) return menuKey();
        if (pendingScanCode_ != 0) return std::exchange(pendingScanCode_, 0);
        pendingScanCode_ = kUp;
        return kPrefix;
    }
    std::optional<std::string> readWord() override { return std::nullopt; }
    void write(std::string_view) override {}
    void sleep(int) override {}
    std::time_t time() override { return std::time(nullptr); }
    void srand(unsigned seed) override { std::srand(seed); }
    int rand() override { return std::rand(); }

    int monsters = 0;
    double peakAtFirstMenu = 0, peakAfterFirstGame = 0, peakAfterLastGame = 0;

private:
    // The first key a main menu reads: Enter starts a game, until all are played.
    int menuKey() {
        atMenu_ = false;
        const double peak = e2e::peakMemoryMb(::getpid());
        if (menus_ == 0) peakAtFirstMenu = peak;
        if (menus_ == 1) peakAfterFirstGame = peak;
        if (menus_ == kGames) {
            peakAfterLastGame = peak;
            throw platform::InputClosed();  // the game releases its sound and ends
        }
        ++menus_;
        return kEnter;
    }

    platform::SoundSystem& sound_;
    bool atMenu_ = false;
    int menus_ = 0;
    int pendingScanCode_ = 0;
};

void BM_PeakMemoryOverGames(benchmark::State& state) {
    for (auto _ : state) {
        platform::SoundSystem sound;
        FastPlayer player(sound);
        {
            game::Game game(player);
            game.run(game::kRestartMarker);
        }
        if (player.peakAfterLastGame == 0) {
            state.SkipWithError("the games did not all end (no sound device?)");
            return;
        }
        state.counters["games"] = kGames;
        state.counters["monsters_met"] = player.monsters;
        state.counters["peak_menu_mb"] = player.peakAtFirstMenu;
        state.counters["peak_after_first_game_mb"] = player.peakAfterFirstGame;
        state.counters["peak_after_last_game_mb"] = player.peakAfterLastGame;
        state.counters["growth_mb"] = player.peakAfterLastGame - player.peakAfterFirstGame;
    }
}
BENCHMARK(BM_PeakMemoryOverGames)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
