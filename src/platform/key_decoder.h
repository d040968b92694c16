// Turns the bytes a terminal sends into the console's key codes: plain keys as
// their byte, extended keys as two codes (a prefix, then a scan code), the way
// the game reads them. Pure: no terminal, no clock, so tests feed it bytes.
#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace platform {

// Codes of the two-code form.
inline constexpr int kExtendedPrefix = 224;  // arrows and the editing keys
inline constexpr int kFunctionPrefix = 0;    // F1..F10
inline constexpr int kEnter = 13;
inline constexpr int kEsc = 27;

class KeyDecoder {
public:
    // One byte as it came from the input.
    void feed(unsigned char byte);
    void feed(std::string_view bytes);
    // The short wait passed and no byte came: an Esc on its own is the Esc key.
    void timeout();

    // True while a started escape sequence waits for more bytes (or the timeout).
    bool waitingForMore() const { return state_ != State::ground; }
    bool hasCode() const { return !codes_.empty(); }
    // The oldest decoded code, 0..255. Only when hasCode().
    int takeCode();

private:
    enum class State {
        ground,        // between keys
        escape,        // after ESC
        csi,           // after ESC [ : parameters, then a final byte
        ss3,           // after ESC O : parameters, then a final byte
        linuxConsole,  // after ESC [ [ : the Linux console's F1..F5
    };

    void ground(unsigned char byte);
    void sequence(unsigned char byte);
    void finishCsi(unsigned char final);
    void finishSs3(unsigned char final);
    void finishTilde();
    bool arrowOrHomeEnd(unsigned char final);
    void emit(int code) { codes_.push_back(code); }
    void emit(int prefix, int scanCode) {
        codes_.push_back(prefix);
        codes_.push_back(scanCode);
    }

    State state_ = State::ground;
    // The first numeric parameter of the sequence (ESC [ 3 ~ → 3), or -1 when none.
    int firstParameter_ = -1;
    bool inFirstParameter_ = true;
    bool sequenceHasBytes_ = false;  // anything after ESC [ or ESC O
    bool lastWasCarriageReturn_ = false;
    std::deque<int> codes_;
};

}  // namespace platform
