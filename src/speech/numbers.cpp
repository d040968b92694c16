#include "speech/numbers.h"

#include <sstream>
#include <utility>
#include <vector>

#include "wave/wave.h"

namespace speech {

namespace {

// The spoken form of a tens digit before a units clip: "1" tizen, "2" huszon,
// "3" and above the round ten itself.
std::string tensForm(const std::string& tens) {
    if (tens == "1") return "tizen.wav";
    if (tens == "2") return "huszon.wav";
    return tens + "0.wav";
}

// One hundred is said as the word hundred alone, so the digit 1 is silent.
std::string hundredsClip(const std::string& hundreds) {
    return hundreds == "1" ? "ures.wav" : hundreds + ".wav";
}

// The clips that say the value, in order; none where there is no spoken form.
std::vector<std::string> clipsFor(const std::string& text) {
    const std::size_t n = text.size();
    if (n == 0 || text[0] == '-') return {};  // negative values have no spoken form
    auto digit = [&](std::size_t fromRight) { return text.substr(n - 1 - fromRight, 1); };

    switch (n) {
    case 1:
        return {text + ".wav"};
    case 2: {
        const std::string u = digit(0), t = digit(1);
        if (u == "0") return {t + "0.wav"};
        return {tensForm(t), u + ".wav"};
    }
    case 3: {
        const std::string u = digit(0), t = digit(1), h = digit(2);
        if (t == "0" && u == "0") return {hundredsClip(h), "100.wav"};
        if (u == "0") return {hundredsClip(h), "100.wav", t + "0.wav"};
        return {hundredsClip(h), "100.wav", t == "0" ? "ures.wav" : tensForm(t), u + ".wav"};
    }
    case 4:
        // The thousands digit is not looked at: every round thousand says "thousand".
        if (digit(2) == "0" && digit(1) == "0" && digit(0) == "0") return {"1000.wav"};
        return {};
    default:
        return {};
    }
}

}  // namespace

std::string its(int value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

int szbesz(int value) {
    const std::vector<std::string> clips = clipsFor(its(value));
    if (clips.empty()) return 0;

    // Left to right: ((a + b) + c) + d, so the clips sound in list order.
    // Moving the left operand lets each join grow its samples in place.
    CWave spoken("hangok/szamok/" + clips.front());
    for (std::size_t i = 1; i < clips.size(); ++i)
        spoken = std::move(spoken) + CWave("hangok/szamok/" + clips[i]);

    spoken.setFileName("szamok.wav");
    spoken.saveToFile();
    return 0;
}

}  // namespace speech
