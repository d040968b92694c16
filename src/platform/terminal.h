// The console: keys read one by one without echo, the code word read with
// echo, and text written straight to the screen.
//
// On a terminal the input is put into raw mode (no echo, no line buffering,
// Ctrl+C still interrupts) and its settings come back on every way out: the
// end of the Terminal, exit, the end of input, SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGPIPE and the crash signals (restored, then the signal goes on
// to its usual action). Ctrl+Z gives the shell its settings back, and the
// game takes raw mode again when it continues in the foreground.
// Input from a pipe or a file is read the same way, without raw mode.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

#include "platform/key_decoder.h"

namespace platform {

class Terminal {
public:
    // How long an Esc waits for the rest of a sequence before it counts as the Esc key.
    static constexpr int kEscWaitMs = 50;

    // Only one Terminal at a time may hold a terminal in raw mode.
    explicit Terminal(int input = STDIN_FILENO, int output = STDOUT_FILENO);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // True when the input is a terminal that this object put into raw mode.
    bool isRaw() const { return raw_; }

    // A key code is waiting. Never blocks; false at once after the end of input.
    bool kbhit();
    // The next key code, 0..255, waiting for one. At the end of input it
    // throws InputClosed, again at once on every later call.
    int getch();
    // One word, as a stream's `>> word` reads it: leading white space is
    // skipped and the word ends at white space. On a terminal it is typed
    // with echo and line editing. Words left on its line serve later calls.
    // nullopt at the end of input.
    std::optional<std::string> readWord();
    // The whole text, at once, byte for byte (UTF-8 as it is).
    void write(std::string_view text);

private:
    enum class ReadResult { bytes, nothing, end };

    void pump(int waitMs);
    void decodeUnread();
    ReadResult readInput(int waitMs);
    std::optional<std::string> readLine();

    int input_;
    int output_;
    bool raw_ = false;
    bool closed_ = false;             // the input has ended (or broken) for good
    KeyDecoder decoder_;
    std::string unread_;              // bytes read but not yet decoded; readWord takes from here first
    std::string lineRest_;            // what followed the last word on its line
    std::int64_t lastArrival_ = 0;    // when bytes last came, nanoseconds since start
};

}  // namespace platform
