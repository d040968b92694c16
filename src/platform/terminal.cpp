#include "platform/terminal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include <poll.h>
#include <termios.h>

#include "platform/clock.h"
#include "platform/platform.h"

namespace platform {
namespace {

// ---- The terminal's saved settings, reachable from signal handlers ----------
//
// Signal handlers can only reach globals, so the settings live here, one set
// per process. Everything a handler calls (tcsetattr, tcgetpgrp, getpgrp,
// sigaction, raise) is async-signal-safe.

enum Mode : int { kRawMode = 0, kWordMode = 1 };

struct SavedTerminal {
    int fd = -1;
    termios original{};  // as the game found it: given back on every way out
    termios modes[2]{};  // kRawMode: keys; kWordMode: the code word, with echo
    volatile sig_atomic_t changed = 0;  // the terminal carries one of our modes
    volatile sig_atomic_t mode = kRawMode;
};

SavedTerminal saved;

// Restores what the game found. Unread keys are dropped, so they don't reach the shell.
void giveBack(int when) {
    if (saved.changed) tcsetattr(saved.fd, when, &saved.original);
}

bool inBackground() {
    pid_t foreground = tcgetpgrp(saved.fd);
    return foreground != -1 && foreground != getpgrp();
}

// Puts our current mode (back) on the terminal. From the background this
// would stop the game, so it waits for the SIGCONT of `fg`.
void takeOver() {
    if (!inBackground()) tcsetattr(saved.fd, TCSANOW, &saved.modes[saved.mode]);
}

void setMode(Mode mode) {
    saved.mode = mode;
    tcsetattr(saved.fd, TCSANOW, &saved.modes[mode]);
}

void restoreAtExit() {
    giveBack(TCSAFLUSH);
    saved.changed = 0;
}

// ---- Signals ----------------------------------------------------------------

// Signals whose usual action ends the program: the terminal is given back
// first, then the signal goes on to the action that was there before us.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE,
                                  SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr int kJobSignals[] = {SIGTSTP, SIGCONT};

struct sigaction previousActions[NSIG];
bool installed[NSIG];

bool isFault(int signal) {
    return signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL;
}

void onEndingSignal(int signal, siginfo_t* info, void*) {
    int savedErrno = errno;
    giveBack(TCSAFLUSH);
    sigaction(signal, &previousActions[signal], nullptr);
    // A real fault returns and faults again, now into the earlier handler (the
    // default, or a sanitizer's report); a sent signal is sent again.
    bool realFault = isFault(signal) && info != nullptr && info->si_code > 0;
    if (!realFault) raise(signal);
    errno = savedErrno;
}

void onStop(int) {
    int savedErrno = errno;
    giveBack(TCSANOW);
    // Stop as the default action does, so the shell sees a stop by SIGTSTP.
    struct sigaction stopAction {};
    stopAction.sa_handler = SIG_DFL;
    struct sigaction ours {};
    sigaction(SIGTSTP, &stopAction, &ours);
    raise(SIGTSTP);  // the handler runs with SA_NODEFER, so this stops here
    sigaction(SIGTSTP, &ours, nullptr);
    errno = savedErrno;
}

void onContinue(int) {
    int savedErrno = errno;
    if (saved.changed) takeOver();
    errno = savedErrno;
}

void install(int signal, void (*handler)(int, siginfo_t*, void*), void (*simple)(int)) {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_NODEFER | SA_RESTART;
    if (handler != nullptr) {
        action.sa_flags |= SA_SIGINFO;
        action.sa_sigaction = handler;
    } else {
        action.sa_handler = simple;
    }
    struct sigaction previous {};
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN && !(previous.sa_flags & SA_SIGINFO))
        return;  // ignored when we started (nohup, a shell without job control): keep it so
    previousActions[signal] = previous;
    sigaction(signal, &action, nullptr);
    installed[signal] = true;
}

void installSignalHandlers() {
    for (int signal : kEndingSignals) install(signal, onEndingSignal, nullptr);
    install(SIGTSTP, nullptr, onStop);
    install(SIGCONT, nullptr, onContinue);
}

void removeSignalHandlers() {
    auto remove = [](int signal) {
        if (installed[signal]) sigaction(signal, &previousActions[signal], nullptr);
        installed[signal] = false;
    };
    for (int signal : kEndingSignals) remove(signal);
    for (int signal : kJobSignals) remove(signal);
}

// ---- Modes ------------------------------------------------------------------

// No echo, no line buffering, bytes as they are; Ctrl+C still interrupts and
// output still turns "\n" into a new line.
termios rawModeOf(termios mode) {
    mode.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
    mode.c_cflag |= CS8;
    mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN);
    mode.c_lflag |= ISIG;
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    return mode;
}

// A line typed with echo and the terminal's own line editing.
termios wordModeOf(termios mode) {
    mode.c_iflag |= ICRNL;
    mode.c_lflag |= ECHO | ECHOE | ECHOK | ICANON | ISIG;
    return mode;
}

// Saves the settings, arranges every restore, and only then changes them.
bool enterRawMode(int fd) {
    termios original{};
    if (!isatty(fd) || tcgetattr(fd, &original) != 0) return false;
    if (saved.changed) throw std::logic_error("another Terminal already holds a terminal in raw mode");

    static bool atexitRegistered = false;
    if (!atexitRegistered) atexitRegistered = std::atexit(restoreAtExit) == 0;

    saved.fd = fd;
    saved.original = original;
    saved.modes[kRawMode] = rawModeOf(original);
    saved.modes[kWordMode] = wordModeOf(original);
    saved.mode = kRawMode;
    saved.changed = 1;
    installSignalHandlers();
    takeOver();
    return true;
}

void leaveRawMode() {
    giveBack(TCSAFLUSH);
    saved.changed = 0;
    removeSignalHandlers();
}

// While it lives, the terminal echoes and edits a line (only when it was raw).
class WordModeScope {
public:
    explicit WordModeScope(bool raw) : raw_(raw) {
        if (raw_) setMode(kWordMode);
    }
    ~WordModeScope() {
        if (raw_) setMode(kRawMode);
    }
    WordModeScope(const WordModeScope&) = delete;
    WordModeScope& operator=(const WordModeScope&) = delete;

private:
    bool raw_;
};

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The first word of `text`, which keeps what follows it; nullopt when there is none.
std::optional<std::string> takeWord(std::string& text) {
    auto start = std::find_if_not(text.begin(), text.end(), isWhiteSpace);
    if (start == text.end()) {
        text.clear();
        return std::nullopt;
    }
    auto end = std::find_if(start, text.end(), isWhiteSpace);
    std::string word(start, end);
    text.erase(text.begin(), end);
    return word;
}

}  // namespace

Terminal::Terminal(int input, int output) : input_(input), output_(output) { raw_ = enterRawMode(input_); }

Terminal::~Terminal() {
    if (raw_) leaveRawMode();
}

bool Terminal::kbhit() {
    pump(0);
    return decoder_.hasCode();
}

int Terminal::getch() {
    for (;;) {
        pump(-1);
        if (decoder_.hasCode()) return decoder_.takeCode();
        if (closed_ && unread_.empty() && !decoder_.waitingForMore()) throw InputClosed();
    }
}

// Decodes what has been read, and reads more (waiting at most waitMs, -1 for
// as long as it takes) only when that gives no code yet. A started sequence
// waits no longer than the Esc wait: then it is settled.
void Terminal::pump(int waitMs) {
    decodeUnread();
    if (decoder_.hasCode()) return;
    if (decoder_.waitingForMore()) {
        std::int64_t left = lastArrival_ + kEscWaitMs * kNanosPerMilli - nanosSinceStart();
        if (closed_ || left <= 0) {
            decoder_.timeout();
            return;
        }
        int leftMs = static_cast<int>((left + kNanosPerMilli - 1) / kNanosPerMilli);
        waitMs = waitMs < 0 ? leftMs : std::min(waitMs, leftMs);
    }
    if (closed_) return;
    if (readInput(waitMs) == ReadResult::end) closed_ = true;
    decodeUnread();
}

// Feeds the decoder only up to its next code, so that unread bytes stay for readWord.
void Terminal::decodeUnread() {
    std::size_t used = 0;
    while (used < unread_.size() && !decoder_.hasCode()) decoder_.feed(static_cast<unsigned char>(unread_[used++]));
    unread_.erase(0, used);
}

Terminal::ReadResult Terminal::readInput(int waitMs) {
    pollfd request{input_, POLLIN, 0};
    int ready = ::poll(&request, 1, waitMs);
    if (ready < 0) return errno == EINTR || errno == EAGAIN ? ReadResult::nothing : ReadResult::end;
    if (ready == 0) return ReadResult::nothing;
    if (request.revents & POLLNVAL) return ReadResult::end;  // no input at all

    char buffer[256];
    ssize_t count = ::read(input_, buffer, sizeof buffer);
    if (count > 0) {
        unread_.append(buffer, static_cast<std::size_t>(count));
        lastArrival_ = nanosSinceStart();
        return ReadResult::bytes;
    }
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) return ReadResult::nothing;
    return ReadResult::end;  // end of file, a hung-up terminal, a broken input
}

std::optional<std::string> Terminal::readWord() {
    for (;;) {
        if (auto word = takeWord(lineRest_)) return word;
        std::optional<std::string> line = readLine();
        if (!line) return std::nullopt;
        lineRest_ = std::move(*line);
    }
}

// The next line, through its "\n"; at the end of input what is left, or nullopt.
std::optional<std::string> Terminal::readLine() {
    WordModeScope echo(raw_);
    for (;;) {
        std::size_t newline = unread_.find('\n');
        if (newline != std::string::npos) {
            std::string line = unread_.substr(0, newline + 1);
            unread_.erase(0, newline + 1);
            return line;
        }
        if (!closed_) {
            ReadResult result = readInput(-1);
            if (result != ReadResult::end) continue;
            // Ctrl+D on a terminal ends this line only; a pipe or file has ended.
            if (!raw_) closed_ = true;
        }
        if (unread_.empty()) return std::nullopt;
        return std::exchange(unread_, std::string());
    }
}

void Terminal::write(std::string_view text) {
    const char* next = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(output_, next, left);
        if (written > 0) {
            next += written;
            left -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd request{output_, POLLOUT, 0};
            ::poll(&request, 1, -1);
        } else {
            return;  // the screen is gone: the game goes on by ear
        }
    }
}

}  // namespace platform
