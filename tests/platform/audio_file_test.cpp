#include "platform/audio_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "audio_fixtures.h"

namespace platform {
namespace {

using fixtures::Tone;

class AudioFileTest : public ::testing::Test {
protected:
    std::string tone(const std::string& name, const Tone& tone) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(fixtures::writeTone(path, tone)) << path;
        return path;
    }
    fixtures::TempDir dir;
};

TEST_F(AudioFileTest, DecodesAWaveAsWritten) {
    const auto audio = decodeFile(tone("a.wav", {.seconds = 0.25, .sampleRate = 22050}),
                                  Layout::asRecorded);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->channels, 1);
    EXPECT_EQ(audio->sampleRate, 22050);
    EXPECT_EQ(audio->frames(), 5513u);
}

TEST_F(AudioFileTest, StereoStaysStereoAsRecordedAndIsMixedDownForMono) {
    Tone stereo{.seconds = 0.1, .channels = 2};
    stereo.sample = [](int channel, long) { return channel == 0 ? 0.1 : 0.3; };
    const std::string path = tone("stereo.wav", stereo);

    const auto asRecorded = decodeFile(path, Layout::asRecorded);
    ASSERT_TRUE(asRecorded);
    EXPECT_EQ(asRecorded->channels, 2);
    EXPECT_NEAR(asRecorded->samples[0], 0.1 * 32767, 2);
    EXPECT_NEAR(asRecorded->samples[1], 0.3 * 32767, 2);

    const auto mono = decodeFile(path, Layout::mono);
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->channels, 1);
    EXPECT_EQ(mono->frames(), asRecorded->frames());
    EXPECT_NEAR(mono->samples[10], 0.2 * 32767, 2);
}

TEST_F(AudioFileTest, MoreThanTwoChannelsAreMixedDownToMono) {
    const auto audio = decodeFile(tone("quad.wav", {.seconds = 0.1, .channels = 4}),
                                  Layout::asRecorded);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->channels, 1);
}

TEST_F(AudioFileTest, DecodesAnMp3) {
    const auto audio = decodeFile(tone("a.mp3", fixtures::mp3Tone(0.5, 2)), Layout::asRecorded);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->channels, 2);
    EXPECT_EQ(audio->sampleRate, 44100);
    // An MP3 frame is 1152 samples; the encoder may pad to whole frames.
    EXPECT_NEAR(double(audio->frames()), 22050.0, 2 * 1152.0);
    const auto [low, high] = std::minmax_element(audio->samples.begin(), audio->samples.end());
    EXPECT_GT(*high, 0.25 * 32767) << "as loud as it was written";
    EXPECT_LT(*low, -0.25 * 32767);
}

TEST_F(AudioFileTest, FloatingPointOvershootIsClippedNotWrapped) {
    Tone loud{.seconds = 0.05, .format = SF_FORMAT_WAV | SF_FORMAT_FLOAT};
    loud.sample = [](int, long frame) { return frame % 2 == 0 ? 1.5 : -1.5; };
    const auto audio = decodeFile(tone("loud.wav", loud), Layout::asRecorded);
    ASSERT_TRUE(audio);
    EXPECT_GT(audio->samples[0], 32000);
    EXPECT_LT(audio->samples[1], -32000);
}

TEST_F(AudioFileTest, DataCutShortGivesWhatIsThere) {
    const std::string path = tone("cut.wav", {.seconds = 0.5, .sampleRate = 8000});
    fixtures::cutTo(path, 44 + 2 * 1000);
    const auto audio = decodeFile(path, Layout::asRecorded);
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->frames(), 1000u);
}

TEST_F(AudioFileTest, RewindStartsOver) {
    auto file = AudioFile::open(tone("a.wav", {.seconds = 0.1}), Layout::asRecorded);
    ASSERT_TRUE(file);
    std::vector<std::int16_t> first, again;
    EXPECT_EQ(file->read(first, 100), 100u);
    ASSERT_TRUE(file->rewind());
    EXPECT_EQ(file->read(again, 100), 100u);
    EXPECT_EQ(first, again);
}

TEST_F(AudioFileTest, UnreadableFilesGiveNothing) {
    const std::string valid = tone("valid.wav", {.seconds = 0.1});
    const std::string header = fixtures::readBytes(valid).substr(0, 44);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.wav", ""},
        {"text.wav", "This is not a recording at all.\n"},
        {"header-cut.wav", header.substr(0, 30)},
        {"no-frames.wav", header},  // a complete header and not one sample
        {"noise.mp3", std::string(4096, '\x5a')},
    };
    EXPECT_FALSE(decodeFile(dir.file("missing.wav"), Layout::asRecorded));
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name);
        fixtures::writeBytes(path, c.bytes);
        EXPECT_FALSE(AudioFile::open(path, Layout::asRecorded)) << c.name;
        EXPECT_FALSE(decodeFile(path, Layout::mono)) << c.name;
    }
}

}  // namespace
}  // namespace platform
