// Whole games on the virtual clock, played by scripted players from the main
// menu to the result and back to the menu.
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

// The second game stops at once and reads score, lives, magazines, kills and
// bullets: the new-game values 0, 3, 10, 0, 10.
const std::vector<Keys> kReadAllValues = {key('p'), key('e'), key('t'), key('m'), key('g')};
constexpr const char* kNewGameValues = "0310010";

class WholeGame : public ::testing::Test {
protected:
    NumberClipsDirectory clips;
    ScriptedPlatform machine;
};

// Every monster killed with shots, none lost, the crystal broken. Monsters
// 1..31 take 3 hits (the 31st was set up before level 2), 32..71 take 4, and
// 72..121 take 5: 31*3 + 40*4 + 50*5 = 93 + 160 + 250 = 503 hits, a point
// each, plus a point for each of the 121 encounters: 503 + 121 = 624. The
// 503 shots fit in 10 + 10*(10 + 16 + 25) = 520 bullets.
TEST_F(WholeGame, PlayerWhoShootsEveryMonsterAndBreaksTheCrystalWins) {
    Player player(machine, PlayerPlan().games({121, 0}).thenPressing(kReadAllValues));
    EXPECT_EQ(runProgram(machine), 0);
    const TraceLog log = machine.log();
    EXPECT_EQ(machine.console(), std::string("Gratulalok! A jateknak vege! 624 pontod lett. 3 eleted maradt. "
                                             "121 szornyet oltel meg!") +
                                     kNewGameValues);
    EXPECT_EQ(player.shotsFired(), 503);
    EXPECT_EQ(log.count("play2D effektmotor hangok/kfegyvermegvan.wav"), 1);
    EXPECT_EQ(log.count("play2D szornymotor hangok/zene/outro_joveg.mp3"), 1);
    // The jingle only at the program's start; the second game begins afresh.
    EXPECT_EQ(log.count("play2D zenemotor hangok/zene/szignal.mp3"), 1);
    EXPECT_EQ(log.count("play2D zenemotor hangok/menu.wav"), 2);
    EXPECT_EQ(log.count("create effektmotor"), 2);
    EXPECT_EQ(log.count("play2D intromotor hangok/zene/intro.mp3"), 2);
    EXPECT_EQ(machine.liveEngines(), 0);
}

// Three monsters outlast their time: each takes a life and a point that the
// encounter's own point gives back, so the score stays 0.
TEST_F(WholeGame, PlayerWhoNeverShootsLosesThreeLivesAndGetsTheBadEnding) {
    Player player(machine, PlayerPlan().games({121, 0}).shootingUntil(0).leavingTheWeapon().thenPressing(
                               kReadAllValues));
    EXPECT_EQ(runProgram(machine), 0);
    const TraceLog log = machine.log();
    EXPECT_EQ(machine.console(), std::string("Sajnalom, a jateknak vege! 0 pontod lett. 0 eleted maradt. "
                                             "0 szornyet oltel meg!") +
                                     kNewGameValues);
    EXPECT_EQ(log.count("play3D szornymotor hangok/szorny.wav"), 3);
    EXPECT_EQ(log.count("play2D effektmotor hangok/halal.wav"), 2);
    EXPECT_FALSE(log.has("play2D effektmotor hangok/kristalyuzenet.wav"));
    EXPECT_EQ(log.count("play2D zenemotor hangok/zene/szignal.mp3"), 1);
    EXPECT_EQ(log.count("create effektmotor"), 2);
}

// The restart goes back to the top of the run: the main menu waits at the
// same stack depth after every game, with the same engines and sounds alive.
TEST_F(WholeGame, TwoHundredGamesInARowLeaveNothingBehind) {
    Player player(machine, PlayerPlan()
                               .games(std::vector<int>(200, 121))
                               .shootingUntil(0)
                               .leavingTheWeapon()
                               .clearingLogAtMenu());
    EXPECT_EQ(runProgram(machine, game::kRestartMarker), 0);
    const std::vector<MenuVisit>& visits = player.menuVisits();
    ASSERT_EQ(visits.size(), 201u);
    for (const MenuVisit& visit : visits) {
        EXPECT_EQ(visit.liveEngines, 1);  // zenemotor alone
        EXPECT_EQ(visit.liveSounds, visits.front().liveSounds);
        EXPECT_EQ(visit.stackDepth, visits.front().stackDepth);
    }
    EXPECT_EQ(machine.liveEngines(), 0);
}

}  // namespace
