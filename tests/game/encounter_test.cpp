// The monster encounter: the facing table, turns, shots, the instant kill,
// the time limit, and the keys it leaves to the step loop.
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

constexpr long long kEncounterStart = 10000;  // the step that brings the monster is read then
constexpr const char* kDeath = "play2D effektmotor hangok/szornyhalal.wav";
constexpr const char* kLostLife = "play2D effektmotor hangok/halal.wav";
constexpr const char* kHurt = "play2D effektmotor hangok/szornyserul.wav";

// A game whose first step brings a monster on the given side at kEncounterStart;
// the next monster is 19 steps away and the special weapon calls at step 199.
class Encounter : public ::testing::Test {
protected:
    void meetMonsterOn(int side) {
        startGame(machine);
        machine.randValues({1, 199, side, 19});
        machine.pressAt(kEncounterStart, {kUp});
    }
    // Keys read on the encounter's first ticks, one per tick.
    void pressDuringEncounter(const std::vector<Keys>& presses) { machine.pressAt(kEncounterStart + 1, presses); }
    TraceLog encounterLog() { return machine.log().after("play2D effektmotor hangok/lepes.wav"); }

    NumberClipsDirectory clips;
    ScriptedPlatform machine;
};

// ---------------------------------------------------------------- facing table

struct Heard {
    const char* position;
    bool radarPlaying;
};

// By side, then facing 0..3: where the monster is heard and whether the radar plays.
const Heard kFacingTable[3][4] = {
    {{"0,2,0", true}, {"0,0,2", false}, {"0,-2,0", false}, {"0,0,-2", false}},
    {{"0,0,-2", false}, {"0,2,0", true}, {"0,0,2", false}, {"0,-2,0", false}},
    {{"0,-2,0", false}, {"0,0,-2", false}, {"0,2,0", true}, {"0,0,2", false}},
};

struct TurnCase {
    int side;
    bool right;
};

class FacingTable : public Encounter, public ::testing::WithParamInterface<TurnCase> {};

// The monster starts where facing 1 hears it; four turns the same way pass
// every facing and come back to the start, each turn moving the monster and
// setting the radar.
TEST_P(FacingTable, EveryTurnPlacesTheMonsterAndSetsTheRadar) {
    const auto [side, right] = GetParam();
    meetMonsterOn(side);
    const Keys turn = right ? kRight : kLeft;
    pressDuringEncounter({turn, turn, turn, turn});
    runProgram(machine, game::kRestartMarker);

    std::vector<std::string> expected = {std::string("setPosition #1 ") + kFacingTable[side][1].position};
    if (side == 1) expected.push_back("setIsPaused #2 0");
    int facing = 1;
    for (int i = 0; i < 4; ++i) {
        facing = (facing + (right ? 1 : 3)) % 4;
        expected.push_back(std::string("setPosition #1 ") + kFacingTable[side][facing].position);
        expected.push_back(std::string("setIsPaused #2 ") + (kFacingTable[side][facing].radarPlaying ? "0" : "1"));
    }
    EXPECT_EQ(facing, 1);
    EXPECT_EQ(encounterLog().startingWith("set"), expected) << encounterLog();
}

INSTANTIATE_TEST_SUITE_P(SidesAndTurns, FacingTable,
                         ::testing::Values(TurnCase{0, true}, TurnCase{1, true}, TurnCase{2, true},
                                           TurnCase{0, false}, TurnCase{1, false}, TurnCase{2, false}),
                         [](const auto& info) {
                             return "Side" + std::to_string(info.param.side) + (info.param.right ? "Right" : "Left");
                         });

TEST_F(Encounter, BothSoundsStartAtTheOriginOnTheMonsterEngine) {
    meetMonsterOn(0);
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_TRUE(log.inOrder({"play3D szornymotor hangok/szorny.wav 0,0,0 looped=1 paused=0 tracked=1 #1",
                             "play3D szornymotor hangok/radar.wav 0,0,0 looped=1 paused=1 tracked=1 #2",
                             "setPosition #1 0,0,2"}))
        << log;
}

class FacingThree : public Encounter, public ::testing::WithParamInterface<int> {};

TEST_P(FacingThree, NeverHearsTheRadarNorHits) {
    meetMonsterOn(GetParam());
    pressDuringEncounter({kRight, kRight, kSpace, kSpace, kSpace});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_EQ(log.startingWith("setIsPaused").back(), "setIsPaused #2 1");
    EXPECT_EQ(log.count("play2D effektmotor hangok/loves.wav"), 3);
    EXPECT_FALSE(log.has(kHurt));
    EXPECT_TRUE(log.has(kLostLife)) << log;
}

INSTANTIATE_TEST_SUITE_P(Sides, FacingThree, ::testing::Values(0, 1, 2));

// ---------------------------------------------------------------- fighting

TEST_F(Encounter, ThreeHitsKillWithoutAHurtSoundOnTheLast) {
    meetMonsterOn(1);
    pressDuringEncounter({kSpace, kSpace, kSpace});
    machine.press({key('p')});  // after the encounter: 3 hits and the encounter's point
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_TRUE(log.inOrder({"play2D effektmotor hangok/loves.wav", kHurt, "play2D effektmotor hangok/loves.wav",
                             kHurt, "play2D effektmotor hangok/loves.wav", "stopAllSounds szornymotor",
                             "play2D effektmotor hangok/szornyhalal1.wav", kDeath, "out 4"}))
        << log;
    EXPECT_EQ(log.count(kHurt), 2);
    EXPECT_EQ(log.timeOf(kDeath), kEncounterStart + 3);  // in the tick of the last hit
    EXPECT_EQ(machine.console(), "4");
}

TEST_F(Encounter, InstantKillEndsItInTheSameTickWithoutAShot) {
    meetMonsterOn(0);
    pressDuringEncounter({key('4')});
    machine.press({key('p')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_EQ(log.timeOf(kDeath), kEncounterStart + 1);
    EXPECT_FALSE(log.has("play2D effektmotor hangok/loves.wav"));
    EXPECT_EQ(machine.console(), "1");  // no point of its own; the encounter's point only
}

TEST(InstantKill, WorksOncePerLevelAndAgainOnTheNextLevel) {
    ScriptedPlatform machine;
    Player player(machine, PlayerPlan().games({31}).instantKilling({1, 31}));
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count(kDeath), 31);
    EXPECT_FALSE(log.has(kLostLife));
    EXPECT_EQ(log.after(kDeath, 30).before(kDeath).count("play2D effektmotor hangok/loves.wav"), 0);
}

TEST(InstantKill, SecondUseOnOneLevelDoesNothing) {
    ScriptedPlatform machine;
    // The first monster falls to '4'; the next ones are met with '4' alone,
    // so each outlasts its time until the lives are gone.
    Player player(machine, PlayerPlan().games({2}).instantKilling({1, 2}));
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count(kDeath), 1);
    EXPECT_EQ(log.after(kDeath).count(kLostLife), 2);  // the third takes the last life, silently
    EXPECT_GT(log.after(kDeath).count("key 52"), 100);
}

TEST_F(Encounter, WeaponKeysAtLevelOneAreConsumedAndOnlyOneSwitches) {
    meetMonsterOn(0);
    pressDuringEncounter({key('2'), key('3'), key('1')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog().before(kLostLife);
    EXPECT_EQ(log.count("play2D zenemotor hangok/fegyvervaltas.wav"), 1) << log;
    EXPECT_EQ(log.timeOf("play2D zenemotor hangok/fegyvervaltas.wav"), kEncounterStart + 3);
}

TEST_F(Encounter, EmptyMagazineClicksAndEnterReloadsDuringTheFight) {
    meetMonsterOn(1);
    // Ten misses facing away, a click, a reload, then a hit once turned back.
    pressDuringEncounter({kRight, kSpace, kSpace, kSpace, kSpace, kSpace, kSpace, kSpace, kSpace, kSpace, kSpace,
                          kSpace, kEnter, kLeft, kSpace});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_TRUE(log.inOrder({"play2D effektmotor hangok/uresloves.wav", "play2D effektmotor hangok/toltes.wav",
                             "setIsPaused #2 0", "play2D effektmotor hangok/loves.wav", kHurt}))
        << log;
}

TEST_F(Encounter, ArrowsUpAndDownDoNothing) {
    meetMonsterOn(0);
    pressDuringEncounter({kUp, kDown, kUp});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_FALSE(log.has("play2D effektmotor hangok/lepes.wav"));
    EXPECT_EQ(log.startingWith("set").size(), 1u) << log;  // only the starting position
}

TEST_F(Encounter, ScanCodeAfterPrefixZeroIsAPlainCodeAndTurnsNothing) {
    meetMonsterOn(0);
    pressDuringEncounter({{0, 75}, {0, 77}});
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(encounterLog().startingWith("set").size(), 1u) << encounterLog();
}

// ---------------------------------------------------------------- the time limit

struct LastShot {
    long long tick;
    bool killed;
};

class TimeLimit : public Encounter, public ::testing::WithParamInterface<LastShot> {};

TEST_P(TimeLimit, MonsterCanBeKilledUpToTheLastTick) {
    meetMonsterOn(1);
    pressDuringEncounter({kSpace, kSpace});
    machine.pressAt(kEncounterStart + GetParam().tick, {kSpace});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_EQ(log.has(kDeath), GetParam().killed) << log;
    EXPECT_EQ(log.has(kLostLife), !GetParam().killed) << log;
    if (!GetParam().killed) {
        EXPECT_EQ(log.timeOf("stopAllSounds szornymotor"), kEncounterStart + 2400);
    }
}

INSTANTIATE_TEST_SUITE_P(Level1, TimeLimit, ::testing::Values(LastShot{2400, true}, LastShot{2401, false}));

TEST_F(Encounter, TimeoutTakesALifeAndThePointComesBack) {
    meetMonsterOn(1);
    pressDuringEncounter({kSpace, kSpace});
    machine.pressAt(kEncounterStart + 3000, {key('e'), key('p')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_TRUE(log.inOrder({"stopAllSounds szornymotor", kLostLife})) << log;
    EXPECT_EQ(machine.console(), "22");  // 2 lives; 2 hits, -1 for the lost encounter, +1 after it
}

// The first monster of a level was set up before the level changed: it keeps
// the hits of the level before, with the new level's time.
TEST(LevelChange, FirstMonsterKeepsTheOldHitsWithTheNewTime) {
    ScriptedPlatform machine;
    Player player(machine, PlayerPlan().games({72}));
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    const auto hurtsOfMonster = [&](int n) { return log.after(kDeath, n - 1).before(kDeath).count(kHurt); };
    EXPECT_EQ(hurtsOfMonster(30), 2);
    EXPECT_EQ(hurtsOfMonster(31), 2);  // still three hits
    EXPECT_EQ(hurtsOfMonster(32), 3);
    EXPECT_EQ(hurtsOfMonster(71), 3);  // still four hits
    EXPECT_EQ(hurtsOfMonster(72), 4);
}

struct LevelTime {
    int killsBefore;
    long long ticks;
};

class LevelTimeLimit : public ::testing::TestWithParam<LevelTime> {};

TEST_P(LevelTimeLimit, NextMonsterOutlastsItsTicks) {
    ScriptedPlatform machine;
    Player player(machine,
                  PlayerPlan().games({GetParam().killsBefore + 1}).shootingUntil(GetParam().killsBefore));
    runProgram(machine, game::kRestartMarker);
    const TraceLog next = machine.log().after(kDeath, GetParam().killsBefore);
    const long long start = next.timeOf("play3D szornymotor hangok/szorny.wav");
    EXPECT_EQ(next.timeOf(kLostLife) - start, GetParam().ticks) << next;
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelTimeLimit, ::testing::Values(LevelTime{30, 1500}, LevelTime{70, 800}));

TEST(LastLife, LostWithoutTheDeathSound) {
    ScriptedPlatform machine;
    Player player(machine, PlayerPlan().shootingUntil(0).leavingTheWeapon());
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count("stopAllSounds szornymotor"), log.count("play3D szornymotor hangok/szorny.wav"));
    EXPECT_EQ(log.count("play3D szornymotor hangok/szorny.wav"), 3);
    EXPECT_EQ(log.count(kLostLife), 2);
}

// ---------------------------------------------------------------- keys left over

TEST_F(Encounter, StatusKeyPressedLastIsAnsweredRightAfterTheEncounter) {
    meetMonsterOn(1);
    pressDuringEncounter({kSpace, kSpace, key('p')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_TRUE(log.inOrder({kLostLife, "PlaySound szamok.wav async", "out 2"})) << log;
}

TEST_F(Encounter, EscPressedLastOpensThePauseMenuRightAfterTheEncounter) {
    meetMonsterOn(0);
    pressDuringEncounter({kEsc});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_TRUE(log.inOrder({kLostLife, "play2D zenemotor hangok/menu.wav",
                             "play2D zenemotor hangok/menu/visszaajatekhoz.wav"}))
        << log;
    EXPECT_EQ(log.timeOf("play2D zenemotor hangok/menu.wav"), kEncounterStart + 2400);
}

// ---------------------------------------------------------------- sounds without handles

class MissingSound : public Encounter, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingSound, ChangesNothingElse) {
    machine.giveNoHandle(GetParam());
    meetMonsterOn(0);
    pressDuringEncounter({kLeft, kSpace, kSpace, kSpace});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = encounterLog();
    EXPECT_EQ(log.count(kHurt), 2);
    EXPECT_TRUE(log.has(kDeath)) << log;
    // The other sound is still moved or switched; the missing one gets no call.
    EXPECT_EQ(log.startingWith("setPosition").size(), std::string(GetParam()) == "hangok/szorny.wav" ? 0u : 2u);
    EXPECT_EQ(log.startingWith("setIsPaused").size(), std::string(GetParam()) == "hangok/radar.wav" ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Sounds, MissingSound, ::testing::Values("hangok/szorny.wav", "hangok/radar.wav"));

}  // namespace
