#include "wave/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

#include <stdio.h>  // renameat2

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wave {

const char* lastingText(std::string_view text) {
    // Set nodes never move, so a c_str() handed out stays valid.
    static std::mutex guard;
    static std::set<std::string, std::less<>> texts;
    std::lock_guard lock(guard);
    auto found = texts.find(text);
    if (found == texts.end()) found = texts.emplace(text).first;
    return found->c_str();
}

const char* fileFault(const std::string& file, std::string_view fault) {
    std::string message = file;
    message += ": ";
    message += fault;
    return lastingText(message);
}

namespace {

std::string systemText(int error) {
    return std::strerror(error);
}

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { closeNow(); }
    int get() const { return fd_; }
    int closeNow() {
        int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

std::string temporaryNameBeside(const std::string& file) {
    static std::atomic<unsigned> counter{0};
    return file + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
}

// Creates a fresh temporary file beside `file`; its name goes to `name`.
int createTemporaryBeside(const std::string& file, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryNameBeside(file);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

// Puts the finished temporary file in the place of `file` in one step, so a
// reader finds either the old file or the new one. Over an existing file the
// two names are exchanged and the old file, now under the temporary name, is
// removed: renaming over it makes ext4 write the new file out at once (its
// safeguard for replace-by-rename), and every save then waits for the disk.
// Where there is no regular file to exchange with, or the file system cannot
// exchange names, a plain rename does the same job.
bool putInPlace(const std::string& temporary, const std::string& file) {
    struct stat target {};
    if (::lstat(file.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, file.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    return ::rename(temporary.c_str(), file.c_str()) == 0;
}

}  // namespace

std::vector<std::uint8_t> readWholeFile(const std::string& file) {
    // O_NONBLOCK keeps a FIFO from hanging the open; regular files ignore it.
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) throw lastingText(systemText(errno));

    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) throw fileFault(file, "cannot be examined: " + systemText(errno));
    if (S_ISDIR(status.st_mode)) throw fileFault(file, "is a folder, not a file");
    if (!S_ISREG(status.st_mode)) throw fileFault(file, "is not a regular file");

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t got = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw fileFault(file, "cannot be read: " + systemText(errno));
        if (got == 0) break;  // the file shrank since fstat: take what is there
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

void writeFileAtomically(const std::string& file,
                         std::initializer_list<std::span<const std::uint8_t>> pieces) {
    std::string temporary;
    Descriptor fd(createTemporaryBeside(file, temporary));
    if (fd.get() < 0) throw fileFault(file, "cannot create a file beside it: " + systemText(errno));

    auto fail = [&](std::string_view what) {
        std::string fault = std::string(what) + ": " + systemText(errno);
        fd.closeNow();
        ::unlink(temporary.c_str());
        throw fileFault(file, fault);
    };
    for (auto piece : pieces) {
        if (!writeAll(fd.get(), piece)) fail("cannot be written");
    }
    if (fd.closeNow() != 0) fail("cannot be written");
    if (!putInPlace(temporary, file)) fail("cannot be replaced");
}

}  // namespace wave
