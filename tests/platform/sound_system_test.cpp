// The sound layer on OpenAL Soft's null output, which mixes in real time
// without a sound card (CTest sets ALSOFT_DRIVERS=null).
#include "platform/sound_system.h"

#include <AL/al.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <array>

#include "audio_fixtures.h"
#include "platform/buffer_cache.h"
#include "platform/music_stream.h"
#include "platform/openal_device.h"
#include "platform/openal_engine.h"

namespace platform {
namespace {

using fixtures::eventually;
using fixtures::Tone;

ALint sourceInt(unsigned source, ALenum what) {
    ALint value = 0;
    alGetSourcei(source, what, &value);
    return value;
}

ALint bufferChannels(unsigned source) {
    ALint channels = 0;
    alGetBufferi(static_cast<ALuint>(sourceInt(source, AL_BUFFER)), AL_CHANNELS, &channels);
    return channels;
}

// The channels a stream queues; 0 when the sound is not streamed.
int streamedChannels(Sound* sound) {
    auto* stream = dynamic_cast<StreamVoice*>(sound);
    return stream != nullptr ? stream->channels() : 0;
}

std::array<float, 3> sourcePosition(unsigned source) {
    std::array<float, 3> p{};
    alGetSource3f(source, AL_POSITION, &p[0], &p[1], &p[2]);
    return p;
}

unsigned sourceOf(OpenAlEngine& engine) {
    const auto ids = engine.sourceIds();
    return ids.size() == 1 ? ids[0] : 0;
}

// Files for every case, written once per test into a folder of its own.
class SoundFiles {
public:
    SoundFiles() {
        write("blip.wav", {.seconds = 0.1});
        write("tone.wav", {.seconds = 0.5});
        write("stereo.wav", {.seconds = 0.5, .channels = 2});
        write("stereo.mp3", fixtures::mp3Tone(0.5, 2));
    }
    std::string operator()(const std::string& name) const { return dir.file(name); }
    void write(const std::string& name, const Tone& tone) {
        ASSERT_TRUE(fixtures::writeTone(dir.file(name), tone)) << name;
    }

    fixtures::TempDir dir;
};

// The engine and what it shares, built directly so that tests can make
// short files stream.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = OpenAlDevice::open();
        ASSERT_TRUE(device) << "OpenAL Soft's null output should open (ALSOFT_DRIVERS=null)";
    }
    void TearDown() override {
        engines.clear();
        streamer.reset();
        cache.reset();
        device.reset();
    }
    OpenAlEngine& engine(double streamAboveSeconds = kStreamAboveSeconds) {
        engines.push_back(std::make_unique<OpenAlEngine>(*cache, *streamer, streamAboveSeconds));
        return *engines.back();
    }

    SoundFiles files;
    std::unique_ptr<OpenAlDevice> device;
    std::unique_ptr<BufferCache> cache = std::make_unique<BufferCache>();
    std::unique_ptr<MusicStreamer> streamer = std::make_unique<MusicStreamer>();
    std::vector<std::unique_ptr<OpenAlEngine>> engines;
};

TEST(SoundSystem, NullOutputCountsAsADeviceOnlyWhenAskedForByName) {
    const struct {
        const char* device;
        const char* drivers;
        bool real;
    } cases[] = {
        {"ALSA Default", nullptr, true},
        {"No Output", nullptr, false},
        {"No Output", "null", true},
        {"No Output", "pulse, null", true},
        {"No Output", "pulse,alsa,", false},  // the trailing comma only lets the rest in
        {"No Output", "-null", false},
        {"No Output", "nullish", false},
        {"No Output", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isRealOutput(c.device, c.drivers), c.real)
            << c.device << " with ALSOFT_DRIVERS=" << (c.drivers ? c.drivers : "(unset)");
}

TEST(SoundSystem, CreatesEnginesAndMixesWithShortLatency) {
    SoundSystem system;
    auto first = system.createEngine();
    auto second = system.createEngine();
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    const auto latency = system.deviceLatencyMs();
    ASSERT_TRUE(latency);
    // OpenAL Soft's own default would be two periods of 1024 frames ahead: over 46 ms.
    EXPECT_GT(*latency, 0.0);
    EXPECT_LT(*latency, 30.0);
}

TEST(SoundSystem, PlaysThroughItsEnginesAndItsWavePlayer) {
    SoundFiles files;
    SoundSystem system;
    auto engine = system.createEngine();
    ASSERT_TRUE(engine);
    Sound* sound = engine->play2D(files("tone.wav"), true, false, true);
    ASSERT_NE(sound, nullptr);
    EXPECT_FALSE(sound->isFinished());
    system.playWave(files("blip.wav"), Wait::untilEnd);
    EXPECT_FALSE(sound->isFinished());
    engine->stopAllSounds();
    EXPECT_TRUE(sound->isFinished());
}

TEST_F(EngineTest, DeviceUsesHrtfWhenItOffersIt) {
    // The null output offers OpenAL Soft's built-in HRTF sets.
    EXPECT_TRUE(device->hrtfEnabled());
}

TEST_F(EngineTest, HandleOnlyWhenTracked) {
    OpenAlEngine& e = engine();
    EXPECT_EQ(e.play2D(files("tone.wav"), false, false, false), nullptr);
    EXPECT_EQ(e.play3D(files("tone.wav"), {0, 0, 2}, false, false, false), nullptr);
    EXPECT_EQ(e.playingCount(), 2u);
    EXPECT_NE(e.play2D(files("tone.wav"), false, false, true), nullptr);
    EXPECT_NE(e.play3D(files("stereo.mp3"), {2, 0, 0}, true, false, true), nullptr);
    EXPECT_EQ(e.playingCount(), 4u);
}

TEST_F(EngineTest, UnplayableFilesGiveNoHandleAndPlayNothing) {
    const std::string valid = fixtures::readBytes(files("tone.wav"));
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.mp3", ""},
        {"text.wav", "not a recording\n"},
        {"header-cut.wav", valid.substr(0, 30)},
        {"no-frames.wav", valid.substr(0, 44)},
    };
    OpenAlEngine& e = engine(0.05);  // whether it would be streamed or decoded whole
    for (const auto& c : cases) fixtures::writeBytes(files(c.name), c.bytes);
    for (const std::string name : {"missing.wav", "empty.mp3", "text.wav", "header-cut.wav",
                                   "no-frames.wav"}) {
        EXPECT_EQ(e.play2D(files(name), false, false, true), nullptr) << name;
        EXPECT_EQ(e.play3D(files(name), {0, 0, 2}, true, false, true), nullptr) << name;
        EXPECT_EQ(e.play2D(files(name), true, false, false), nullptr) << name;
    }
    EXPECT_EQ(e.play2D(files.dir.file(""), false, false, true), nullptr) << "a folder";
    EXPECT_EQ(e.playingCount(), 0u);
    EXPECT_TRUE(e.sourceIds().empty());
}

TEST_F(EngineTest, StopAllSoundsSilencesOnlyItsOwnEngine) {
    OpenAlEngine& music = engine();
    OpenAlEngine& effects = engine();
    Sound* song = music.play2D(files("tone.wav"), true, false, true);
    Sound* step = effects.play2D(files("tone.wav"), true, false, true);
    effects.play2D(files("stereo.wav"), true, false, false);
    ASSERT_TRUE(song && step);

    effects.stopAllSounds();
    EXPECT_TRUE(step->isFinished());
    EXPECT_EQ(effects.playingCount(), 0u);
    EXPECT_FALSE(song->isFinished());
    EXPECT_EQ(music.playingCount(), 1u);
}

TEST_F(EngineTest, ReleasingAnEngineSilencesOnlyIt) {
    OpenAlEngine& kept = engine();
    auto released = std::make_unique<OpenAlEngine>(*cache, *streamer, 0.2);
    kept.play3D(files("tone.wav"), {0, 0, 2}, true, false, false);
    released->play2D(files("tone.wav"), true, false, true);
    released->play2D(files("stereo.mp3"), true, false, false);  // streamed
    const std::vector<unsigned> ids = released->sourceIds();
    ASSERT_EQ(ids.size(), 2u);

    released.reset();
    for (unsigned id : ids) EXPECT_EQ(alIsSource(id), AL_FALSE) << id;
    EXPECT_EQ(kept.playingCount(), 1u);
}

TEST_F(EngineTest, TrackedHandleOutlivesItsSound) {
    OpenAlEngine& e = engine();
    Sound* sound = e.play3D(files("tone.wav"), {0, 0, 2}, true, false, true);
    ASSERT_NE(sound, nullptr);
    e.stopAllSounds();
    e.play2D(files("blip.wav"), false, false, false);  // reclaims what has ended
    sound->setPosition({2, 0, 0});
    sound->setIsPaused(false);
    EXPECT_TRUE(sound->isFinished());
    EXPECT_EQ(e.playingCount(), 1u) << "resuming a stopped sound must not bring it back";
}

TEST_F(EngineTest, PausedAtStartThenResumedAndPausedAgain) {
    OpenAlEngine& e = engine();
    Sound* radar = e.play3D(files("tone.wav"), {0, 0, 2}, true, true, true);
    ASSERT_NE(radar, nullptr);
    const unsigned source = sourceOf(e);
    EXPECT_EQ(e.playingCount(), 0u);
    EXPECT_FALSE(radar->isFinished());

    radar->setIsPaused(false);
    EXPECT_EQ(sourceInt(source, AL_SOURCE_STATE), AL_PLAYING);
    radar->setIsPaused(true);
    EXPECT_EQ(sourceInt(source, AL_SOURCE_STATE), AL_PAUSED);
    EXPECT_FALSE(radar->isFinished());
    radar->setIsPaused(false);
    EXPECT_EQ(e.playingCount(), 1u);
}

TEST_F(EngineTest, ResumingASoundThatPlaysDoesNotStartItOver) {
    OpenAlEngine& e = engine();
    Sound* sound = e.play2D(files("tone.wav"), false, false, true);
    ASSERT_NE(sound, nullptr);
    const unsigned source = sourceOf(e);
    const auto offset = [&] {
        ALfloat seconds = 0;
        alGetSourcef(source, AL_SEC_OFFSET, &seconds);
        return seconds;
    };
    ASSERT_TRUE(eventually([&] { return offset() > 0.1f; }));
    sound->setIsPaused(false);
    EXPECT_GT(offset(), 0.1f);
}

TEST_F(EngineTest, PositionsTurnIntoOpenAlsFrame) {
    OpenAlEngine& e = engine();
    Sound* monster = e.play3D(files("tone.wav"), {1, 2, 3}, true, false, true);
    ASSERT_NE(monster, nullptr);
    const unsigned source = sourceOf(e);
    EXPECT_EQ(sourcePosition(source), (std::array<float, 3>{1, 2, -3}));  // forward is -Z
    EXPECT_EQ(sourceInt(source, AL_SOURCE_RELATIVE), AL_FALSE);

    monster->setPosition({-2, 0, 0});
    EXPECT_EQ(sourcePosition(source), (std::array<float, 3>{-2, 0, 0}));
    monster->setPosition({0, 0, -2});
    EXPECT_EQ(sourcePosition(source), (std::array<float, 3>{0, 0, 2}));
}

TEST_F(EngineTest, TwoDimensionalSoundsPlayAtTheListenerInStereo) {
    OpenAlEngine& e = engine();
    Sound* music = e.play2D(files("stereo.wav"), true, false, true);
    ASSERT_NE(music, nullptr);
    const unsigned source = sourceOf(e);
    EXPECT_EQ(sourceInt(source, AL_SOURCE_RELATIVE), AL_TRUE);
    EXPECT_EQ(sourcePosition(source), (std::array<float, 3>{0, 0, 0}));
    EXPECT_EQ(sourceInt(source, AL_DIRECT_CHANNELS_SOFT), AL_TRUE);
    EXPECT_EQ(bufferChannels(source), 2);

    music->setPosition({2, 0, 0});  // a 2D sound stays where it is
    EXPECT_EQ(sourcePosition(source), (std::array<float, 3>{0, 0, 0}));
}

TEST_F(EngineTest, ThreeDimensionalSoundsAreMono) {
    OpenAlEngine& e = engine();
    ASSERT_NE(e.play3D(files("stereo.wav"), {0, 0, 2}, true, false, true), nullptr);
    EXPECT_EQ(bufferChannels(sourceOf(e)), 1);
}

TEST_F(EngineTest, ASoundPlayedOnceFinishesAndALoopDoesNot) {
    OpenAlEngine& e = engine();
    Sound* once = e.play2D(files("blip.wav"), false, false, true);
    Sound* loop = e.play2D(files("blip.wav"), true, false, true);
    ASSERT_TRUE(once && loop);
    EXPECT_FALSE(once->isFinished());
    EXPECT_TRUE(eventually([&] { return once->isFinished(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(loop->isFinished());
    EXPECT_EQ(e.playingCount(), 1u);
}

TEST_F(EngineTest, UntrackedSoundsAreReclaimedOnceTheyEnd) {
    OpenAlEngine& e = engine();
    for (int i = 0; i < 3; ++i) e.play2D(files("blip.wav"), false, false, false);
    EXPECT_EQ(e.sourceIds().size(), 3u);
    ASSERT_TRUE(eventually([&] { return e.playingCount() == 0; }));
    e.play2D(files("blip.wav"), false, false, false);
    EXPECT_EQ(e.sourceIds().size(), 1u);
}

TEST_F(EngineTest, DecodedAudioIsSharedUntilTheFileChanges) {
    OpenAlEngine& e = engine();
    e.play2D(files("tone.wav"), true, false, false);
    e.play2D(files("tone.wav"), true, false, false);
    const auto ids = e.sourceIds();
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(sourceInt(ids[0], AL_BUFFER), sourceInt(ids[1], AL_BUFFER));
    EXPECT_EQ(cache->size(), 1u);

    files.write("tone.wav", {.seconds = 0.3, .sampleRate = 8000});
    e.stopAllSounds();
    e.play2D(files("tone.wav"), true, false, false);
    ALint bytes = 0;
    alGetBufferi(static_cast<ALuint>(sourceInt(sourceOf(e), AL_BUFFER)), AL_SIZE, &bytes);
    EXPECT_EQ(bytes, 2 * 2400);
}

TEST_F(EngineTest, LongFilesStreamAndEnd) {
    OpenAlEngine& e = engine(0.2);
    Sound* music = e.play2D(files("stereo.mp3"), false, false, true);
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(cache->size(), 0u) << "streamed, not decoded whole";
    EXPECT_TRUE(eventually([&] { return e.playingCount() == 1; }));
    EXPECT_EQ(sourceInt(sourceOf(e), AL_DIRECT_CHANNELS_SOFT), AL_TRUE);
    EXPECT_EQ(streamedChannels(music), 2);
    EXPECT_TRUE(eventually([&] { return music->isFinished(); }));
    EXPECT_TRUE(eventually([&] { return streamer->activeCount() == 0; }));
}

TEST_F(EngineTest, StreamedLoopGoesOnPastItsEnd) {
    OpenAlEngine& e = engine(0.2);
    Sound* music = e.play3D(files("stereo.wav"), {0, 0, 2}, true, false, true);
    ASSERT_NE(music, nullptr);
    ASSERT_TRUE(eventually([&] { return e.playingCount() == 1; }));
    EXPECT_EQ(streamedChannels(music), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));  // the file lasts 0.5 s
    EXPECT_FALSE(music->isFinished());
    EXPECT_EQ(e.playingCount(), 1u);
    e.stopAllSounds();
    EXPECT_TRUE(music->isFinished());
}

TEST_F(EngineTest, StreamStartedPausedWaitsForResume) {
    OpenAlEngine& e = engine(0.2);
    Sound* music = e.play2D(files("tone.wav"), true, true, true);
    ASSERT_NE(music, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(e.playingCount(), 0u);
    music->setIsPaused(false);
    EXPECT_TRUE(eventually([&] { return e.playingCount() == 1; }));
    music->setIsPaused(true);
    EXPECT_EQ(e.playingCount(), 0u);
    EXPECT_FALSE(music->isFinished());
}

}  // namespace
}  // namespace platform
