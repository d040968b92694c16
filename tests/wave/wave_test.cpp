#include "wave/wave.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "wave/wav_bytes.h"

using namespace wavtest;

namespace {

Bytes samplesOf(const CWave& wave) {
    auto samples = wave.getSampleData();
    return Bytes(samples.begin(), samples.end());
}

Bytes extensionOf(const CWave& wave) {
    auto extension = wave.getExtraFormatBytes();
    return Bytes(extension.begin(), extension.end());
}

std::string id(const char (&chars)[4]) {
    return std::string(chars, 4);
}

// The text a failing call throws; empty when it throws nothing.
template <typename Call>
std::string thrownText(Call call) {
    try {
        call();
    } catch (const char* message) {
        return message;
    }
    return "";
}

Bytes counting(std::size_t count, std::uint8_t first = 0) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

class WaveFileTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const Bytes& bytes) {
        std::string path = folder / name;
        writeFile(path, bytes);
        return path;
    }
    TempFolder folder;
};

// Reading

TEST_F(WaveFileTest, CanonicalClipHasItsSamplesAtOffset44) {
    const Bytes samples = counting(10, 1);
    CWave wave(write("clip.wav", pcmClip(samples)));

    EXPECT_EQ(id(wave.getRiffHeader().riffId), "RIFF");
    EXPECT_EQ(wave.getRiffHeader().riffSize, 46u);
    EXPECT_EQ(id(wave.getFormatChunk().fmtId), "fmt ");
    EXPECT_EQ(wave.getFormatChunk().formatTag, 1);
    EXPECT_EQ(wave.getFormatChunk().sampleRate, 22050u);
    EXPECT_EQ(wave.getFormatChunk().bitsPerSample, 16);
    EXPECT_EQ(wave.getExtraFormatSize(), 0);
    EXPECT_TRUE(wave.getExtraFormatBytes().empty());
    EXPECT_EQ(wave.getFactChunk().factSize, CWave::kNoFact);
    EXPECT_EQ(id(wave.getDataHeader().dataId), "data");
    EXPECT_EQ(wave.getDataHeader().dataSize, 10u);
    EXPECT_EQ(samplesOf(wave), samples);
    EXPECT_EQ(wave.getFileName(), folder / "clip.wav");
}

TEST_F(WaveFileTest, FactChunkMovesTheSamplesToOffset56) {
    const Bytes samples = counting(6, 100);
    CWave wave(write("fact.wav", factClip(samples, 3)));

    EXPECT_EQ(wave.getFactChunk().factSize, 4u);
    EXPECT_EQ(wave.getFactChunk().factSampleCount, 3u);
    EXPECT_EQ(id(wave.getDataHeader().dataId), "data");
    EXPECT_EQ(wave.getDataHeader().dataSize, 6u);
    EXPECT_EQ(samplesOf(wave), samples);
}

TEST_F(WaveFileTest, TagAboveOneWithEmptyExtensionReadsTheDataHeaderAt38AndWritesTheSizeBack) {
    const Bytes file = extendedClip(3, {}, counting(8));
    CWave wave(write("float.wav", file));

    EXPECT_EQ(wave.getFormatChunk().formatTag, 3);
    EXPECT_EQ(wave.getExtraFormatSize(), 0);
    EXPECT_TRUE(wave.getExtraFormatBytes().empty());
    EXPECT_EQ(id(wave.getDataHeader().dataId), "data");
    EXPECT_EQ(samplesOf(wave), counting(8));
    EXPECT_EQ(wave.toBytes(), file);
}

TEST_F(WaveFileTest, TagZeroIsReadWithItsExtensionAndSavedWithout) {
    const Bytes extension = {0xAA, 0xBB, 0xCC};
    const Bytes samples = counting(4, 7);
    CWave wave(write("tag0.wav", extendedClip(0, extension, samples)));

    EXPECT_EQ(wave.getExtraFormatSize(), 3);
    EXPECT_EQ(extensionOf(wave), extension);
    EXPECT_EQ(samplesOf(wave), samples);

    const Bytes saved = wave.toBytes();
    ASSERT_EQ(saved.size(), 44u + samples.size());
    EXPECT_EQ(std::string(saved.begin() + 36, saved.begin() + 40), "data");
    EXPECT_EQ(Bytes(saved.begin() + 44, saved.end()), samples);
}

TEST_F(WaveFileTest, MissingFileThrowsTheSystemTextOnceKept) {
    const std::string missing = folder / "nothing.wav";
    const char* first = nullptr;
    const char* second = nullptr;
    try { CWave wave(missing); } catch (const char* message) { first = message; }
    try { CWave wave(missing); } catch (const char* message) { second = message; }

    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, std::strerror(ENOENT));
    EXPECT_EQ(first, second) << "a repeated failure must not make a new copy of its text";
}

TEST_F(WaveFileTest, FolderInPlaceOfAFileIsAnError) {
    std::filesystem::create_directory(folder.path() / "clip.wav");
    const std::string path = folder / "clip.wav";
    EXPECT_EQ(thrownText([&] { CWave wave(path); }), path + ": is a folder, not a file");
}

struct Damage {
    const char* name;
    Bytes file;
    const char* fault;
};

Bytes cut(Bytes bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}

Bytes withU32(Bytes bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

Bytes withU16(Bytes bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    return bytes;
}

TEST_F(WaveFileTest, DamagedFilesAreErrorsNamingTheFileAndTheFault) {
    const Bytes pcm = pcmClip(counting(16));
    const Bytes fact = factClip(counting(16), 8);
    const Bytes extended = extendedClip(2, counting(4), counting(16));
    const Damage cases[] = {
        {"empty", {}, "the file is empty"},
        {"one byte", cut(pcm, 1), "the file ends inside the RIFF header"},
        {"cut in the RIFF header", cut(pcm, 11), "the file ends inside the RIFF header"},
        {"only the RIFF header", cut(pcm, 12), "the file ends inside the format chunk"},
        {"cut in the format chunk", cut(pcm, 35), "the file ends inside the format chunk"},
        {"ends after the format chunk", cut(pcm, 36), "the file ends inside the chunk identifier after the format"},
        {"cut in the data identifier", cut(pcm, 38), "the file ends inside the chunk identifier after the format"},
        {"ends after the data identifier", cut(pcm, 40), "the file ends inside the data size"},
        {"cut in the data size", cut(pcm, 43), "the file ends inside the data size"},
        {"samples cut short", cut(pcm, 50), "the data size is larger than the rest of the file"},
        {"no samples at all", cut(pcm, 44), "the data size is larger than the rest of the file"},
        {"data size one too large", withU32(pcm, 40, 17), "the data size is larger than the rest of the file"},
        {"data size 4 GiB", withU32(pcm, 40, 0xFFFFFFFF), "the data size is larger than the rest of the file"},
        {"ends after the fact identifier", cut(fact, 40), "the file ends inside the fact chunk"},
        {"cut in the fact chunk", cut(fact, 44), "the file ends inside the fact chunk"},
        {"ends after the fact chunk", cut(fact, 48), "the file ends inside the data chunk header"},
        {"cut in the data header after fact", cut(fact, 55), "the file ends inside the data chunk header"},
        {"fact clip data size too large", withU32(fact, 52, 1000), "the data size is larger than the rest of the file"},
        {"ends before the extension size", cut(extended, 36), "the file ends inside the format extension size"},
        {"cut in the extension size", cut(extended, 37), "the file ends inside the format extension size"},
        {"cut in the extension", cut(extended, 40), "the format extension size is larger than the rest of the file"},
        {"huge extension size", withU16(extended, 36, 0xFFFF),
         "the format extension size is larger than the rest of the file"},
    };
    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.name);
        const std::string path = write("damaged.wav", damage.file);
        EXPECT_EQ(thrownText([&] { CWave wave(path); }), path + ": " + damage.fault);
        EXPECT_EQ(thrownText([&] { CWave::fromBytes(damage.file, "memory"); }), std::string("memory: ") + damage.fault);
    }
}

// Saving

TEST_F(WaveFileTest, CanonicalClipSavedUnderAnotherNameIsByteIdentical) {
    const Bytes file = pcmClip(counting(100));
    CWave wave(write("clip.wav", file));
    wave.setFileName(folder / "copy.wav");
    wave.saveToFile();
    EXPECT_EQ(readFile(folder / "copy.wav"), file);
}

TEST_F(WaveFileTest, SavingUnderANewNameLeavesTheOriginalUntouched) {
    const Bytes original = pcmClip(counting(20));
    const std::string path = write("clip.wav", original);
    CWave wave(path);
    wave = wave + CWave(path);  // different contents, so a stray write would show
    wave.setFileName(folder / "joined.wav");
    wave.saveToFile();

    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(readFile(folder / "joined.wav").size(), 44u + 40u);
}

TEST_F(WaveFileTest, FactClipRoundTripsWithItsFactChunk) {
    const Bytes file = factClip(counting(12), 6);
    CWave wave(write("fact.wav", file));
    EXPECT_EQ(wave.toBytes(), file);
}

TEST_F(WaveFileTest, SaveReplacesTheFileAndLeavesNothingBeside) {
    const std::string path = write("out.wav", bytesOf("an older file that is longer than the new one, by far"));
    CWave wave = CWave::fromBytes(pcmClip(counting(2)), path);
    wave.saveToFile();

    EXPECT_EQ(readFile(path), pcmClip(counting(2)));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(WaveFileTest, SaveIntoAMissingFolderIsAnErrorNamingTheFile) {
    CWave wave = CWave::fromBytes(pcmClip(counting(2)), folder / "no/such/folder/out.wav");
    const std::string text = thrownText([&] { wave.saveToFile(); });
    EXPECT_EQ(text.rfind(folder / "no/such/folder/out.wav: ", 0), 0u) << text;
}

TEST_F(WaveFileTest, SaveOverAFolderFailsAndLeavesNoTemporaryFile) {
    std::filesystem::create_directory(folder.path() / "out.wav");
    CWave wave = CWave::fromBytes(pcmClip(counting(2)), folder / "out.wav");
    EXPECT_NE(thrownText([&] { wave.saveToFile(); }), "");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "out.wav"));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

// Records and copies

TEST(WaveRecordTest, DefaultRecordIsEmpty) {
    CWave wave;
    EXPECT_EQ(wave.getFileName(), "");
    EXPECT_EQ(wave.getFactChunk().factSize, CWave::kNoFact);
    EXPECT_EQ(wave.getExtraFormatSize(), 0);
    EXPECT_TRUE(wave.getSampleData().empty());
    EXPECT_TRUE(wave.getExtraFormatBytes().empty());
    EXPECT_NE(thrownText([&] { wave.saveToFile(); }), "");
}

TEST(WaveRecordTest, CopiesOwnSeparateArrays) {
    const Bytes extension = {1, 2, 3, 4, 5};
    const Bytes samples = counting(32, 50);
    auto source = std::make_unique<CWave>(CWave::fromBytes(extendedClip(2, extension, samples), "adpcm.wav"));

    auto copy = std::make_unique<CWave>(*source);
    CWave assigned;
    assigned = *source;
    EXPECT_NE(copy->getSampleData().data(), source->getSampleData().data());
    EXPECT_NE(copy->getExtraFormatBytes().data(), source->getExtraFormatBytes().data());
    EXPECT_NE(assigned.getSampleData().data(), source->getSampleData().data());

    source.reset();
    EXPECT_EQ(samplesOf(*copy), samples);
    EXPECT_EQ(extensionOf(*copy), extension);
    EXPECT_EQ(copy->getFileName(), "adpcm.wav");

    auto again = std::make_unique<CWave>(*copy);
    copy.reset();
    EXPECT_EQ(samplesOf(*again), samples);
    EXPECT_EQ(extensionOf(*again), extension);
    EXPECT_EQ(samplesOf(assigned), samples);
}

TEST(WaveRecordTest, AssigningOverARecordReplacesAllItsContents) {
    CWave target = CWave::fromBytes(factClip(counting(9), 4), "old.wav");
    const CWave source = CWave::fromBytes(extendedClip(2, {7, 7}, counting(3)), "new.wav");
    target = source;
    EXPECT_EQ(target.toBytes(), source.toBytes());
    EXPECT_EQ(target.getFactChunk().factSize, CWave::kNoFact);
    EXPECT_EQ(target.getFileName(), "new.wav");
}

TEST(WaveRecordTest, SelfAssignmentChangesNothing) {
    CWave wave = CWave::fromBytes(extendedClip(2, {9, 8, 7}, counting(12)), "self.wav");
    const Bytes before = wave.toBytes();
    const CWave& same = wave;
    wave = same;
    wave.init(same);
    EXPECT_EQ(wave.toBytes(), before);
    EXPECT_EQ(extensionOf(wave), (Bytes{9, 8, 7}));
    EXPECT_EQ(samplesOf(wave), counting(12));
}

TEST(WaveRecordTest, RecordIsDestroyedThroughAPointer) {
    std::unique_ptr<CWave> wave = std::make_unique<CWave>(CWave::fromBytes(pcmClip(counting(4)), "p.wav"));
    EXPECT_TRUE(std::has_virtual_destructor_v<CWave>);
    wave.reset();
}

// Joining

TEST(WaveJoinTest, DifferentFormatTagsThrowAndChangeNeitherOperand) {
    const CWave pcm = CWave::fromBytes(pcmClip(counting(4)), "a.wav");
    const CWave adpcm = CWave::fromBytes(extendedClip(2, {1}, counting(6)), "b.wav");
    const Bytes pcmBefore = pcm.toBytes(), adpcmBefore = adpcm.toBytes();

    EXPECT_EQ(thrownText([&] { (void)(pcm + adpcm); }), "Can't concatenate waves with different format tags");
    EXPECT_EQ(thrownText([&] { (void)(adpcm + pcm); }), "Can't concatenate waves with different format tags");
    EXPECT_EQ(pcm.toBytes(), pcmBefore);
    EXPECT_EQ(adpcm.toBytes(), adpcmBefore);
}

TEST(WaveJoinTest, PcmJoinSumsSizesAndTakesTheRightHeaders) {
    Format leftFormat, rightFormat;
    leftFormat.sampleRate = 8000;
    rightFormat.sampleRate = 44100;
    const Bytes leftSamples = counting(1000, 0), rightSamples = counting(2000, 77);
    const CWave left = CWave::fromBytes(pcmClip(leftSamples, leftFormat), "l.wav");
    const CWave right = CWave::fromBytes(pcmClip(rightSamples, rightFormat), "r.wav");

    const CWave joined = left + right;
    EXPECT_EQ(joined.getDataHeader().dataSize, 3000u);
    EXPECT_EQ(joined.getRiffHeader().riffSize, 3036u);
    EXPECT_EQ(joined.getFormatChunk().sampleRate, 44100u);
    const Bytes expected = concat(leftSamples, rightSamples);
    EXPECT_EQ(samplesOf(joined), expected);

    const Bytes saved = joined.toBytes();
    EXPECT_EQ(saved.size(), 3044u);
    EXPECT_EQ(saved, pcmClip(expected, rightFormat));
}

TEST(WaveJoinTest, JoiningAMovedLeftOperandGivesTheSameRecord) {
    const CWave left = CWave::fromBytes(extendedClip(2, {1, 2}, counting(300, 1)), "hangok/l.wav");
    const CWave right = CWave::fromBytes(extendedClip(2, {3}, counting(500, 9)), "hangok/r.wav");
    const CWave expected = left + right;

    CWave moved = left;
    const CWave joined = std::move(moved) + right;
    EXPECT_EQ(joined.toBytes(), expected.toBytes());
    EXPECT_EQ(joined.getFileName(), expected.getFileName());
    EXPECT_TRUE(moved.getSampleData().empty());

    CWave self = left;
    const CWave doubled = std::move(self) + self;
    EXPECT_EQ(samplesOf(doubled), concat(counting(300, 1), counting(300, 1)));

    CWave mismatched = CWave::fromBytes(pcmClip(counting(4)), "p.wav");
    EXPECT_EQ(thrownText([&] { (void)(std::move(mismatched) + right); }),
              "Can't concatenate waves with different format tags");
    EXPECT_EQ(samplesOf(mismatched), counting(4));
}

TEST(WaveJoinTest, EmptyLeftOperandGivesTheRightSamples) {
    const CWave left = CWave::fromBytes(pcmClip({}), "silence.wav");
    const CWave right = CWave::fromBytes(pcmClip(counting(5)), "five.wav");
    EXPECT_EQ(samplesOf(left + right), counting(5));
    EXPECT_EQ(samplesOf(left + left), Bytes{});
}

TEST(WaveJoinTest, NameIsFolderAndTitleOfTheLeftThenTitleOfTheRight) {
    const CWave hundred = CWave::fromBytes(pcmClip(counting(2)), "hangok/szamok/100.wav");
    const CWave thousand = CWave::fromBytes(pcmClip(counting(2)), "hangok/szamok/1000.wav");
    const CWave one = CWave::fromBytes(pcmClip(counting(2)), "hangok/szamok/1.wav");

    const CWave joined = hundred + thousand;
    EXPECT_EQ(joined.getFileName(), "hangok/szamok/100hangok/szamok/1000.wav");
    EXPECT_EQ((joined + one).getFileName(), "hangok/szamok/100hangok/szamok/1000hangok/szamok/1.wav");
    EXPECT_EQ((CWave::fromBytes(pcmClip({}), "c:\\clips\\a.wav") + one).getFileName(),
              "c:\\clips\\ahangok/szamok/1.wav");
}

TEST(WaveJoinTest, JoinHoldsNoFactValues) {
    const CWave left = CWave::fromBytes(factClip(counting(4), 2), "l.wav");
    const CWave right = CWave::fromBytes(factClip(counting(6), 3), "r.wav");
    const CWave joined = left + right;
    EXPECT_EQ(joined.getFactChunk().factSize, CWave::kNoFact);
    EXPECT_EQ(joined.toBytes(), pcmClip(concat(counting(4), counting(6))));
}

TEST(WaveJoinTest, JoinOwnsACopyOfTheRightExtension) {
    const Bytes extension = {4, 3, 2, 1};
    const CWave left = CWave::fromBytes(extendedClip(2, {9}, counting(3)), "l.wav");
    auto right = std::make_unique<CWave>(CWave::fromBytes(extendedClip(2, extension, counting(5)), "r.wav"));

    const CWave joined = left + *right;
    right.reset();
    EXPECT_EQ(extensionOf(joined), extension);
    // "WAVE", format chunk, extension size and bytes, data header, samples
    EXPECT_EQ(joined.getRiffHeader().riffSize, 4u + 24 + 2 + 4 + 8 + 8);
    EXPECT_EQ(joined.toBytes().size(), 8u + joined.getRiffHeader().riffSize);
}

// Paths

TEST(WavePathTest, FolderAndTitleSplitAtTheLastBackslashAndTheLastDot) {
    struct Case {
        const char* path;
        const char* folder;
        const char* title;
    };
    const Case cases[] = {
        {"hangok/szamok/100.wav", "", "hangok/szamok/100"},
        {"hangok/szamok/1000.wav", "", "hangok/szamok/1000"},
        {"c:\\hangok\\szamok\\7.wav", "c:\\hangok\\szamok\\", "7"},
        {"a\\b.c.wav", "a\\", "b.c"},
        {"a\\.wav", "a\\", ""},
        {"folder\\", "folder\\", ""},
        // No dot after the last backslash: the title is the rest of the path.
        {"no-dot", "", "no-dot"},
        {"", "", ""},
        {"x.d\\name", "x.d\\", "name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CWave::getFileFolder(c.path), c.folder);
        EXPECT_EQ(CWave::getFileTitle(c.path), c.title);
    }
}

}  // namespace
