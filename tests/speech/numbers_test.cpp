#include "speech/numbers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "wave/wav_bytes.h"
#include "wave/wave.h"

using namespace wavtest;
namespace fs = std::filesystem;

namespace {

TEST(ItsTest, WritesTheDecimalTextOfAnInt) {
    const std::pair<int, const char*> cases[] = {
        {0, "0"}, {7, "7"}, {120, "120"}, {12345, "12345"}, {-5, "-5"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(speech::its(value), text) << value;
}

const char* const kClips[] = {
    "0.wav",  "1.wav",  "2.wav",  "3.wav",  "4.wav",     "5.wav",      "6.wav",    "7.wav",
    "8.wav",  "9.wav",  "10.wav", "20.wav", "30.wav",    "40.wav",     "50.wav",   "60.wav",
    "70.wav", "80.wav", "90.wav", "tizen.wav", "huszon.wav", "ures.wav", "100.wav", "1000.wav",
};

// Runs each test in a folder of its own holding hangok/szamok/ with every
// clip; a clip's samples are the bytes of its own name, so the samples of
// "szamok.wav" spell out which clips were joined, in order.
class SzbeszTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::create_directories(folder_.path() / "hangok/szamok");
        for (const char* clip : kClips) writeClip(clip, pcmClip(bytesOf(clip)));
        fs::current_path(folder_.path());
    }
    void TearDown() override { fs::current_path(previous_); }

    void writeClip(const std::string& name, const Bytes& bytes) {
        writeFile(folder_.path() / "hangok/szamok" / name, bytes);
    }
    fs::path output() const { return folder_.path() / "szamok.wav"; }

    static std::string spokenClips() {
        const CWave spoken("szamok.wav");
        auto samples = spoken.getSampleData();
        return std::string(samples.begin(), samples.end());
    }

private:
    TempFolder folder_;
    fs::path previous_;
};

TEST_F(SzbeszTest, WritesTheClipsOfTheValueInOrder) {
    const std::pair<int, const char*> cases[] = {
        {0, "0.wav"},
        {7, "7.wav"},
        {10, "10.wav"},
        {11, "tizen.wav1.wav"},
        {20, "20.wav"},
        {25, "huszon.wav5.wav"},
        {47, "40.wav7.wav"},
        {90, "90.wav"},
        {100, "ures.wav100.wav"},
        {101, "ures.wav100.wavures.wav1.wav"},
        {110, "ures.wav100.wav10.wav"},
        {115, "ures.wav100.wavtizen.wav5.wav"},
        {121, "ures.wav100.wavhuszon.wav1.wav"},
        {200, "2.wav100.wav"},
        {305, "3.wav100.wavures.wav5.wav"},
        {999, "9.wav100.wav90.wav9.wav"},
        {1000, "1000.wav"},
        {5000, "1000.wav"},
        // No spoken form: the number said before stays.
        {1001, "<earlier>"},
        {12345, "<earlier>"},
        {-5, "<earlier>"},
    };
    for (const auto& [value, clips] : cases) {
        SCOPED_TRACE(value);
        CWave::fromBytes(pcmClip(bytesOf("<earlier>")), "szamok.wav").saveToFile();
        EXPECT_EQ(speech::szbesz(value), 0);
        EXPECT_EQ(spokenClips(), clips);
    }
}

TEST_F(SzbeszTest, JoinedFileIsAWholePcmClip) {
    speech::szbesz(121);
    EXPECT_EQ(readFile(output()), pcmClip(bytesOf("ures.wav100.wavhuszon.wav1.wav")));
}

TEST_F(SzbeszTest, ValueWithoutASpokenFormWritesNoFile) {
    speech::szbesz(1001);
    speech::szbesz(12345);
    EXPECT_FALSE(fs::exists(output()));
}

TEST_F(SzbeszTest, EachCallReadsItsClipsAfresh) {
    speech::szbesz(7);
    writeClip("7.wav", pcmClip(bytesOf("seven again")));
    speech::szbesz(7);
    EXPECT_EQ(spokenClips(), "seven again");
}

TEST_F(SzbeszTest, MissingClipLeavesAsTheSystemTextAndWritesNothing) {
    speech::szbesz(5);
    fs::remove("hangok/szamok/huszon.wav");
    try {
        speech::szbesz(121);
        FAIL() << "a missing clip went unnoticed";
    } catch (const char* message) {
        EXPECT_STREQ(message, std::strerror(ENOENT));
    }
    EXPECT_EQ(spokenClips(), "5.wav");
}

TEST_F(SzbeszTest, ClipsOfDifferentFormatTagsLeaveAndWriteNothing) {
    speech::szbesz(5);
    writeClip("tizen.wav", extendedClip(2, {}, bytesOf("tizen.wav")));
    try {
        speech::szbesz(11);
        FAIL() << "clips of different formats were joined";
    } catch (const char* message) {
        EXPECT_STREQ(message, "Can't concatenate waves with different format tags");
    }
    EXPECT_EQ(spokenClips(), "5.wav");
}

TEST_F(SzbeszTest, DamagedClipLeavesNamingTheClip) {
    Bytes damaged = pcmClip(bytesOf("3.wav"));
    damaged.resize(20);
    writeClip("3.wav", damaged);
    try {
        speech::szbesz(3);
        FAIL() << "a damaged clip went unnoticed";
    } catch (const char* message) {
        EXPECT_STREQ(message, "hangok/szamok/3.wav: the file ends inside the format chunk");
    }
    EXPECT_FALSE(fs::exists(output()));
}

}  // namespace
