// The end of a game: the crystal, the two endings, the printed and spoken
// result, and the way back to the main menu.
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

constexpr const char* kMessage = "play2D effektmotor hangok/kristalyuzenet.wav";
constexpr const char* kGoodOutro = "play2D szornymotor hangok/zene/outro_joveg.mp3";
constexpr const char* kBadOutro = "play2D szornymotor hangok/zene/outro_rosszveg.mp3";
constexpr const char* kClosing = "PlaySound hangok/gratulalok.wav sync";

// Games played to their end by a scripted player, with sound lengths chosen
// so that the readout's waits can be told apart.
class Finale : public ::testing::Test {
protected:
    Finale() {
        machine.setDuration("szamok.wav", 700);
        machine.setDuration("hangok/pontodlett.wav", 1200);
        machine.setDuration("hangok/eletedmaradt.wav", 1300);
        machine.setDuration("hangok/szornyetoltelmeg.wav", 1400);
        machine.setDuration("hangok/gratulalok.wav", 900);
    }
    void play(PlayerPlan plan) {
        Player player(machine, std::move(plan));
        EXPECT_EQ(runProgram(machine, game::kRestartMarker), 0);
    }

    NumberClipsDirectory clips;
    ScriptedPlatform machine;
};

// ---------------------------------------------------------------- the endings

struct EndingCase {
    const char* name;
    PlayerPlan plan;
    std::vector<std::string> text;  // the console's items, one write each
    bool crystalPhase;
    bool good;
};

std::vector<std::string> result(const char* opening, const char* pont, const char* elet, const char* kills) {
    return {opening, pont, " pontod lett. ", elet, " eleted maradt. ", kills, " szornyet oltel meg!"};
}

const EndingCase kEndings[] = {
    {"NoLivesLeft", PlayerPlan().shootingUntil(0).leavingTheWeapon(),
     result("Sajnalom, a jateknak vege! ", "0", "0", "0"), false, false},
    {"CrystalStandsWithoutTheWeapon", PlayerPlan().leavingTheWeapon(),
     result("Sajnalom, a jateknak vege! ", "624", "3", "121"), true, false},
    {"NinetyNineCountedSpaces", PlayerPlan().pressingInCrystal(99),
     result("Sajnalom, a jateknak vege! ", "624", "3", "121"), true, false},
    {"CrystalBroken", PlayerPlan(), result("Gratulalok! A jateknak vege! ", "624", "3", "121"), true, true},
};

class Ending : public Finale, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(Ending, ReleasesMusicAndEffectsPlaysItsOutroAndWritesTheResult) {
    const EndingCase& ending = GetParam();
    play(ending.plan);
    const TraceLog log = machine.log();
    std::string console;
    std::vector<std::string> outLines;
    for (const std::string& item : ending.text) {
        console += item;
        outLines.push_back("out " + item);
    }
    EXPECT_EQ(machine.console(), console);
    EXPECT_EQ(log.startingWith("out "), outLines);
    EXPECT_EQ(log.has(kMessage), ending.crystalPhase);
    const char* outro = ending.good ? kGoodOutro : kBadOutro;
    EXPECT_TRUE(log.inOrder({"drop zenemotor", "drop effektmotor", outro})) << log.after("drop zenemotor");
    EXPECT_FALSE(log.has(ending.good ? kBadOutro : kGoodOutro));
    // The text follows the outro's wait of 52 or 25 seconds.
    EXPECT_EQ(log.timeOf("out") - log.timeOf(outro), ending.good ? 52000 : 25000);
}

INSTANTIATE_TEST_SUITE_P(Rows, Ending, ::testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Finale, CrystalWithoutTheWeaponOnlyClicksAndStandsTenThousandTicks) {
    play(PlayerPlan().leavingTheWeapon());
    const TraceLog log = machine.log();
    const TraceLog crystal = log.after(kMessage).before("drop zenemotor");
    EXPECT_EQ(crystal.count("play2D effektmotor hangok/uresloves.wav"), 100);
    EXPECT_FALSE(crystal.has("play2D effektmotor hangok/kristalyzuz.wav"));
    EXPECT_EQ(log.timeOf("drop zenemotor") - log.timeOf(kMessage), 4500 + 10000);
}

TEST_F(Finale, HundredthCountedSpaceBreaksTheCrystalInItsTick) {
    play(PlayerPlan());
    const TraceLog log = machine.log();
    const TraceLog crystal = log.after(kMessage).before("drop zenemotor");
    EXPECT_EQ(crystal.count("play2D effektmotor hangok/kristalyzuz.wav"), 100);
    EXPECT_EQ(crystal.count("play2D effektmotor hangok/kristaly.wav"), 100);
    // The phase ends in the tick of the 100th: nothing between its sounds and the ending.
    const TraceLog last = crystal.after("key 32", 100);
    ASSERT_EQ(last.lines().size(), 2u) << last;
    EXPECT_EQ(last.lines()[0].entry, "play2D effektmotor hangok/kristalyzuz.wav looped=0 tracked=0");
    EXPECT_EQ(last.lines()[1].entry, "play2D effektmotor hangok/kristaly.wav looped=0 tracked=0");
    // Space per tick from the first tick after the 4.5 s message.
    EXPECT_EQ(log.timeOf("drop zenemotor") - log.timeOf(kMessage), 4500 + 100);
}

TEST_F(Finale, SpacesPressedDuringTheMessageCountAfterwards) {
    long long messageAt = 0;
    {
        ScriptedPlatform dryRun;
        NumberClipsDirectory dryClips;
        Player player(dryRun, PlayerPlan());
        runProgram(dryRun, game::kRestartMarker);
        messageAt = dryRun.log().timeOf(kMessage);
    }
    machine.pressAt(messageAt + 1000, std::vector<Keys>(100, kSpace));
    play(PlayerPlan().pressingInCrystal(0));
    EXPECT_TRUE(machine.log().has(kGoodOutro)) << machine.log().after(kMessage);
    EXPECT_EQ(machine.log().after(kMessage).timeOf("key 32"), messageAt + 4500 + 1);
}

// ---------------------------------------------------------------- the readout

TEST_F(Finale, EachNumberIsHeardBeforeItsCaptionAndThenTheClosingPhrase) {
    play(PlayerPlan());
    const TraceLog readout = machine.log().after("out  szornyet oltel meg!");
    ASSERT_GE(readout.lines().size(), 9u) << readout;
    const std::vector<std::string> expected = {
        "PlaySound szamok.wav sync",
        "play2D szornymotor hangok/pontodlett.wav looped=0 tracked=1",
        "PlaySound szamok.wav sync",
        "play2D szornymotor hangok/eletedmaradt.wav looped=0 tracked=1",
        "PlaySound szamok.wav sync",
        "play2D szornymotor hangok/szornyetoltelmeg.wav looped=0 tracked=1",
        kClosing,
        "drop szornymotor",
        "drop intromotor",  // the intro ran to its end in this game
    };
    std::vector<long long> at;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(readout.lines()[i].entry.starts_with(expected[i])) << readout;
        at.push_back(readout.lines()[i].ms);
    }
    EXPECT_EQ(at[1] - at[0], 700);   // the number to its end
    EXPECT_EQ(at[2] - at[1], 1200);  // the caption watched until it has finished
    EXPECT_EQ(at[4] - at[3], 1300);
    EXPECT_EQ(at[6] - at[5], 1400 + 200);
    EXPECT_EQ(at[7] - at[6], 900 + 500);
}

TEST_F(Finale, RunStartsAgainAtTheMainMenuWithoutTheJingle) {
    play(PlayerPlan());
    const TraceLog restart = machine.log().after(kClosing);
    EXPECT_TRUE(restart.inOrder({"drop szornymotor", "create zenemotor", "play2D zenemotor hangok/menu.wav",
                                 "play2D zenemotor hangok/zene/menuzene.mp3 looped=1",
                                 "play2D zenemotor hangok/menu/ujjatek.wav"}))
        << restart;
    EXPECT_FALSE(machine.log().has("play2D zenemotor hangok/zene/szignal.mp3"));
    EXPECT_EQ(machine.liveEngines(), 0);
}

TEST_F(Finale, CaptionWithoutAHandleDoesNotHangTheReadout) {
    machine.giveNoHandle("hangok/pontodlett.wav");
    machine.giveNoHandle("hangok/eletedmaradt.wav");
    machine.giveNoHandle("hangok/szornyetoltelmeg.wav");
    play(PlayerPlan().shootingUntil(0).leavingTheWeapon());
    const TraceLog readout = machine.log().after("out  szornyet oltel meg!");
    const long long firstCaption = readout.timeOf("play2D szornymotor hangok/pontodlett.wav");
    EXPECT_EQ(readout.after("play2D szornymotor hangok/pontodlett.wav").timeOf("PlaySound szamok.wav"),
              firstCaption + 1500);
    EXPECT_TRUE(readout.has(kClosing)) << readout;
    EXPECT_TRUE(readout.has("play2D zenemotor hangok/menu.wav"));
}

TEST_F(Finale, KeysDuringTheReadoutAreDroppedAndThoseOfTheClosingPhraseReachTheMenu) {
    long long captionAt = 0;
    long long closingAt = 0;
    {
        ScriptedPlatform dryRun;
        NumberClipsDirectory dryClips;
        dryRun.setDuration("hangok/gratulalok.wav", 900);
        Player player(dryRun, PlayerPlan().shootingUntil(0).leavingTheWeapon());
        runProgram(dryRun, game::kRestartMarker);
        captionAt = dryRun.log().timeOf("play2D szornymotor hangok/pontodlett.wav");
        closingAt = dryRun.log().timeOf(kClosing);
    }
    machine.pressAt(captionAt + 5, {key('x')});
    machine.pressAt(closingAt + 100, {kDown});
    play(PlayerPlan().shootingUntil(0).leavingTheWeapon());
    const TraceLog log = machine.log();
    EXPECT_EQ(log.timeOf("key 120"), captionAt + 10);
    EXPECT_TRUE(log.after(kClosing).inOrder({"play2D zenemotor hangok/menu/ujjatek.wav", "key 224", "key 80",
                                             "play2D zenemotor hangok/menu/hangszoroteszt.wav"}))
        << log.after(kClosing);
}

}  // namespace
