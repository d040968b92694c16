// Reads the trace a running program appends to (VAKSOTET_TRACE), line by line,
// while it is being written. Lines are "<ms> <text>"; a reader keeps a cursor so
// that a run of waits checks the order in which things happened.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

struct TraceLine {
    long long ms = 0;  // milliseconds since the program started
    std::string text;  // the line after its timestamp
};

class TraceReader {
public:
    // The file must exist: the harness creates it empty before the program starts.
    explicit TraceReader(const std::filesystem::path& file) : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0) throw std::runtime_error("cannot open the trace " + file.string());
    }
    ~TraceReader() { ::close(fd_); }
    TraceReader(const TraceReader&) = delete;
    TraceReader& operator=(const TraceReader&) = delete;

    // Takes in whatever the program has written since the last look.
    void refresh() {
        char buffer[4096];
        for (;;) {
            ssize_t count = ::read(fd_, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) break;
            partial_.append(buffer, static_cast<std::size_t>(count));
        }
        std::size_t start = 0;
        for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1)
            lines_.push_back(parse(std::string_view(partial_).substr(start, end - start)));
        partial_.erase(0, start);
    }

    const std::vector<TraceLine>& lines() { return lines_; }
    std::size_t cursor() const { return cursor_; }

    // The first line at or after the cursor that begins with `prefix`, waiting up
    // to `timeout` for it; the cursor moves past it. `keepWaiting` may end the
    // wait early (the program has ended).
    std::optional<TraceLine> next(std::string_view prefix, Millis timeout,
                                  const std::function<bool()>& keepWaiting = {}) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            refresh();
            if (auto line = take(prefix)) return line;
            if (Clock::now() >= deadline) return std::nullopt;
            if (keepWaiting && !keepWaiting()) {
                refresh();  // the last lines may have landed just before the end
                return take(prefix);
            }
            std::this_thread::sleep_for(Millis(5));
        }
    }

    // Lines that begin with `prefix` anywhere in what was read so far.
    std::size_t count(std::string_view prefix) {
        refresh();
        std::size_t n = 0;
        for (const TraceLine& line : lines_) n += line.text.starts_with(prefix) ? 1 : 0;
        return n;
    }

    // Every line read so far, for a failure message.
    std::string dump() {
        refresh();
        std::string text;
        for (std::size_t i = 0; i < lines_.size(); ++i)
            text += (i == cursor_ ? "  > " : "    ") + std::to_string(lines_[i].ms) + " " + lines_[i].text + "\n";
        if (!partial_.empty()) text += "    (unfinished) " + partial_ + "\n";
        return text;
    }

private:
    std::optional<TraceLine> take(std::string_view prefix) {
        for (std::size_t i = cursor_; i < lines_.size(); ++i) {
            if (lines_[i].text.starts_with(prefix)) {
                cursor_ = i + 1;
                return lines_[i];
            }
        }
        return std::nullopt;
    }

    static TraceLine parse(std::string_view line) {
        TraceLine parsed;
        std::size_t space = line.find(' ');
        std::string stamp(line.substr(0, space));
        char* end = nullptr;
        parsed.ms = std::strtoll(stamp.c_str(), &end, 10);
        if (stamp.empty() || *end != '\0') parsed.ms = -1;  // not a timestamp: shows up in the dump
        parsed.text = space == std::string_view::npos ? std::string() : std::string(line.substr(space + 1));
        return parsed;
    }

    int fd_;
    std::string partial_;  // the bytes of a line not yet ended
    std::vector<TraceLine> lines_;
    std::size_t cursor_ = 0;
};

}  // namespace e2e
