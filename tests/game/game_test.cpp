// Start-up, the main menu, a new game and the ways out of the program.
#include <gtest/gtest.h>

#include "game/game.h"
#include "support/game_script.h"
#include "support/scripted_platform.h"

namespace {

using namespace scripted;

std::vector<std::string> spokenItems(const TraceLog& log) {
    std::vector<std::string> items;
    for (const std::string& entry : log.startingWith("play2D zenemotor hangok/menu/"))
        items.push_back(entry.substr(std::string("play2D zenemotor hangok/menu/").size(),
                                     entry.find(".wav") - std::string("play2D zenemotor hangok/menu/").size()));
    return items;
}

TEST(StartUp, JinglePlaysSixteenAndAHalfSecondsBeforeTheMenu) {
    ScriptedPlatform machine;
    EXPECT_EQ(runProgram(machine), 0);
    const TraceLog log = machine.log();
    EXPECT_TRUE(log.inOrder({"create zenemotor", "play2D zenemotor hangok/zene/szignal.mp3 looped=0",
                             "play2D zenemotor hangok/menu.wav looped=0",
                             "play2D zenemotor hangok/zene/menuzene.mp3 looped=1",
                             "play2D zenemotor hangok/menu/ujjatek.wav", "drop zenemotor"}))
        << log;
    EXPECT_EQ(log.timeOf("play2D zenemotor hangok/menu.wav"), 16500);
    EXPECT_EQ(log.timeOf("play2D zenemotor hangok/zene/menuzene.mp3"), 17500);
}

TEST(StartUp, RestartMarkerSkipsTheJingle) {
    ScriptedPlatform machine;
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_FALSE(log.has("play2D zenemotor hangok/zene/szignal.mp3")) << log;
    EXPECT_EQ(log.timeOf("play2D zenemotor hangok/menu.wav"), 0);
}

TEST(StartUp, OneEnterDuringTheJingleIsSwallowed) {
    ScriptedPlatform machine;
    machine.pressAt(3000, {kEnter});
    runProgram(machine);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.timeOf("key 13"), 3000);
    EXPECT_FALSE(log.has("create effektmotor")) << log;
    EXPECT_EQ(log.count("play2D zenemotor hangok/menu/ujjatek.wav"), 1);
}

TEST(StartUp, KeysLeftAfterTheJingleReachTheMenu) {
    ScriptedPlatform machine;
    // Four codes in the last half second: the last pass swallows the first
    // prefix, so the menu reads a lone 80 (no arrow, only 'P') and then a Down.
    machine.pressAt(16400, {kDown, kDown});
    runProgram(machine);
    EXPECT_EQ(spokenItems(machine.log()), (std::vector<std::string>{"ujjatek", "ujjatek", "hangszoroteszt"}));
}

TEST(StartUp, MissingMusicEngineEndsAtOnceWithTheFailureLine) {
    ScriptedPlatform machine;
    machine.failEngine("zenemotor");
    EXPECT_EQ(runProgram(machine), 0);
    EXPECT_EQ(machine.console(), "Nem sikerült inicializalni a hangot\n");
    EXPECT_EQ(machine.log().lines().size(), 2u) << machine.log();  // create-failed, out
}

// ---------------------------------------------------------------- main menu

TEST(MainMenu, ArrowsWrapAroundAndEveryKeySpeaksTheItemAgain) {
    ScriptedPlatform machine;
    machine.press({kUp, kDown, kEsc, kSpace, key('a'), kLeft, kRight, key('P'), key('H'), kDown});
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(spokenItems(machine.log()),
              (std::vector<std::string>{"ujjatek", "kilepes", "ujjatek", "ujjatek", "ujjatek", "ujjatek", "ujjatek",
                                        "ujjatek", "ujjatek", "ujjatek", "hangszoroteszt"}));
}

TEST(MainMenu, DownOnExitComesBackToNewGame) {
    ScriptedPlatform machine;
    machine.press({kUp, kDown});
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(spokenItems(machine.log()), (std::vector<std::string>{"ujjatek", "kilepes", "ujjatek"}));
}

struct WaitingItem {
    int downs;
    const char* recording;
    long long ms;
};

class MainMenuWaitingItem : public ::testing::TestWithParam<WaitingItem> {};

TEST_P(MainMenuWaitingItem, PlaysItsRecordingAndSleepsBeforeSpeakingAgain) {
    const WaitingItem item = GetParam();
    ScriptedPlatform machine;
    for (int i = 0; i < item.downs; ++i) machine.press({kDown});
    machine.press({kEnter});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log().after("key 13");
    ASSERT_GE(log.lines().size(), 2u) << log;
    EXPECT_EQ(log.lines()[0].entry, std::string("play2D zenemotor ") + item.recording + " looped=0 tracked=0");
    EXPECT_TRUE(log.lines()[1].entry.starts_with("play2D zenemotor hangok/menu/")) << log;
    EXPECT_EQ(log.lines()[1].ms - log.lines()[0].ms, item.ms);
}

INSTANTIATE_TEST_SUITE_P(Items, MainMenuWaitingItem,
                         ::testing::Values(WaitingItem{1, "hangok/hangszoroteszt.mp3", 5000},
                                           WaitingItem{2, "hangok/sugo.mp3", 7000},
                                           WaitingItem{3, "hangok/keszito.mp3", 18000}));

TEST(MainMenu, CreditsMakeTheMenuDeafAndQueuedDownsMoveAfterwards) {
    ScriptedPlatform machine;
    machine.press({kDown, kDown, kDown, kEnter});
    machine.pressAt(2000, {kDown, kDown, kDown});
    runProgram(machine, game::kRestartMarker);
    const long long creditsStart = machine.log().timeOf("play2D zenemotor hangok/keszito.mp3");
    const TraceLog log = machine.log().after("play2D zenemotor hangok/keszito.mp3");
    EXPECT_EQ(spokenItems(log), (std::vector<std::string>{"keszito", "kilepes", "ujjatek", "hangszoroteszt"})) << log;
    // Deaf for 18 s; then the three Downs are read at once, one pass each.
    EXPECT_EQ(log.timeOf("play2D zenemotor hangok/menu/keszito.wav"), creditsStart + 18000) << log;
    EXPECT_EQ(log.timeOf("key 224"), creditsStart + 18000) << log;
    EXPECT_EQ(log.count("key 80"), 3);
}

TEST(MainMenu, ExitItemReleasesTheEngineAndEndsTheProgram) {
    ScriptedPlatform machine;
    machine.press({kUp, kEnter, kEnter});
    EXPECT_EQ(runProgram(machine, game::kRestartMarker), 0);
    const TraceLog log = machine.log();
    EXPECT_TRUE(log.inOrder({"play2D zenemotor hangok/menu/kilepes.wav", "key 13", "drop zenemotor"})) << log;
    EXPECT_EQ(log.lines().back().entry, "drop zenemotor");
    EXPECT_TRUE(machine.keysLeft());  // the program ended: the last Enter was never read
    EXPECT_EQ(machine.liveEngines(), 0);
}

TEST(MainMenu, EndOfInputReleasesTheEngine) {
    ScriptedPlatform machine;
    EXPECT_EQ(runProgram(machine, game::kRestartMarker), 0);
    EXPECT_EQ(machine.log().lines().back().entry, "drop zenemotor");
    EXPECT_EQ(machine.liveEngines(), 0);
}

// ---------------------------------------------------------------- new game

TEST(NewGame, StopsTheMenuAndCreatesTheOtherEnginesInOrder) {
    ScriptedPlatform machine;
    machine.press({kEnter});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_TRUE(log.inOrder({"key 13", "stopAllSounds zenemotor", "create effektmotor", "create szornymotor",
                             "create intromotor", "play2D intromotor hangok/zene/intro.mp3 looped=0",
                             "play2D zenemotor hangok/zene/jatekzene.mp3 looped=1"}))
        << log;
    EXPECT_EQ(log.timeOf("play2D intromotor hangok/zene/intro.mp3") - log.timeOf("create intromotor"), 1000);
    // The intro ran its 38 s to the end.
    EXPECT_EQ(log.timeOf("play2D zenemotor hangok/zene/jatekzene.mp3") - log.timeOf("play2D intromotor"), 38000);
}

class EngineFailure : public ::testing::TestWithParam<const char*> {};

TEST_P(EngineFailure, WritesTheFailureLineAndEndsWithStatusZero) {
    ScriptedPlatform machine;
    machine.failEngine(GetParam());
    machine.press({kEnter, kEnter});
    EXPECT_EQ(runProgram(machine, game::kRestartMarker), 0);
    const TraceLog log = machine.log();
    EXPECT_EQ(machine.console(), "Nem sikerült inicializalni a hangot\n");
    // All three are asked for before the test; nothing plays after it.
    EXPECT_TRUE(log.has(std::string("create-failed ") + GetParam())) << log;
    EXPECT_EQ(log.after("stopAllSounds zenemotor").startingWith("create").size(), 3u) << log;
    EXPECT_TRUE(log.inOrder({"create intromotor", "out Nem sikerült inicializalni a hangot\\n"}) ||
                log.inOrder({"create-failed intromotor", "out Nem sikerült inicializalni a hangot\\n"}))
        << log;
    EXPECT_FALSE(log.after("out").has("play2D")) << log;
    EXPECT_EQ(machine.liveEngines(), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineFailure, ::testing::Values("effektmotor", "szornymotor", "intromotor"));

TEST(NewGame, EnterEndsTheIntroAtTheEndOfThatSecondAndReleasesItsEngine) {
    ScriptedPlatform machine;
    machine.press({kEnter});
    machine.pressAt(2500, {kEnter});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_TRUE(log.inOrder({"play2D intromotor hangok/zene/intro.mp3", "key 13", "drop intromotor",
                             "play2D zenemotor hangok/zene/jatekzene.mp3"}))
        << log;
    EXPECT_EQ(log.timeOf("drop intromotor"), 3000);  // intro from 1 s; the Enter of 2.5 s is read at 3 s
}

TEST(NewGame, IntroReadsOtherKeysOnePerSecondBeforeAnEnter) {
    ScriptedPlatform machine;
    machine.press({kEnter});
    machine.pressAt(1500, {key('x'), key('y'), kEnter});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.timeOf("key 120"), 3000);
    EXPECT_EQ(log.timeOf("key 121"), 4000);
    EXPECT_EQ(log.timeOf("drop intromotor"), 5000);
}

TEST(NewGame, DrawsGenThenKfegyverAgainWhileOutOfRange) {
    ScriptedPlatform machine;
    startGame(machine);
    // gen: 0 and 40 % 20 are drawn again, then 7; kfegyver: 210 % 200, 5 and 10 again, then 111.
    machine.randValues({0, 40, 7, 210, 5, 10, 111});
    game::Game game(machine);
    game.run(game::kRestartMarker);
    EXPECT_EQ(game.state().gen, 7);
    EXPECT_EQ(game.state().kfegyver, 111);
    EXPECT_EQ(game.state().elet, 3);
    EXPECT_EQ(game.state().lotar, 10);
    EXPECT_EQ(game.state().golyo, 10);
    EXPECT_EQ(game.state().kristalyelet, 100);
}

TEST(NewGame, EndOfInputDuringTheGameReleasesEveryEngine) {
    ScriptedPlatform machine;
    startGame(machine);
    EXPECT_EQ(runProgram(machine, game::kRestartMarker), 0);
    const TraceLog log = machine.log().after("key 13");
    EXPECT_TRUE(log.inOrder({"drop effektmotor", "drop szornymotor", "drop zenemotor"})) << log;
    EXPECT_EQ(machine.liveEngines(), 0);
}

}  // namespace
