#include "platform/wave_player.h"

#include <gtest/gtest.h>

#include "audio_fixtures.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class WavePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = OpenAlDevice::open();
        ASSERT_TRUE(device) << "OpenAL Soft's null output should open (ALSOFT_DRIVERS=null)";
        player = std::make_unique<WavePlayer>(*device);
        ASSERT_TRUE(fixtures::writeTone(shortWave, {.seconds = 0.3}));
        ASSERT_TRUE(fixtures::writeTone(longWave, {.seconds = 3.0, .sampleRate = 8000}));
    }
    // How long a request took to return.
    milliseconds timed(const std::string& file, Wait wait) {
        const auto start = Clock::now();
        player->play(file, wait);
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }

    fixtures::TempDir dir;
    const std::string shortWave = dir.file("short.wav");
    const std::string longWave = dir.file("long.wav");
    std::unique_ptr<OpenAlDevice> device;
    std::unique_ptr<WavePlayer> player;
};

TEST_F(WavePlayerTest, UntilEndReturnsOnceTheSoundHasBeenHeard) {
    const milliseconds took = timed(shortWave, Wait::untilEnd);
    EXPECT_GE(took, milliseconds(300));
    EXPECT_LT(took, milliseconds(1300));
    EXPECT_FALSE(player->isPlaying());
}

TEST_F(WavePlayerTest, NoWaitReturnsWhileItPlays) {
    EXPECT_LT(timed(longWave, Wait::no), milliseconds(1000));
    EXPECT_TRUE(player->isPlaying());
}

TEST_F(WavePlayerTest, ANewRequestEndsTheLast) {
    player->play(longWave, Wait::no);
    player->play(shortWave, Wait::no);
    // Only the short sound is left: silence long before the long one would end.
    EXPECT_TRUE(fixtures::eventually([&] { return !player->isPlaying(); }, milliseconds(1500)));
}

TEST_F(WavePlayerTest, TheFileMayBeRewrittenRightAfterANoWaitRequest) {
    player->play(longWave, Wait::no);
    fixtures::writeBytes(longWave, "rewritten at once\n");
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_TRUE(player->isPlaying());
    ASSERT_TRUE(fixtures::writeTone(longWave, {.seconds = 0.2}));
    EXPECT_GE(timed(longWave, Wait::untilEnd), milliseconds(200));
}

TEST_F(WavePlayerTest, AnUnplayableFileEndsTheLastAndPlaysNothing) {
    fixtures::writeBytes(dir.file("empty.wav"), "");
    fixtures::writeBytes(dir.file("text.wav"), "not a recording\n");
    for (const std::string name : {"missing.wav", "empty.wav", "text.wav"}) {
        player->play(longWave, Wait::no);
        ASSERT_TRUE(player->isPlaying());
        EXPECT_LT(timed(dir.file(name), Wait::untilEnd), milliseconds(200)) << name;
        EXPECT_FALSE(player->isPlaying()) << name;
    }
}

}  // namespace
}  // namespace platform
