// The tests' virtual machine: the game runs on a virtual clock, with keys,
// random draws, failing engines and sound lengths scripted, and every call
// written down in the trace format, so that a test reads like a trace:
//
//   ScriptedPlatform machine;
//   machine.press({kDown, kEnter});
//   game::Game(machine).run(1);
//   EXPECT_TRUE(machine.log().has("play2D zenemotor hangok/menu/hangszoroteszt.wav"));
#pragma once

#include <ctime>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/trace.h"

namespace scripted {

// The codes one key press delivers: one plain code, or a prefix and a scan code.
using Keys = std::vector<int>;
inline const Keys kEnter{13};
inline const Keys kEsc{27};
inline const Keys kSpace{32};
inline const Keys kUp{224, 72};
inline const Keys kDown{224, 80};
inline const Keys kLeft{224, 75};
inline const Keys kRight{224, 77};
inline const Keys kHome{224, 71};
inline const Keys kDelete{224, 83};
inline const Keys kF1{0, 59};
inline Keys key(char c) { return Keys{static_cast<unsigned char>(c)}; }

// A trace read back: "<ms> <entry>" lines. An entry matches a line when it is
// the whole line or the line's start up to a space ("key 1" does not match
// "key 13"; "play2D zenemotor hangok/menu.wav" matches the line with its flags).
class TraceLog {
public:
    struct Line {
        long long ms;
        std::string entry;
    };

    explicit TraceLog(std::vector<Line> lines) : lines_(std::move(lines)) {}
    static TraceLog parse(const std::string& text);

    bool has(std::string_view entry) const { return find(entry) >= 0; }
    int count(std::string_view entry) const;
    // Each entry matches a line after the one the entry before it matched.
    bool inOrder(std::initializer_list<std::string_view> entries) const;
    // Virtual time of the first line matching entry; -1 when there is none.
    long long timeOf(std::string_view entry) const;
    // The lines after the nth one matching entry (none when there are fewer).
    TraceLog after(std::string_view entry, int nth = 1) const;
    // The lines before the first one matching entry (all when there is none).
    TraceLog before(std::string_view entry) const;
    // Entries that begin with the text, in order ("play2D zenemotor hangok/menu/").
    std::vector<std::string> startingWith(std::string_view text) const;
    const std::vector<Line>& lines() const { return lines_; }

    friend std::ostream& operator<<(std::ostream& out, const TraceLog& log);

private:
    long long find(std::string_view entry, std::size_t from = 0, int nth = 1) const;
    std::vector<Line> lines_;
};

class VirtualEngine;

// The machine under the trace: virtual clock, scripted keys and draws, sounds
// that only remember what they were asked.
class VirtualMachine final : public platform::Platform {
public:
    std::unique_ptr<platform::SoundEngine> createSoundEngine(std::string_view name) override;
    void playSound(const std::string& wavFile, platform::Wait wait) override;
    bool kbhit() override;
    int getch() override;
    std::optional<std::string> readWord() override;
    void write(std::string_view text) override;
    void sleep(int ms) override;
    std::time_t time() override;
    void srand(unsigned seed) override;
    int rand() override;

    long long now = 0;            // virtual milliseconds since the start
    std::time_t timeBase = 1'700'000'000;
    std::string console;          // everything written
    std::deque<std::pair<long long, int>> keys;  // (due time, code), in due order
    std::deque<int> randValues;   // handed out before the generator's own
    std::set<std::string, std::less<>> failingEngines;
    std::set<std::string, std::less<>> filesWithoutHandle;
    std::map<std::string, long long, std::less<>> durations;  // ms a sound lasts, by file
    long long defaultDuration = 1000;
    // Asked for keys whenever the game reads or polls with no key due; keys
    // queued for later still come at their time.
    std::function<void()> player;

    // The ear: what is sounding now, and what was ever asked to play.
    bool sounding(std::string_view file) const;
    int timesPlayed(std::string_view file) const;
    int liveEngines() const { return static_cast<int>(engines_.size()); }
    int liveSounds() const;

    long long durationOf(std::string_view file) const;
    void attach(VirtualEngine* engine) { engines_.push_back(engine); }
    void detach(VirtualEngine* engine);
    void heard(std::string_view file) { ++playCounts_[std::string(file)]; }

private:
    bool keyDue() const { return !keys.empty() && keys.front().first <= now; }
    unsigned generator_ = 1;
    std::vector<VirtualEngine*> engines_;
    std::map<std::string, int, std::less<>> playCounts_;
};

// The virtual machine wrapped in the trace. The game is given this platform;
// the test scripts the machine and reads the log.
class ScriptedPlatform final : public platform::Platform {
public:
    ScriptedPlatform();

    // Key presses due now, or after the keys already queued.
    void press(std::initializer_list<Keys> presses);
    void press(const std::vector<Keys>& presses);
    // Key presses due at a virtual time (ms since the start).
    void pressAt(long long ms, std::initializer_list<Keys> presses);
    void pressAt(long long ms, const std::vector<Keys>& presses);
    // Characters of a typed line as key codes (the code entry reads them).
    void type(std::string_view text);
    void randValues(std::initializer_list<int> values);
    void setTime(std::time_t seconds) { machine_.timeBase = seconds; }
    void failEngine(std::string_view name) { machine_.failingEngines.emplace(name); }
    void giveNoHandle(std::string_view file) { machine_.filesWithoutHandle.emplace(file); }
    void setDuration(std::string_view file, long long ms) { machine_.durations[std::string(file)] = ms; }
    void setPlayer(std::function<void()> player) { machine_.player = std::move(player); }

    TraceLog log() const { return TraceLog::parse(trace_.str()); }
    void clearLog() { trace_.str(""); }
    const std::string& console() const { return machine_.console; }
    void clearConsole() { machine_.console.clear(); }
    long long now() const { return machine_.now; }
    bool sounding(std::string_view file) const { return machine_.sounding(file); }
    int timesPlayed(std::string_view file) const { return machine_.timesPlayed(file); }
    int liveEngines() const { return machine_.liveEngines(); }
    int liveSounds() const { return machine_.liveSounds(); }
    bool keysLeft() const { return !machine_.keys.empty(); }

    std::unique_ptr<platform::SoundEngine> createSoundEngine(std::string_view name) override;
    void playSound(const std::string& wavFile, platform::Wait wait) override;
    bool kbhit() override;
    int getch() override;
    std::optional<std::string> readWord() override;
    void write(std::string_view text) override;
    void sleep(int ms) override;
    std::time_t time() override;
    void srand(unsigned seed) override;
    int rand() override;

private:
    long long lastDue() const;
    VirtualMachine machine_;
    std::ostringstream trace_;
    platform::TracePlatform traced_;
};

}  // namespace scripted
