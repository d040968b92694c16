#include "platform/key_decoder.h"

namespace platform {
namespace {

// Scan codes of the extended keys.
constexpr int kUp = 72, kDown = 80, kLeft = 75, kRight = 77;
constexpr int kHome = 71, kEnd = 79, kPageUp = 73, kPageDown = 81, kInsert = 82, kDelete = 83;
constexpr int kF1 = 59;  // F1..F10 are 59..68
constexpr int kF6 = 64;

constexpr unsigned char kEscByte = 0x1b;
constexpr int kParameterLimit = 10000;  // a longer number is no key anyone sends

bool isParameterByte(unsigned char byte) { return byte >= 0x30 && byte <= 0x3f; }
bool isIntermediateByte(unsigned char byte) { return byte >= 0x20 && byte <= 0x2f; }
bool isFinalByte(unsigned char byte) { return byte >= 0x40 && byte <= 0x7e; }

}  // namespace

void KeyDecoder::feed(std::string_view bytes) {
    for (char byte : bytes) feed(static_cast<unsigned char>(byte));
}

void KeyDecoder::feed(unsigned char byte) {
    switch (state_) {
    case State::ground:
        ground(byte);
        break;
    case State::escape:
        if (byte == '[' || byte == 'O') {
            state_ = byte == '[' ? State::csi : State::ss3;
            firstParameter_ = -1;
            inFirstParameter_ = true;
            sequenceHasBytes_ = false;
        } else {
            // Esc followed at once by another key (Alt+letter sends this): both are keys.
            state_ = State::ground;
            emit(kEsc);
            ground(byte);
        }
        break;
    case State::linuxConsole:
        state_ = State::ground;
        if (byte >= 'A' && byte <= 'E')
            emit(kFunctionPrefix, kF1 + (byte - 'A'));
        else if (!isFinalByte(byte))
            ground(byte);  // not part of a sequence after all
        break;
    case State::csi:
    case State::ss3:
        sequence(byte);
        break;
    }
}

void KeyDecoder::ground(unsigned char byte) {
    // A "\r\n" pair (a script written on another system) is one Enter.
    bool afterCarriageReturn = lastWasCarriageReturn_;
    lastWasCarriageReturn_ = byte == '\r';
    if (byte == '\n' && afterCarriageReturn) return;

    if (byte == kEscByte)
        state_ = State::escape;
    else if (byte == '\r' || byte == '\n')
        emit(kEnter);
    else
        emit(byte);
}

// Inside ESC [ or ESC O: parameters and intermediates, then one final byte.
void KeyDecoder::sequence(unsigned char byte) {
    if (state_ == State::csi && !sequenceHasBytes_ && byte == '[') {
        state_ = State::linuxConsole;
        return;
    }
    if (isParameterByte(byte) || isIntermediateByte(byte)) {
        sequenceHasBytes_ = true;
        if (inFirstParameter_ && byte >= '0' && byte <= '9') {
            int digit = byte - '0';
            firstParameter_ = firstParameter_ < 0 ? digit : firstParameter_ * 10 + digit;
            if (firstParameter_ > kParameterLimit) firstParameter_ = kParameterLimit;
        } else {
            inFirstParameter_ = false;
        }
        return;
    }
    State finished = state_;
    state_ = State::ground;
    if (!isFinalByte(byte)) {
        ground(byte);  // a broken sequence: drop it, keep the new byte
    } else if (finished == State::csi) {
        finishCsi(byte);
    } else {
        finishSs3(byte);
    }
}

bool KeyDecoder::arrowOrHomeEnd(unsigned char final) {
    switch (final) {
    case 'A': emit(kExtendedPrefix, kUp); return true;
    case 'B': emit(kExtendedPrefix, kDown); return true;
    case 'C': emit(kExtendedPrefix, kRight); return true;
    case 'D': emit(kExtendedPrefix, kLeft); return true;
    case 'H': emit(kExtendedPrefix, kHome); return true;
    case 'F': emit(kExtendedPrefix, kEnd); return true;
    case 'P': case 'Q': case 'R': case 'S': emit(kFunctionPrefix, kF1 + (final - 'P')); return true;
    default: return false;
    }
}

// Modifiers (ESC [ 1 ; 5 A is Ctrl+Up) are ignored: the key itself counts.
void KeyDecoder::finishCsi(unsigned char final) {
    if (final == '~')
        finishTilde();
    else
        arrowOrHomeEnd(final);  // anything else is a key the game does not know: swallowed
}

void KeyDecoder::finishSs3(unsigned char final) { arrowOrHomeEnd(final); }

// ESC [ <n> ~, the vt220 form of the editing and function keys.
void KeyDecoder::finishTilde() {
    int n = firstParameter_;
    switch (n) {
    case 1: case 7: emit(kExtendedPrefix, kHome); return;
    case 4: case 8: emit(kExtendedPrefix, kEnd); return;
    case 2: emit(kExtendedPrefix, kInsert); return;
    case 3: emit(kExtendedPrefix, kDelete); return;
    case 5: emit(kExtendedPrefix, kPageUp); return;
    case 6: emit(kExtendedPrefix, kPageDown); return;
    default: break;
    }
    if (n >= 11 && n <= 15)
        emit(kFunctionPrefix, kF1 + (n - 11));
    else if (n >= 17 && n <= 21)
        emit(kFunctionPrefix, kF6 + (n - 17));
    // Any other number (F11 and up, paste brackets, ...) is swallowed.
}

void KeyDecoder::timeout() {
    bool justIntroducer = !sequenceHasBytes_;
    State unfinished = state_;
    state_ = State::ground;
    switch (unfinished) {
    case State::escape:
        emit(kEsc);
        break;
    case State::csi:
        // ESC [ or ESC O and then nothing: Esc and a key typed at once (Alt+[, Alt+O).
        if (justIntroducer) emit(kEsc, '[');
        break;
    case State::ss3:
        if (justIntroducer) emit(kEsc, 'O');
        break;
    default:
        break;  // a sequence cut short is dropped, never turned into stray keys
    }
}

int KeyDecoder::takeCode() {
    int code = codes_.front();
    codes_.pop_front();
    return code;
}

}  // namespace platform
