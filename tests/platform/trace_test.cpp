#include "platform/trace.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <sstream>
#include <vector>

namespace platform {
namespace {

// A small inner platform: records what reached it and answers from a script.
struct FakeSound final : Sound {
    bool paused = false;
    vec3df position{};
    void setIsPaused(bool p) override { paused = p; }
    void setPosition(vec3df p) override { position = p; }
    bool isFinished() override { return true; }
};

struct FakeEngine final : SoundEngine {
    std::vector<std::string>& calls;
    std::function<void()>& onDestroyed;
    std::deque<FakeSound> sounds;
    FakeEngine(std::vector<std::string>& c, std::function<void()>& d) : calls(c), onDestroyed(d) {}
    ~FakeEngine() override {
        calls.push_back("inner engine destroyed");
        if (onDestroyed) onDestroyed();
    }
    Sound* play2D(const std::string& file, bool, bool, bool track) override { return play(file, track); }
    Sound* play3D(const std::string& file, vec3df, bool, bool, bool track) override { return play(file, track); }
    void stopAllSounds() override { calls.push_back("stopAllSounds"); }
    // "missing" files play nothing and give no handle, as on the real engine.
    Sound* play(const std::string& file, bool track) {
        calls.push_back("play " + file);
        if (!track || file.starts_with("missing")) return nullptr;
        return &sounds.emplace_back();
    }
};

struct FakePlatform final : Platform {
    std::vector<std::string> calls;
    std::deque<int> keys;
    std::deque<std::optional<std::string>> words;
    std::function<void()> onEngineDestroyed;
    FakeEngine* lastEngine = nullptr;
    std::unique_ptr<SoundEngine> createSoundEngine(std::string_view name) override {
        if (name == "broken") return nullptr;
        auto engine = std::make_unique<FakeEngine>(calls, onEngineDestroyed);
        lastEngine = engine.get();
        return engine;
    }
    void playSound(const std::string& file, Wait) override { calls.push_back("PlaySound " + file); }
    bool kbhit() override { return !keys.empty(); }
    int getch() override {
        if (keys.empty()) throw InputClosed();
        int key = keys.front();
        keys.pop_front();
        return key;
    }
    std::optional<std::string> readWord() override {
        auto word = words.front();
        words.pop_front();
        return word;
    }
    void write(std::string_view text) override { calls.push_back("write " + std::string(text)); }
    void sleep(int ms) override { calls.push_back("sleep " + std::to_string(ms)); }
    std::time_t time() override { return 1234; }
    void srand(unsigned seed) override { calls.push_back("srand " + std::to_string(seed)); }
    int rand() override { return 42; }
};

class TraceTest : public ::testing::Test {
protected:
    FakePlatform inner;
    std::ostringstream out;
    long long clock = 0;
    TracePlatform trace{inner, out, [this] { return clock; }};
};

TEST_F(TraceTest, ScriptedSessionGivesExactlyTheTraceLines) {
    inner.keys = {224, 72};
    inner.words = {std::string("abc"), std::nullopt};

    auto music = trace.createSoundEngine("zenemotor");
    auto broken = trace.createSoundEngine("broken");
    clock = 5;
    music->play2D("hangok/zene/szignal.mp3", false, false, false);
    auto monsters = trace.createSoundEngine("szornymotor");
    clock = 17;
    Sound* monster = monsters->play3D("hangok/szorny1.mp3", {-2.0f, 0.0f, 0.0f}, true, false, true);
    Sound* radar = monsters->play3D("hangok/radar.wav", {0.5f, -0.0f, -2.0f}, true, true, true);
    monsters->play3D("missing.wav", {0, 2, 0}, false, false, true);
    Sound* caption = music->play2D("hangok/menu/pont.wav", false, false, true);
    monster->setPosition({0.0f, 0.0f, 2.0f});
    radar->setIsPaused(false);
    EXPECT_TRUE(caption->isFinished());
    clock = 1000;
    trace.playSound("szamok.wav", Wait::no);
    trace.playSound("hangok/gratulalok.wav", Wait::untilEnd);
    EXPECT_TRUE(trace.kbhit());
    EXPECT_EQ(trace.getch(), 224);
    EXPECT_EQ(trace.getch(), 72);
    EXPECT_EQ(trace.readWord(), "abc");
    EXPECT_EQ(trace.readWord(), std::nullopt);
    trace.write("Sugo");
    trace.write("12\nC:\\x\\");
    trace.sleep(1);
    EXPECT_EQ(trace.time(), 1234);
    trace.srand(7);
    EXPECT_EQ(trace.rand(), 42);
    monsters->stopAllSounds();
    clock = 2000;
    monsters.reset();
    EXPECT_THROW(trace.getch(), InputClosed);

    EXPECT_EQ(broken, nullptr);
    EXPECT_EQ(out.str(),
              "0 create zenemotor\n"
              "0 create-failed broken\n"
              "5 play2D zenemotor hangok/zene/szignal.mp3 looped=0 tracked=0\n"
              "5 create szornymotor\n"
              "17 play3D szornymotor hangok/szorny1.mp3 -2,0,0 looped=1 paused=0 tracked=1 #1\n"
              "17 play3D szornymotor hangok/radar.wav 0.5,0,-2 looped=1 paused=1 tracked=1 #2\n"
              "17 play3D szornymotor missing.wav 0,2,0 looped=0 paused=0 tracked=1\n"
              "17 play2D zenemotor hangok/menu/pont.wav looped=0 tracked=1 #3\n"
              "17 setPosition #1 0,0,2\n"
              "17 setIsPaused #2 0\n"
              "1000 PlaySound szamok.wav async\n"
              "1000 PlaySound hangok/gratulalok.wav sync\n"
              "1000 key 224\n"
              "1000 key 72\n"
              "1000 word abc\n"
              "1000 out Sugo\n"
              "1000 out 12\\nC:\\\\x\\\\\n"
              "1000 stopAllSounds szornymotor\n"
              "2000 drop szornymotor\n");
}

TEST_F(TraceTest, EveryCallReachesTheInnerPlatformAndHandlesAreTheInnerOnes) {
    auto engine = trace.createSoundEngine("effektmotor");
    Sound* handle = engine->play3D("hangok/lepes.wav", {0, 0, 2}, false, true, true);
    handle->setIsPaused(false);
    handle->setPosition({2, 0, 0});
    const FakeSound& innerSound = inner.lastEngine->sounds.front();
    EXPECT_FALSE(innerSound.paused);
    EXPECT_EQ(innerSound.position.X, 2.0f);
    trace.write("x");
    trace.sleep(1000);
    trace.srand(3);
    engine.reset();

    EXPECT_EQ(inner.calls, (std::vector<std::string>{"play hangok/lepes.wav", "write x", "sleep 1000", "srand 3",
                                                     "inner engine destroyed"}));
}

TEST_F(TraceTest, DropIsWrittenBeforeTheInnerEngineGoes) {
    auto engine = trace.createSoundEngine("intromotor");
    std::string traceWhenInnerWent;
    inner.onEngineDestroyed = [&] { traceWhenInnerWent = out.str(); };
    clock = 9;
    engine.reset();
    EXPECT_EQ(traceWhenInnerWent, "0 create intromotor\n9 drop intromotor\n");
}

TEST(TraceFormat, CoordinatesAreWrittenShortest) {
    EXPECT_EQ(formatPosition({0.0f, 2.0f, 0.0f}), "0,2,0");
    EXPECT_EQ(formatPosition({0.0f, 0.0f, -2.0f}), "0,0,-2");
    EXPECT_EQ(formatPosition({-0.0f, 0.1f, 1e20f}), "0,0.1,1e+20");
}

TEST(TraceFormat, ConsoleTextEscapesLineBreaksAndBackslashes) {
    EXPECT_EQ(escapeLine("a\nb\\c"), "a\\nb\\\\c");
    EXPECT_EQ(escapeLine("Nem sikerült inicializalni a hangot\n"), "Nem sikerült inicializalni a hangot\\n");
}

}  // namespace
}  // namespace platform
