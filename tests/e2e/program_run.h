// The built program run as a player runs it: in a pseudo-terminal of its own,
// in a scratch working directory that sees the repository's recordings, with
// the trace switched on. The harness types bytes as a terminal sends them,
// reads what reaches the screen, watches the trace and collects the exit status.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "trace_reader.h"

extern char** environ;

namespace e2e {

// Generous bounds: the machines that run this are shared and may be busy.
inline constexpr Millis kPatience{10000};

// Bytes as a terminal sends them.
namespace keys {
inline constexpr std::string_view upCsi = "\x1b[A", downCsi = "\x1b[B";
inline constexpr std::string_view upSs3 = "\x1bOA", downSs3 = "\x1bOB";
inline constexpr std::string_view enter = "\r", esc = "\x1b";
inline constexpr std::string_view f1 = "\x1bOP", del = "\x1b[3~";
inline constexpr std::string_view ctrlC = "\x03";
}  // namespace keys

struct Launch {
    std::string program;                 // the built vaksotet
    std::filesystem::path sourceDir;     // the repository root, where hangok/ lies
    std::vector<std::string> arguments;  // after the program's name
    bool nullSoundOutput = true;         // ALSOFT_DRIVERS=null; false leaves it unset
    bool inputFromPipe = false;          // standard input from a pipe instead of the terminal
    bool outputToPipe = false;           // standard output to a pipe instead of the terminal
};

// 109 arguments make the argument count 110, the restart marker that skips the start jingle.
inline std::vector<std::string> skipJingle() { return std::vector<std::string>(109, "x"); }

// The terminal modes as `stty -g` prints them.
inline std::string sttyG(const termios& modes) {
    char field[16];
    std::snprintf(field, sizeof field, "%x:%x:%x:%x", modes.c_iflag, modes.c_oflag, modes.c_cflag, modes.c_lflag);
    std::string text = field;
    for (cc_t c : modes.c_cc) {
        std::snprintf(field, sizeof field, ":%x", c);
        text += field;
    }
    return text;
}

inline bool isRaw(const termios& modes) { return (modes.c_lflag & (ICANON | ECHO)) == 0; }

class ProgramRun {
public:
    explicit ProgramRun(const Launch& launch) {
        ::signal(SIGPIPE, SIG_IGN);  // typing to a program that has gone is an error, not our end
        makeWorkDir(launch.sourceDir);
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 80;
        if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty failed");
        cloexec(master_);
        cloexec(slave_);
        if (launch.inputFromPipe) input_ = pipeFor(stdinPipe_, 1);
        if (launch.outputToPipe) pipeFor(stdoutPipe_, 0);
        modesAtStart_ = terminalModes();
        trace_ = std::make_unique<TraceReader>(traceFile());
        start(launch);
        reader_ = std::thread([this] { readOutput(); });
    }

    ~ProgramRun() {
        if (!status_) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
        stopReading_ = true;
        reader_.join();
        for (int fd : {master_, slave_, stdinPipe_[1], stdoutPipe_[0]})
            if (fd >= 0) ::close(fd);
        std::error_code ignored;
        std::filesystem::remove_all(workDir_, ignored);  // the link to hangok/ goes, not its target
    }

    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    pid_t pid() const { return pid_; }
    const std::filesystem::path& workDir() const { return workDir_; }
    std::filesystem::path traceFile() const { return workDir_ / "trace.log"; }
    TraceReader& trace() { return *trace_; }

    // Sends bytes to the program's standard input as a terminal (or the pipe) would.
    void type(std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t written = ::write(input_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) throw std::runtime_error("cannot type: " + std::string(std::strerror(errno)));
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    // Ends standard input (only when it is a pipe): the program sees the end of input.
    void closeInput() {
        if (stdinPipe_[1] >= 0) ::close(stdinPipe_[1]);
        stdinPipe_[1] = -1;
    }

    void signal(int number) { ::kill(pid_, number); }

    // The next trace line beginning with `prefix`, after the last one found.
    std::optional<TraceLine> await(std::string_view prefix, Millis timeout = kPatience) {
        return trace_->next(prefix, timeout, [this] { return running(); });
    }

    // Everything the terminal received so far.
    std::string screen() {
        std::lock_guard lock(mutex_);
        return screen_;
    }
    // Everything written to the standard output pipe so far.
    std::string pipedOutput() {
        std::lock_guard lock(mutex_);
        return piped_;
    }

    // The screen once the terminal holds nothing more to read.
    std::string settledScreen(Millis timeout = kPatience) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            int pending = 0;
            ::ioctl(master_, FIONREAD, &pending);
            if (pending == 0 || Clock::now() >= deadline) break;
            std::this_thread::sleep_for(Millis(2));
        }
        // Two more passes of the reader: what it read last is in the buffer.
        std::unique_lock lock(mutex_);
        const unsigned long long target = readerPasses_ + 2;
        output_.wait_for(lock, timeout, [&] { return readerPasses_ >= target; });
        return screen_;
    }

    // Standard output once its pipe has ended (the program and its children have closed it).
    std::optional<std::string> pipedOutputToEnd(Millis timeout = kPatience) {
        std::unique_lock lock(mutex_);
        if (!output_.wait_for(lock, timeout, [&] { return pipeEnded_; })) return std::nullopt;
        return piped_;
    }

    bool awaitScreen(std::string_view text, Millis timeout = kPatience) {
        std::unique_lock lock(mutex_);
        return output_.wait_for(lock, timeout, [&] { return screen_.find(text) != std::string::npos; });
    }

    termios terminalModes() const {
        termios modes{};
        if (::tcgetattr(slave_, &modes) != 0) throw std::runtime_error("tcgetattr failed");
        return modes;
    }
    const termios& modesAtStart() const { return modesAtStart_; }

    // Waits until the terminal modes satisfy `condition`.
    bool awaitModes(const std::function<bool(const termios&)>& condition, Millis timeout = kPatience) {
        const auto deadline = Clock::now() + timeout;
        while (!condition(terminalModes())) {
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(Millis(2));
        }
        return true;
    }

    bool running() {
        reap(WNOHANG);
        return !status_;
    }

    // The wait status once the program has ended; nullopt if it is still running at the timeout.
    std::optional<int> awaitExit(Millis timeout = kPatience) {
        const auto deadline = Clock::now() + timeout;
        while (running() && Clock::now() < deadline) std::this_thread::sleep_for(Millis(5));
        return status_;
    }

    // The trace, the screen and the state of the process, for a failure message.
    std::string report() {
        std::string text = "trace:\n" + trace_->dump() + "screen: \"" + printable(screen()) + "\"\n";
        if (stdoutPipe_[0] >= 0) text += "standard output: \"" + printable(pipedOutput()) + "\"\n";
        running();
        if (!status_)
            text += "still running\n";
        else if (WIFEXITED(*status_))
            text += "exited with status " + std::to_string(WEXITSTATUS(*status_)) + "\n";
        else if (WIFSIGNALED(*status_))
            text += "killed by signal " + std::to_string(WTERMSIG(*status_)) + "\n";
        return text;
    }

    static std::string printable(std::string_view bytes) {
        std::string text;
        for (unsigned char c : bytes) {
            if (c == '\n')
                text += "\\n";
            else if (c == '\r')
                text += "\\r";
            else if (c < 0x20 || c == 0x7f) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
                text += escaped;
            } else
                text += static_cast<char>(c);
        }
        return text;
    }

private:
    static void cloexec(int fd) { ::fcntl(fd, F_SETFD, FD_CLOEXEC); }

    // A pipe whose other end the child gets; returns the parent's end.
    static int pipeFor(int (&ends)[2], int parentEnd) {
        if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        return ends[parentEnd];
    }

    void makeWorkDir(const std::filesystem::path& sourceDir) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vaksotet-e2e-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        workDir_ = pattern;
        // Its own folder, so that its "szamok.wav" is its own; the recordings are the repository's.
        std::filesystem::create_directory_symlink(sourceDir / "hangok", workDir_ / "hangok");
        std::FILE* trace = std::fopen(traceFile().c_str(), "w");
        if (trace == nullptr) throw std::runtime_error("cannot create the trace file");
        std::fclose(trace);
    }

    void start(const Launch& launch) {
        // Everything the child needs is built before the fork: after it, only exec.
        std::vector<std::string> argStrings{launch.program};
        argStrings.insert(argStrings.end(), launch.arguments.begin(), launch.arguments.end());
        std::vector<std::string> envStrings;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            std::string_view variable = *entry;
            if (variable.starts_with("ALSOFT_DRIVERS=") || variable.starts_with("VAKSOTET_TRACE=")) continue;
            envStrings.emplace_back(variable);
        }
        if (launch.nullSoundOutput) envStrings.emplace_back("ALSOFT_DRIVERS=null");
        envStrings.push_back("VAKSOTET_TRACE=" + traceFile().string());
        std::vector<char*> argv = pointers(argStrings);
        std::vector<char*> envp = pointers(envStrings);
        const int in = launch.inputFromPipe ? stdinPipe_[0] : slave_;
        const int out = launch.outputToPipe ? stdoutPipe_[1] : slave_;
        const char* dir = workDir_.c_str();

        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            // The terminal becomes the controlling terminal of a session of its own.
            ::signal(SIGPIPE, SIG_DFL);  // an ignored signal would stay ignored across exec
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::setsid();
            ::ioctl(slave_, TIOCSCTTY, 0);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(slave_, 2);
            if (::chdir(dir) != 0) ::_exit(126);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        if (launch.inputFromPipe) {
            ::close(stdinPipe_[0]);
            stdinPipe_[0] = -1;
        } else {
            input_ = master_;
        }
        if (launch.outputToPipe) {
            ::close(stdoutPipe_[1]);
            stdoutPipe_[1] = -1;
        }
    }

    static std::vector<char*> pointers(std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (std::string& s : strings) result.push_back(s.data());
        result.push_back(nullptr);
        return result;
    }

    // Drains the terminal (and the output pipe) all the time, so the program
    // never blocks on a full buffer.
    void readOutput() {
        bool pipeOpen = stdoutPipe_[0] >= 0;
        while (!stopReading_) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {pipeOpen ? stdoutPipe_[0] : -1, POLLIN, 0}};
            char buffer[4096];
            if (::poll(fds, 2, 20) <= 0) fds[0].revents = fds[1].revents = 0;
            if (fds[0].revents & POLLIN) {
                ssize_t count = ::read(master_, buffer, sizeof buffer);
                if (count > 0) append(screen_, buffer, count);
            } else if (fds[0].revents & (POLLHUP | POLLERR)) {
                std::this_thread::sleep_for(Millis(20));  // a terminal hung up: nothing more will come
            }
            if (fds[1].revents & (POLLIN | POLLHUP)) {
                ssize_t count = ::read(stdoutPipe_[0], buffer, sizeof buffer);
                if (count > 0)
                    append(piped_, buffer, count);
                else if (count == 0)
                    pipeOpen = false;
            }
            {
                std::lock_guard lock(mutex_);
                ++readerPasses_;
                pipeEnded_ = stdoutPipe_[0] >= 0 && !pipeOpen;
            }
            output_.notify_all();
        }
    }

    void append(std::string& to, const char* bytes, ssize_t count) {
        {
            std::lock_guard lock(mutex_);
            to.append(bytes, static_cast<std::size_t>(count));
        }
        output_.notify_all();
    }

    void reap(int options) {
        if (status_) return;
        int status = 0;
        pid_t result = ::waitpid(pid_, &status, options);
        if (result == pid_) status_ = status;
    }

    std::filesystem::path workDir_;
    int master_ = -1;
    int slave_ = -1;  // kept open here, so the modes can be read before, during and after the run
    int stdinPipe_[2] = {-1, -1};
    int stdoutPipe_[2] = {-1, -1};
    int input_ = -1;
    termios modesAtStart_{};
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::unique_ptr<TraceReader> trace_;

    std::mutex mutex_;
    std::condition_variable output_;
    std::string screen_;
    std::string piped_;
    bool pipeEnded_ = false;
    unsigned long long readerPasses_ = 0;
    std::atomic<bool> stopReading_{false};
    std::thread reader_;
};

}  // namespace e2e
