#include "platform/terminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>

#include "platform/platform.h"

namespace platform {
namespace {

// A pseudo-terminal: the game's side is `slave`, the "keyboard and screen" is `master`.
struct Pty {
    int master = -1;
    int slave = -1;
    Pty() {
        if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    }
    ~Pty() {
        close(master);
        close(slave);
    }
    termios settings() const {
        termios now{};
        tcgetattr(slave, &now);
        return now;
    }
    void type(const std::string& bytes) const { ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // What the screen received within `ms`.
    std::string screen(int ms) const {
        std::string received;
        pollfd request{master, POLLIN, 0};
        char buffer[256];
        while (::poll(&request, 1, ms) > 0) {
            ssize_t count = ::read(master, buffer, sizeof buffer);
            if (count <= 0) break;
            received.append(buffer, static_cast<std::size_t>(count));
        }
        return received;
    }
};

bool sameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

bool isRawMode(const termios& t) {
    return !(t.c_lflag & ICANON) && !(t.c_lflag & ECHO) && (t.c_lflag & ISIG) && (t.c_oflag & OPOST);
}

// A child process that holds the pty's terminal in raw mode until a signal
// ends it; `crash` makes it fault on its own once the parent says so.
struct RawChild {
    pid_t pid = -1;
    int ready[2] = {-1, -1};
    int go[2] = {-1, -1};

    RawChild(const Pty& pty, bool crash = false) {
        if (pipe(ready) != 0 || pipe(go) != 0) throw std::runtime_error("pipe failed");
        pid = fork();
        if (pid == 0) {
            setpgid(0, 0);  // a job of its own, as a shell starts it
            rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            if (crash) dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);  // a sanitizer's report of the fault is expected
            Terminal terminal(pty.slave, pty.slave);
            char byte = 'r';
            (void)!::write(ready[1], &byte, 1);
            (void)!::read(go[0], &byte, 1);
            volatile std::uintptr_t unmapped = 8;  // a fault, not a null store a sanitizer would catch first
            if (crash) *reinterpret_cast<volatile int*>(unmapped) = 1;
            for (;;) pause();
        }
        close(ready[1]);
        close(go[0]);
    }
    ~RawChild() {
        close(ready[0]);
        close(go[1]);
        if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool waitUntilReady() const {
        pollfd request{ready[0], POLLIN, 0};
        char byte;
        return ::poll(&request, 1, 5000) > 0 && ::read(ready[0], &byte, 1) == 1;
    }
    void sayGo() const { (void)!::write(go[1], "g", 1); }
    int waitForEnd() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return status;
    }
};

// Polls until `condition` holds, at most two seconds (a signal's handler runs asynchronously).
template <class Condition>
bool eventually(Condition condition) {
    for (int i = 0; i < 200; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

TEST(Terminal, RawModeIsEnteredAndTheSettingsComeBackAtTheEnd) {
    Pty pty;
    termios before = pty.settings();
    ASSERT_FALSE(isRawMode(before));
    {
        Terminal terminal(pty.slave, pty.slave);
        EXPECT_TRUE(terminal.isRaw());
        EXPECT_TRUE(isRawMode(pty.settings()));
    }
    EXPECT_TRUE(sameSettings(pty.settings(), before));
}

TEST(Terminal, OnlyOneTerminalHoldsRawMode) {
    Pty first, second;
    Terminal terminal(first.slave, first.slave);
    termios before = second.settings();
    EXPECT_THROW(Terminal(second.slave, second.slave), std::logic_error);
    EXPECT_TRUE(sameSettings(second.settings(), before));
}

class EndingSignal : public ::testing::TestWithParam<int> {};

TEST_P(EndingSignal, GivesTheSettingsBackAndEndsTheProgramBySignal) {
    Pty pty;
    termios before = pty.settings();
    RawChild child(pty);
    ASSERT_TRUE(child.waitUntilReady());
    EXPECT_TRUE(isRawMode(pty.settings()));

    kill(child.pid, GetParam());
    int status = child.waitForEnd();

    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam()) << "status " << status;
    EXPECT_TRUE(sameSettings(pty.settings(), before));
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGABRT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST(Terminal, ACrashGivesTheSettingsBack) {
    Pty pty;
    termios before = pty.settings();
    RawChild child(pty, true);
    ASSERT_TRUE(child.waitUntilReady());
    EXPECT_TRUE(isRawMode(pty.settings()));

    child.sayGo();
    int status = child.waitForEnd();

    // Without sanitizers SIGSEGV ends it; with them their report does (status 1).
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_TRUE(sameSettings(pty.settings(), before));
}

TEST(Terminal, CtrlZGivesTheSettingsBackAndFgTakesRawModeAgain) {
    Pty pty;
    termios before = pty.settings();
    RawChild child(pty);
    ASSERT_TRUE(child.waitUntilReady());

    kill(child.pid, SIGTSTP);
    int status = 0;
    waitpid(child.pid, &status, WUNTRACED);
    ASSERT_TRUE(WIFSTOPPED(status) && WSTOPSIG(status) == SIGTSTP) << "status " << status;
    EXPECT_TRUE(sameSettings(pty.settings(), before));

    kill(child.pid, SIGCONT);
    EXPECT_TRUE(eventually([&] { return isRawMode(pty.settings()); }));

    kill(child.pid, SIGTERM);
    child.waitForEnd();
    EXPECT_TRUE(sameSettings(pty.settings(), before));
}

TEST(Terminal, KeysAreReadWithoutEchoAndTranslated) {
    Pty pty;
    Terminal terminal(pty.slave, pty.slave);
    pty.type("p\r\x1b[A\x1bOP");
    EXPECT_EQ(terminal.getch(), 'p');
    EXPECT_EQ(terminal.getch(), 13);
    EXPECT_EQ(terminal.getch(), 224);
    EXPECT_EQ(terminal.getch(), 72);
    EXPECT_EQ(terminal.getch(), 0);
    EXPECT_EQ(terminal.getch(), 59);
    EXPECT_FALSE(terminal.kbhit());
    EXPECT_EQ(pty.screen(20), "");  // nothing echoed
}

TEST(Terminal, LoneEscIsAKeyOnceTheWaitHasPassed) {
    Pty pty;
    Terminal terminal(pty.slave, pty.slave);
    pty.type("\x1b");
    EXPECT_EQ(terminal.getch(), 27);
    pty.type("\x1b");
    EXPECT_TRUE(eventually([&] { return terminal.kbhit(); }));
    EXPECT_EQ(terminal.getch(), 27);
}

TEST(Terminal, OutputReachesTheScreenWholeAndInUtf8) {
    Pty pty;
    Terminal terminal(pty.slave, pty.slave);
    std::string longText(100000, 'x');
    std::thread writer([&] { terminal.write("Nem sikerült\n" + longText); });
    std::string screen;
    EXPECT_TRUE(eventually([&] {
        screen += pty.screen(0);
        return screen.size() >= longText.size() + 15;
    }));
    writer.join();
    EXPECT_EQ(screen, "Nem sikerült\r\n" + longText);  // the terminal still turns \n into a new line
}

TEST(Terminal, CodeWordIsEchoedAndRawModeComesBack) {
    Pty pty;
    Terminal terminal(pty.slave, pty.slave);
    std::thread player([&] {
        eventually([&] { return (pty.settings().c_lflag & ICANON) != 0; });
        pty.type("  |pipacsok| x\r");  // typed in any case, so a failure cannot hang the test
    });
    std::optional<std::string> word = terminal.readWord();
    player.join();
    EXPECT_EQ(word, "|pipacsok|");
    EXPECT_NE(pty.screen(50).find("|pipacsok| x"), std::string::npos);
    EXPECT_TRUE(isRawMode(pty.settings()));
    EXPECT_EQ(terminal.readWord(), "x");  // the rest of the line serves the next word
}

// Standard input from a pipe or a file: no raw mode, the same keys.
struct PipeInput {
    int ends[2] = {-1, -1};
    explicit PipeInput(const std::string& bytes) {
        if (pipe(ends) != 0) throw std::runtime_error("pipe failed");
        (void)!::write(ends[1], bytes.data(), bytes.size());
        close(ends[1]);
    }
    ~PipeInput() { close(ends[0]); }
};

TEST(TerminalOnAPipe, ClosedPipeMakesGetchThrowInputClosedEveryTime) {
    PipeInput input("a\x1b[B\x1b");
    Terminal terminal(input.ends[0], STDOUT_FILENO);
    EXPECT_FALSE(terminal.isRaw());
    EXPECT_EQ(terminal.getch(), 'a');
    EXPECT_EQ(terminal.getch(), 224);
    EXPECT_EQ(terminal.getch(), 80);
    EXPECT_EQ(terminal.getch(), 27);  // an Esc at the very end is the Esc key
    EXPECT_THROW(terminal.getch(), InputClosed);
    EXPECT_FALSE(terminal.kbhit());
    EXPECT_THROW(terminal.getch(), InputClosed);
    EXPECT_EQ(terminal.readWord(), std::nullopt);
}

TEST(TerminalOnAPipe, KbhitSeesKeysWithoutTakingThem) {
    PipeInput input("k");
    Terminal terminal(input.ends[0], STDOUT_FILENO);
    EXPECT_TRUE(terminal.kbhit());
    EXPECT_TRUE(terminal.kbhit());
    EXPECT_EQ(terminal.getch(), 'k');
    EXPECT_FALSE(terminal.kbhit());
}

TEST(TerminalOnAPipe, WordsAreReadLikeAStreamAndKeysFollowTheirLine) {
    PipeInput input("\x1bOP\n\n   |bonuszvit|\tmore\nq\r\nlast");
    Terminal terminal(input.ends[0], STDOUT_FILENO);
    EXPECT_EQ(terminal.getch(), 0);
    EXPECT_EQ(terminal.getch(), 59);
    EXPECT_EQ(terminal.readWord(), "|bonuszvit|");  // blank lines and white space skipped
    EXPECT_EQ(terminal.getch(), 'q');               // keys go on after the word's line
    EXPECT_EQ(terminal.getch(), 13);
    EXPECT_EQ(terminal.readWord(), "more");
    EXPECT_EQ(terminal.readWord(), "last");  // the last word needs no line end
    EXPECT_EQ(terminal.readWord(), std::nullopt);
    EXPECT_THROW(terminal.getch(), InputClosed);
}

TEST(TerminalOnAPipe, NoInputAtAllIsTheEndOfInput) {
    int devNull = open("/dev/null", O_RDONLY);
    Terminal terminal(devNull, STDOUT_FILENO);
    EXPECT_FALSE(terminal.kbhit());
    EXPECT_THROW(terminal.getch(), InputClosed);
    close(devNull);
    Terminal closedInput(devNull, STDOUT_FILENO);  // not even an open descriptor
    EXPECT_THROW(closedInput.getch(), InputClosed);
}

TEST(TerminalOnAPipe, OutputGoesWholeToAPipe) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    Terminal terminal(STDIN_FILENO, ends[1]);
    terminal.write("12");
    terminal.write("Sugo\xc3\xa1");
    close(ends[1]);
    char buffer[64];
    ssize_t count = ::read(ends[0], buffer, sizeof buffer);
    close(ends[0]);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0))), "12Sugo\xc3\xa1");
}

}  // namespace
}  // namespace platform
