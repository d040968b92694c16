// The step loop: level changes, the key read with its prefixes, the code
// entry, the handler table and the status readouts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game.h"
#include "support/game_script.h"
#include "support/number_clips.h"
#include "support/players.h"
#include "support/scripted_platform.h"

namespace {

using namespace scripted;

// What the game did after a marker: every line but the keys read and the
// engines released at the end of input.
std::vector<std::string> effectsAfter(const TraceLog& log, std::string_view marker) {
    std::vector<std::string> effects;
    const TraceLog rest = log.after(marker);
    for (const TraceLog::Line& line : rest.lines())
        if (!line.entry.starts_with("key ") && !line.entry.starts_with("drop ")) effects.push_back(line.entry);
    return effects;
}

constexpr const char* kDeath = "play2D effektmotor hangok/szornyhalal.wav";

// A game in which one monster, faced from the start, was killed with three
// shots: score 4, lives 3, magazines 10, kills 1, bullets 7, all different.
class AfterOneKill : public ::testing::Test {
protected:
    AfterOneKill() {
        startGame(machine);
        // gen 1, kfegyver 199; the monster's side 1; the next gen 19.
        machine.randValues({1, 199, 1, 19});
        machine.press({kUp, kSpace, kSpace, kSpace});
    }
    std::vector<std::string> effects() { return effectsAfter(machine.log(), kDeath); }

    NumberClipsDirectory clips;
    ScriptedPlatform machine;
};

struct HandlerCase {
    const char* name;
    std::vector<Keys> presses;
    std::vector<std::string> effects;
};

std::string readout(const char* number) { return std::string("PlaySound szamok.wav async|out ") + number; }

// Splits "a|b" into the lines a and b.
std::vector<std::string> lines(std::initializer_list<std::string> items) {
    std::vector<std::string> all;
    for (const std::string& item : items) {
        std::size_t start = 0;
        for (std::size_t bar; (bar = item.find('|', start)) != std::string::npos; start = bar + 1)
            all.push_back(item.substr(start, bar - start));
        all.push_back(item.substr(start));
    }
    return all;
}

const std::string kSwitch = "play2D zenemotor hangok/fegyvervaltas.wav looped=0 tracked=0";

const HandlerCase kHandlerCases[] = {
    {"LowerP", {key('p')}, lines({readout("4")})},
    {"UpperP", {key('P')}, lines({readout("4")})},
    {"LowerE", {key('e')}, lines({readout("3")})},
    {"UpperE", {key('E')}, lines({readout("3")})},
    {"LowerT", {key('t')}, lines({readout("10")})},
    {"UpperT", {key('T')}, lines({readout("10")})},
    {"LowerM", {key('m')}, lines({readout("1")})},
    {"UpperM", {key('M')}, lines({readout("1")})},
    {"LowerG", {key('g')}, lines({readout("7")})},
    {"UpperG", {key('G')}, lines({readout("7")})},
    {"HomeReadsGolyo", {kHome}, lines({readout("7")})},
    {"F1ThenDownReadsPont", {kF1, kDown}, lines({"out Sugo", readout("4")})},
    {"F1ThenRightReadsKills", {kF1, kRight}, lines({"out Sugo", readout("1")})},
    {"F1ThenPlainKeyIsAnswered", {kF1, key('e')}, lines({"out Sugo", readout("3")})},
    {"F1ThenEscDoesNothing", {kF1, kEsc}, {"out Sugo"}},
    {"F1ThenUpTakesNoStep", {kF1, kUp}, {"out Sugo"}},
    {"DownDoesNothing", {kDown}, {}},
    {"RightDoesNothing", {kRight}, {}},
    {"LeftDoesNothing", {kLeft}, {}},
    {"PlainHTakesNoStep", {key('H')}, {}},
    {"UpTakesAStep", {kUp}, {"play2D effektmotor hangok/lepes.wav looped=0 tracked=0"}},
    {"OneSelectsWeaponOne", {key('1')}, {kSwitch}},
    {"TwoDoesNothingAtLevelOne", {key('2')}, {}},
    {"ThreeDoesNothingAtLevelOne", {key('3')}, {}},
    {"SpaceShootsWithoutHitting", {kSpace, key('p')},
     lines({"play2D effektmotor hangok/loves.wav looped=0 tracked=0", readout("4")})},
    {"EnterWithBulletsLeftDoesNothing", {kEnter}, {}},
    {"EscOpensThePauseMenu", {kEsc},
     {"play2D zenemotor hangok/menu.wav looped=0 tracked=0",
      "play2D zenemotor hangok/menu/visszaajatekhoz.wav looped=0 tracked=0"}},
    {"ReadoutsRunTogether", {key('p'), key('e')}, lines({readout("4"), readout("3")})},
};

class HandlerTable : public AfterOneKill, public ::testing::WithParamInterface<HandlerCase> {};

TEST_P(HandlerTable, KeyHasItsEffect) {
    machine.press(GetParam().presses);
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(effects(), GetParam().effects) << machine.log().after(kDeath);
}

INSTANTIATE_TEST_SUITE_P(Keys, HandlerTable, ::testing::ValuesIn(kHandlerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AfterOneKill, ConsoleShowsOnlyTheNumbersWithNothingBetween) {
    machine.press({key('p'), kF1, kDown, key('m')});
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(machine.console(), "4Sugo41");
}

TEST_F(AfterOneKill, EmptyMagazineClicksAndEnterReloadsFromASpare) {
    for (int shot = 0; shot < 8; ++shot) machine.press({kSpace});  // 7 bullets, then a click
    machine.press({kEnter, key('g'), key('t')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log().after(kDeath);
    EXPECT_EQ(log.count("play2D effektmotor hangok/loves.wav"), 7);
    EXPECT_TRUE(log.inOrder({"play2D effektmotor hangok/uresloves.wav", "play2D effektmotor hangok/toltes.wav",
                             "out 10", "out 9"}))
        << log;
}

TEST_F(AfterOneKill, ReadoutOfANumberWhoseClipIsMissingIsSilentButPrinted) {
    clips.removeClip("4.wav");
    machine.press({key('p'), key('e')});
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(effects(), lines({"out 4", readout("3")}));
}

TEST(Readout, ZeroIsSpokenAndPrinted) {
    NumberClipsDirectory clips;
    ScriptedPlatform machine;
    startGame(machine);
    machine.press({key('m')});
    runProgram(machine, game::kRestartMarker);
    EXPECT_TRUE(machine.log().inOrder({"PlaySound szamok.wav async", "out 0"}));
    EXPECT_TRUE(std::filesystem::exists(clips.path() / "szamok.wav"));
    EXPECT_EQ(machine.console(), "0");
}

// ---------------------------------------------------------------- code entry

struct CodeCase {
    const char* name;
    const char* typed;
    const char* livesAndMagazines;  // the readouts of e and t afterwards
    bool accepted;
};

class CodeEntry : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeEntry, ComparesTheWordExactly) {
    NumberClipsDirectory clips;
    ScriptedPlatform machine;
    startGame(machine);
    machine.press({kF1, kDelete});
    machine.type(GetParam().typed);
    machine.press({key('e'), key('t')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(machine.console(), std::string("SugoEnter code") + GetParam().livesAndMagazines);
    EXPECT_TRUE(log.inOrder({"out Sugo", "out Enter code", "play2D effektmotor hangok/kodker.wav"})) << log;
    EXPECT_EQ(log.has("play2D effektmotor hangok/kodelfogadva.wav"), GetParam().accepted) << log;
}

INSTANTIATE_TEST_SUITE_P(Words, CodeEntry,
                         ::testing::Values(CodeCase{"LifeCode", "|bonuszvit|\r", "410", true},
                                           CodeCase{"MagazineCode", "  |pipacsok|\r", "311", true},
                                           CodeCase{"WithoutBars", "bonuszvit\r", "310", false},
                                           CodeCase{"OtherCase", "|Pipacsok|\r", "310", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodeEntry, TheLineIsTakenAsTypedAndEnterEndsIt) {
    ScriptedPlatform machine;
    startGame(machine);
    machine.press({kF1, kDelete});
    machine.type("|bonuszvit|\r");
    runProgram(machine, game::kRestartMarker);
    // The Enter that ended the line is not read again as a key.
    EXPECT_TRUE(machine.log().has("word |bonuszvit|"));
    EXPECT_FALSE(machine.log().after("word").has("key")) << machine.log();
}

TEST(CodeEntry, EndOfInputComparesTheEarlierWordAgain) {
    ScriptedPlatform machine;
    startGame(machine);
    machine.press({kF1, kDelete});
    machine.type("|bonuszvit|\r");
    machine.press({kF1, kDelete});
    game::Game game(machine);
    game.run(game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count("word"), 1);
    EXPECT_EQ(log.count("play2D effektmotor hangok/kodelfogadva.wav"), 2) << log;
    EXPECT_EQ(game.state().elet, 5);
}

// ---------------------------------------------------------------- levels

constexpr const char* kLevelSound = "play2D effektmotor hangok/szintlepes.wav";

TEST(Levels, LevelTwoComesOnceAtThirtyKills) {
    NumberClipsDirectory clips;
    ScriptedPlatform machine;
    // The magazine is empty after the 90th shot of 30 three-hit monsters.
    Player player(machine, PlayerPlan().games({30}).thenPressing({key('3'), key('2'), kEnter, kSpace}));
    game::Game game(machine);
    game.run(game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count(kLevelSound), 1);
    EXPECT_EQ(log.count("play2D zenemotor hangok/zene/jatekzene2.mp3"), 1);
    // Right after the 30th kill, at the top of the next iteration, before its key.
    const TraceLog afterKill = log.after(kDeath, 30);
    EXPECT_EQ(afterKill.lines().at(0).entry, "play2D effektmotor hangok/szintlepes.wav looped=0 tracked=0");
    EXPECT_EQ(afterKill.lines().at(1).entry, "stopAllSounds zenemotor");
    EXPECT_EQ(afterKill.lines().at(2).entry, "play2D zenemotor hangok/zene/jatekzene2.mp3 looped=1 tracked=0");
    // At level 2 weapon 2 may be chosen, and 3 not yet.
    EXPECT_EQ(effectsAfter(afterKill, "play2D zenemotor hangok/zene/jatekzene2.mp3"),
              (std::vector<std::string>{"play2D zenemotor hangok/fegyvervaltas.wav looped=0 tracked=0",
                                        "play2D effektmotor hangok/toltes2.wav looped=0 tracked=0",
                                        "play2D effektmotor hangok/loves2.wav looped=0 tracked=0"}))
        << afterKill;
    EXPECT_EQ(game.state().lotar, 10 - player.reloads() + 16 - 1);
    EXPECT_EQ(game.state().egyszerol, 20);
    EXPECT_EQ(game.state().szornyhatar, 1500);
    EXPECT_EQ(game.state().szszornyelet, 4);
}

TEST(Levels, LevelThreeComesOnceAtSeventyKills) {
    NumberClipsDirectory clips;
    ScriptedPlatform machine;
    // 31 monsters of three hits and 39 of four leave one bullet of the 25th magazine.
    Player player(machine, PlayerPlan().games({70}).thenPressing({key('3'), kSpace, kEnter, kSpace}));
    game::Game game(machine);
    game.run(game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count(kLevelSound), 2);
    EXPECT_EQ(log.count("play2D zenemotor hangok/zene/jatekzene3.mp3"), 1);
    const TraceLog afterKill = log.after(kDeath, 70);
    EXPECT_TRUE(afterKill.inOrder({kLevelSound, "stopAllSounds zenemotor", "play2D zenemotor hangok/zene/jatekzene3.mp3"}));
    EXPECT_EQ(effectsAfter(afterKill, "play2D zenemotor hangok/zene/jatekzene3.mp3"),
              (std::vector<std::string>{"play2D zenemotor hangok/fegyvervaltas.wav looped=0 tracked=0",
                                        "play2D effektmotor hangok/loves3.wav looped=0 tracked=0",
                                        "play2D effektmotor hangok/toltes3.wav looped=0 tracked=0",
                                        "play2D effektmotor hangok/loves3.wav looped=0 tracked=0"}))
        << afterKill;
    EXPECT_EQ(game.state().lotar, 10 - player.reloads() + 16 + 25 - 1);
    EXPECT_EQ(game.state().szornyhatar, 800);
    EXPECT_EQ(game.state().szszornyelet, 5);
}

}  // namespace
