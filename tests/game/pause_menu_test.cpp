// The pause menu that Esc opens in the step loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game.h"
#include "support/game_script.h"
#include "support/number_clips.h"
#include "support/scripted_platform.h"

namespace {

using namespace scripted;

constexpr const char* kPrefix = "play2D zenemotor hangok/menu/";

// The items spoken after the menu opened ("visszaajatekhoz", "sugo", ...).
std::vector<std::string> spokenItems(const TraceLog& log) {
    std::vector<std::string> items;
    const std::string prefix = kPrefix;
    for (const std::string& entry : log.startingWith(prefix))
        items.push_back(entry.substr(prefix.size(), entry.find(".wav") - prefix.size()));
    return items;
}

class PauseMenu : public ::testing::Test {
protected:
    PauseMenu() {
        startGame(machine);
        machine.randValues({19, 199});  // no monster and no call for the first steps
    }
    TraceLog menuLog() { return machine.log().after("key 27"); }

    NumberClipsDirectory clips;
    ScriptedPlatform machine;
};

TEST_F(PauseMenu, OpensWithItsSoundAndSpeaksTheFirstItemHalfASecondLater) {
    machine.press({kEsc});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = menuLog();
    ASSERT_GE(log.lines().size(), 2u) << log;
    EXPECT_EQ(log.lines()[0].entry, "play2D zenemotor hangok/menu.wav looped=0 tracked=0");
    EXPECT_EQ(log.lines()[1].entry, "play2D zenemotor hangok/menu/visszaajatekhoz.wav looped=0 tracked=0");
    EXPECT_EQ(log.lines()[1].ms - log.lines()[0].ms, 500);
}

TEST_F(PauseMenu, ArrowsWrapAroundAndOtherKeysSpeakTheItemAgain) {
    machine.press({kEsc, kUp, kDown, kDown, key('p'), kSpace, kLeft, {224, 27}});
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(spokenItems(menuLog()), (std::vector<std::string>{"visszaajatekhoz", "kilepes", "visszaajatekhoz",
                                                                 "sugo", "sugo", "sugo", "sugo", "sugo"}));
}

TEST_F(PauseMenu, EscOnAnyItemGoesBackWithoutSpeaking) {
    machine.press({kEsc, kDown, kDown, kEsc, key('e')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = menuLog();
    EXPECT_EQ(spokenItems(log), (std::vector<std::string>{"visszaajatekhoz", "sugo", "keszito"}));
    EXPECT_TRUE(log.inOrder({"play2D zenemotor hangok/menu/keszito.wav", "key 27", "key 101", "out 3"})) << log;
    EXPECT_FALSE(log.has("play2D zenemotor hangok/keszito.mp3"));
}

TEST_F(PauseMenu, GoingBackWithAnEmptyMagazineDoesNotReload) {
    for (int shot = 0; shot < 10; ++shot) machine.press({kSpace});
    machine.press({kEsc, kEnter, kEsc, kEsc, key('g')});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = machine.log();
    EXPECT_EQ(log.count("play2D effektmotor hangok/loves.wav"), 10);
    EXPECT_FALSE(log.has("play2D effektmotor hangok/toltes.wav")) << log;
    EXPECT_EQ(machine.console(), "0");
}

struct WaitingItem {
    int downs;
    const char* recording;
    const char* name;
    long long ms;
};

class PauseMenuWaitingItem : public PauseMenu, public ::testing::WithParamInterface<WaitingItem> {};

TEST_P(PauseMenuWaitingItem, PlaysItsRecordingAndSpeaksTheItemAgainAfterItsSleep) {
    machine.press({kEsc});
    for (int i = 0; i < GetParam().downs; ++i) machine.press({kDown});
    machine.press({kEnter});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = menuLog().after("key 13");
    ASSERT_GE(log.lines().size(), 2u) << log;
    EXPECT_EQ(log.lines()[0].entry, std::string("play2D zenemotor ") + GetParam().recording + " looped=0 tracked=0");
    EXPECT_EQ(log.lines()[1].entry, std::string(kPrefix) + GetParam().name + ".wav looped=0 tracked=0");
    EXPECT_EQ(log.lines()[1].ms - log.lines()[0].ms, GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(Items, PauseMenuWaitingItem,
                         ::testing::Values(WaitingItem{1, "hangok/sugo.mp3", "sugo", 7000},
                                           WaitingItem{2, "hangok/keszito.mp3", "keszito", 18000}));

TEST_F(PauseMenu, KeysPressedDuringTheCreditsAreReadAfterwards) {
    machine.press({kEsc, kDown, kDown, kEnter});
    machine.pressAt(machine.now() + 5000, {kDown});
    runProgram(machine, game::kRestartMarker);
    EXPECT_EQ(spokenItems(menuLog()),
              (std::vector<std::string>{"visszaajatekhoz", "sugo", "keszito", "keszito", "kilepes"}));
}

TEST_F(PauseMenu, EnterOnTheFirstItemGoesBack) {
    machine.press({kEsc, kEnter, kUp});
    runProgram(machine, game::kRestartMarker);
    const TraceLog log = menuLog();
    EXPECT_EQ(spokenItems(log), (std::vector<std::string>{"visszaajatekhoz"}));
    EXPECT_TRUE(log.has("play2D effektmotor hangok/lepes.wav")) << log;
}

TEST_F(PauseMenu, ExitReleasesEffectsMonsterAndMusicEnginesInOrderAndEnds) {
    machine.press({kEsc, kUp, kEnter, kUp});
    EXPECT_EQ(runProgram(machine, game::kRestartMarker), 0);
    const TraceLog log = menuLog();
    EXPECT_TRUE(log.inOrder({"play2D zenemotor hangok/menu/kilepes.wav", "key 13", "drop effektmotor",
                             "drop szornymotor", "drop zenemotor"}))
        << log;
    EXPECT_FALSE(log.after("key 13").has("key")) << log;  // the last Up is never read
    EXPECT_TRUE(machine.keysLeft());
    EXPECT_EQ(machine.liveEngines(), 0);
}

}  // namespace
