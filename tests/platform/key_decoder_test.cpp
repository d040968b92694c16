#include "platform/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

// A read that brought nothing within the short wait.
const std::string kPause;

struct Case {
    const char* name;
    std::vector<std::string> reads;  // what each read brought; kPause for a wait that ran out
    std::vector<int> codes;          // what getch returns, in order
};

const std::vector<Case> kCases = {
    // Plain keys, Enter, bytes of UTF-8 letters.
    {"PlainLetters", {"pEtg"}, {112, 69, 116, 103}},
    {"SpaceAndDigits", {" 1234"}, {32, 49, 50, 51, 52}},
    {"CarriageReturnIsEnter", {"\r"}, {13}},
    {"LineFeedIsEnter", {"\n"}, {13}},
    {"CarriageReturnLineFeedIsOneEnter", {"\r\n\r"}, {13, 13}},
    {"TwoLineFeedsAreTwoEnters", {"\n\n"}, {13, 13}},
    {"Utf8BytesPassThrough", {"\xc3\xb6"}, {0xc3, 0xb6}},
    {"DelAndControlBytesPassThrough", {"\x7f\x04"}, {127, 4}},

    // Arrows in both cursor modes, with and without modifiers.
    {"ArrowsCsi", {"\x1b[A\x1b[B\x1b[D\x1b[C"}, {224, 72, 224, 80, 224, 75, 224, 77}},
    {"ArrowsSs3", {"\x1bOA\x1bOB\x1bOD\x1bOC"}, {224, 72, 224, 80, 224, 75, 224, 77}},
    {"CtrlUpWithParametersIsUp", {"\x1b[1;5A"}, {224, 72}},
    {"ShiftLeftIsLeft", {"\x1b[1;2D"}, {224, 75}},

    // Home and End in every common spelling.
    {"HomeCsiH", {"\x1b[H"}, {224, 71}},
    {"HomeSs3H", {"\x1bOH"}, {224, 71}},
    {"HomeTilde1", {"\x1b[1~"}, {224, 71}},
    {"HomeTilde7", {"\x1b[7~"}, {224, 71}},
    {"EndCsiF", {"\x1b[F"}, {224, 79}},
    {"EndSs3F", {"\x1bOF"}, {224, 79}},
    {"EndTilde4", {"\x1b[4~"}, {224, 79}},
    {"EndTilde8", {"\x1b[8~"}, {224, 79}},
    {"InsertDeletePages", {"\x1b[2~\x1b[3~\x1b[5~\x1b[6~"}, {224, 82, 224, 83, 224, 73, 224, 81}},
    {"ShiftDeleteIsDelete", {"\x1b[3;2~"}, {224, 83}},

    // Function keys: xterm, vt220 and the Linux console.
    {"F1toF4Xterm", {"\x1bOP\x1bOQ\x1bOR\x1bOS"}, {0, 59, 0, 60, 0, 61, 0, 62}},
    {"F1toF4WithModifier", {"\x1b[1;2P\x1b[1;5S"}, {0, 59, 0, 62}},
    {"F1toF5Vt", {"\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~"}, {0, 59, 0, 60, 0, 61, 0, 62, 0, 63}},
    {"F6toF10", {"\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~"}, {0, 64, 0, 65, 0, 66, 0, 67, 0, 68}},
    {"F1toF5LinuxConsole", {"\x1b[[A\x1b[[B\x1b[[C\x1b[[D\x1b[[E"}, {0, 59, 0, 60, 0, 61, 0, 62, 0, 63}},

    // Unknown sequences are swallowed whole, the keys around them kept.
    {"UnknownCsiSwallowed", {"a\x1b[Zb"}, {97, 98}},
    {"F11AndF12Swallowed", {"\x1b[23~\x1b[24~x"}, {120}},
    {"UnknownSs3Swallowed", {"\x1bOjx"}, {120}},
    {"HugeParameterSwallowed", {"\x1b[99999999999999999999;3~q"}, {113}},
    {"PasteBracketsSwallowedTextKept", {"\x1b[200~ab\x1b[201~"}, {97, 98}},
    {"UnknownLinuxConsoleSwallowed", {"\x1b[[Zq"}, {113}},
    {"BrokenSequenceDroppedNewByteKept", {"\x1b[1\rq"}, {13, 113}},

    // Esc: alone only after the wait; followed at once by a key it is two keys.
    {"LoneEscWaitsForThePause", {"\x1b"}, {}},
    {"LoneEscAfterThePause", {"\x1b", kPause}, {27}},
    {"EscThenLetterAtOnce", {"\x1bk"}, {27, 107}},
    {"EscEscThenPause", {"\x1b\x1b", kPause}, {27, 27}},
    {"EscThenArrow", {"\x1b\x1b[A"}, {27, 224, 72}},
    {"EscBracketThenPauseIsTwoKeys", {"\x1b[", kPause}, {27, 91}},
    {"EscOThenPauseIsTwoKeys", {"\x1bO", kPause}, {27, 79}},
    {"SequenceCutShortByThePauseIsDropped", {"\x1b[1;", kPause, "x"}, {120}},
    {"PauseBetweenKeysChangesNothing", {"a", kPause, "b"}, {97, 98}},

    // A sequence split over several reads.
    {"SplitAfterEsc", {"\x1b", "[A"}, {224, 72}},
    {"SplitInsideParameters", {"\x1b[1", "1", "~"}, {0, 59}},
    {"SplitSs3", {"\x1bO", "P"}, {0, 59}},
};

std::vector<int> decode(const std::vector<std::string>& reads, bool oneBytePerRead) {
    KeyDecoder decoder;
    std::vector<int> codes;
    auto drain = [&] {
        while (decoder.hasCode()) codes.push_back(decoder.takeCode());
    };
    for (const std::string& read : reads) {
        if (read.empty()) {
            decoder.timeout();
        } else if (oneBytePerRead) {
            for (char byte : read) {
                decoder.feed(static_cast<unsigned char>(byte));
                drain();
            }
        } else {
            decoder.feed(read);
        }
        drain();
    }
    return codes;
}

class KeyDecoderTable : public ::testing::TestWithParam<Case> {};

TEST_P(KeyDecoderTable, GivesTheConsoleCodes) {
    EXPECT_EQ(decode(GetParam().reads, false), GetParam().codes) << "whole reads";
    EXPECT_EQ(decode(GetParam().reads, true), GetParam().codes) << "one byte per read";
}

INSTANTIATE_TEST_SUITE_P(Sequences, KeyDecoderTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyDecoder, WaitsForMoreOnlyInsideASequence) {
    KeyDecoder decoder;
    EXPECT_FALSE(decoder.waitingForMore());
    decoder.feed("\x1b[1;");
    EXPECT_TRUE(decoder.waitingForMore());
    EXPECT_FALSE(decoder.hasCode());
    decoder.feed('5');
    decoder.feed('B');
    EXPECT_FALSE(decoder.waitingForMore());
    ASSERT_TRUE(decoder.hasCode());
    EXPECT_EQ(decoder.takeCode(), 224);
    EXPECT_EQ(decoder.takeCode(), 80);
    EXPECT_FALSE(decoder.hasCode());
}

TEST(KeyDecoder, EveryByteValueGivesACodeInRange) {
    KeyDecoder decoder;
    for (int byte = 0; byte < 256; ++byte) {
        decoder.feed(static_cast<unsigned char>(byte));
        decoder.timeout();
        while (decoder.hasCode()) {
            int code = decoder.takeCode();
            EXPECT_GE(code, 0);
            EXPECT_LE(code, 255);
        }
        EXPECT_FALSE(decoder.waitingForMore());
    }
}

}  // namespace
}  // namespace platform
