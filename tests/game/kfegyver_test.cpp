// The special weapon's call: once per game, at the drawn step, up to 999 ticks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game.h"
#include "support/game_script.h"
#include "support/scripted_platform.h"

namespace {

using namespace scripted;

constexpr const char* kCall = "play2D szornymotor hangok/kfegyvervesz.wav looped=1 tracked=0";
constexpr const char* kPickUp = "play2D effektmotor hangok/kfegyvermegvan.wav looped=0 tracked=0";
constexpr long long kEleventhStep = 10000;

// The weapon calls on the 11th step, read at kEleventhStep; the first monster is 19 steps away.
class SpecialWeapon : public ::testing::Test {
protected:
    SpecialWeapon() {
        startGame(machine);
        machine.randValues({19, 11});
        for (int step = 0; step < 10; ++step) machine.press({kUp});
        machine.pressAt(kEleventhStep, {kUp});
    }
    void pressDuringCall(const std::vector<Keys>& presses) { machine.pressAt(kEleventhStep + 1, presses); }
    TraceLog callLog() { return machine.log().after(kCall); }

    ScriptedPlatform machine;
};

TEST_F(SpecialWeapon, CallsOnTheStepThatReachesKfegyver) {
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count("play2D effektmotor hangok/lepes.wav"), 11);
    EXPECT_EQ(log.timeOf(kCall), kEleventhStep);
    EXPECT_EQ(log.count(kCall), 1);
}

class PickUp : public SpecialWeapon, public ::testing::WithParamInterface<Keys> {};

// The Left arrow arrives as 224 and 75 on two ticks, and 75 is 'K'.
TEST_P(PickUp, TakesTheWeaponAndEndsTheCall) {
    pressDuringCall({GetParam()});
    game::Game game(machine);
    game.run(game::kRestartMarker);
    const TraceLog log = callLog();
    EXPECT_TRUE(log.inOrder({kPickUp, "stopAllSounds szornymotor"})) << log;
    EXPECT_EQ(log.timeOf("stopAllSounds szornymotor"), kEleventhStep + static_cast<long long>(GetParam().size()));
    EXPECT_EQ(game.state().kfegyverallapot, 20);
    EXPECT_EQ(game.state().megy, 11 + static_cast<int>(GetParam().size()));
    EXPECT_EQ(game.state().megy1, 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, PickUp, ::testing::Values(key('k'), key('K'), kLeft));

TEST_F(SpecialWeapon, NoKeyForNineHundredNinetyNineTicksMissesIt) {
    game::Game game(machine);
    game.run(game::kRestartMarker);
    const TraceLog log = callLog();
    EXPECT_FALSE(log.has(kPickUp));
    EXPECT_EQ(log.timeOf("stopAllSounds szornymotor"), kEleventhStep + 999);
    EXPECT_EQ(game.state().kfegyverallapot, 0);
    EXPECT_EQ(game.state().megy, 11 + 999);  // past kfegyver: it never calls again
    EXPECT_EQ(game.state().megy1, 0);
    EXPECT_GE(game.state().gen, 1);
    EXPECT_LE(game.state().gen, 19);
}

TEST_F(SpecialWeapon, SpacePressedLastDuringAMissedCallIsFiredByTheStepLoop) {
    pressDuringCall({kSpace});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = callLog();
    EXPECT_TRUE(log.inOrder({"stopAllSounds szornymotor", "play2D effektmotor hangok/loves.wav"})) << log;
    EXPECT_EQ(log.timeOf("play2D effektmotor hangok/loves.wav"), kEleventhStep + 999);
}

TEST_F(SpecialWeapon, EscPressedLastDuringAMissedCallOpensThePauseMenu) {
    pressDuringCall({kEsc});
    runProgram(machine, game::kRestartMarker);
    EXPECT_TRUE(callLog().inOrder({"stopAllSounds szornymotor", "play2D zenemotor hangok/menu.wav"})) << callLog();
}

TEST(SpecialWeaponAndMonster, EncounterComesFirstAndItsLastKPicksUpOnTheFirstTick) {
    ScriptedPlatform machine;
    startGame(machine);
    machine.randValues({11, 11, 1});  // gen 11, kfegyver 11, the monster faced from the start
    for (int step = 0; step < 10; ++step) machine.press({kUp});
    machine.pressAt(kEleventhStep, {kUp});
    // Two hits, then 'k' as the last key: the monster outlasts its time.
    machine.pressAt(kEleventhStep + 1, {kSpace, kSpace, key('k')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_TRUE(log.inOrder({"play3D szornymotor hangok/szorny.wav", "play2D effektmotor hangok/halal.wav", kCall,
                             kPickUp, "stopAllSounds szornymotor"}))
        << log;
    EXPECT_EQ(log.after(kCall).timeOf(kPickUp), kEleventhStep + 2400 + 1);
}

}  // namespace
