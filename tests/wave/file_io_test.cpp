#include "wave/file_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

#include "wave/wav_bytes.h"

using namespace wavtest;

namespace {

int entriesIn(const std::filesystem::path& folder) {
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++entries;
    return entries;
}

TEST(LastingTextTest, EqualTextsShareOneCopyThatOutlivesTheCaller) {
    const char* first = nullptr;
    {
        std::string text = "clip.wav: a fault";
        first = wave::lastingText(text);
        text.assign(text.size(), 'x');
    }
    EXPECT_STREQ(first, "clip.wav: a fault");
    EXPECT_EQ(wave::lastingText("clip.wav: a fault"), first);
    EXPECT_NE(wave::lastingText("clip.wav: another fault"), first);
    EXPECT_EQ(wave::fileFault("clip.wav", "a fault"), first);
}

TEST(ReadWholeFileTest, ReadsEveryByte) {
    TempFolder folder;
    Bytes content(100000);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
    writeFile(folder / "big.bin", content);
    EXPECT_EQ(wave::readWholeFile(folder / "big.bin"), content);
}

TEST(ReadWholeFileTest, FifoIsRefusedWithoutWaitingForAWriter) {
    TempFolder folder;
    const std::string fifo = folder / "pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        wave::readWholeFile(fifo);
        FAIL() << "a FIFO was read as a file";
    } catch (const char* message) {
        EXPECT_STREQ(message, (fifo + ": is not a regular file").c_str());
    }
}

// Limits the size of files this process may write, for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(WriteFileAtomicallyTest, FailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    TempFolder folder;
    const std::string target = folder / "szamok.wav";
    const Bytes old = bytesOf("the number said before");
    writeFile(target, old);
    const Bytes large(64 * 1024, 0x55);

    std::string message;
    {
        FileSizeLimit limit(4096);
        try {
            wave::writeFileAtomically(target, {large});
        } catch (const char* text) {
            message = text;
        }
    }
    EXPECT_EQ(message, target + ": cannot be written: " + std::strerror(EFBIG));
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(entriesIn(folder.path()), 1);
}

TEST(WriteFileAtomicallyTest, PiecesFollowOneAnotherInTheNewFile) {
    TempFolder folder;
    const std::string target = folder / "out.wav";
    writeFile(target, bytesOf("old content that is longer"));
    const Bytes first = bytesOf("head"), second = bytesOf("-tail"), empty;
    wave::writeFileAtomically(target, {first, empty, second});
    EXPECT_EQ(readFile(target), bytesOf("head-tail"));
    EXPECT_EQ(entriesIn(folder.path()), 1);
}

}  // namespace
