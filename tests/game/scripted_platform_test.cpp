// The virtual machine the game's tests run on: its clock, keys, draws and
// sounds behave as the tests rely on.
#include <gtest/gtest.h>

#include "support/scripted_platform.h"

namespace {

using namespace scripted;

TEST(ScriptedPlatform, BlockingReadJumpsToTheNextKeyAndPollSeesOnlyDueKeys) {
    ScriptedPlatform machine;
    machine.pressAt(500, {key('a')});
    EXPECT_FALSE(machine.kbhit());
    machine.sleep(499);
    EXPECT_FALSE(machine.kbhit());
    machine.sleep(1);
    EXPECT_TRUE(machine.kbhit());
    machine.pressAt(2000, {kUp});
    EXPECT_EQ(machine.getch(), 'a');
    EXPECT_EQ(machine.getch(), 224);
    EXPECT_EQ(machine.now(), 2000);
    EXPECT_EQ(machine.getch(), 72);
    EXPECT_THROW(machine.getch(), platform::InputClosed);
    EXPECT_TRUE(machine.log().inOrder({"key 97", "key 224", "key 72"}));
    EXPECT_EQ(machine.log().timeOf("key 224"), 2000);
}

TEST(ScriptedPlatform, WordSkipsLeadingSpaceAndTakesItsEndingEnter) {
    ScriptedPlatform machine;
    machine.type("\r\n  |pipacsok|\r");
    machine.press({key('e')});
    EXPECT_EQ(machine.readWord(), "|pipacsok|");
    EXPECT_EQ(machine.getch(), 'e');
    EXPECT_EQ(machine.readWord(), std::nullopt);
    EXPECT_TRUE(machine.log().has("word |pipacsok|"));
}

TEST(ScriptedPlatform, ScriptedDrawsComeFirstThenTheSeededGenerator) {
    ScriptedPlatform machine;
    machine.randValues({7, 3});
    EXPECT_EQ(machine.rand(), 7);
    EXPECT_EQ(machine.rand(), 3);
    machine.srand(42);
    const int first = machine.rand();
    machine.srand(42);
    EXPECT_EQ(machine.rand(), first);
}

TEST(ScriptedPlatform, SoundsEndAfterTheirLengthAndWithTheirEngine) {
    ScriptedPlatform machine;
    machine.setDuration("caption.wav", 300);
    auto engine = machine.createSoundEngine("szornymotor");
    platform::Sound* caption = engine->play2D("caption.wav", false, false, true);
    platform::Sound* music = engine->play2D("music.mp3", true, false, true);
    ASSERT_NE(caption, nullptr);
    EXPECT_FALSE(caption->isFinished());
    machine.sleep(300);
    EXPECT_TRUE(caption->isFinished());
    EXPECT_TRUE(machine.sounding("music.mp3"));
    engine->stopAllSounds();
    EXPECT_TRUE(music->isFinished());
    EXPECT_EQ(engine->play2D("untracked.wav", false, false, false), nullptr);
    engine.reset();
    EXPECT_EQ(machine.liveEngines(), 0);
    EXPECT_TRUE(machine.log().inOrder({"create szornymotor", "play2D szornymotor caption.wav looped=0 tracked=1 #1",
                                       "stopAllSounds szornymotor", "drop szornymotor"}));
}

TEST(ScriptedPlatform, FailingEnginesAndFilesWithoutHandles) {
    ScriptedPlatform machine;
    machine.failEngine("intromotor");
    machine.giveNoHandle("hangok/szorny.wav");
    EXPECT_EQ(machine.createSoundEngine("intromotor"), nullptr);
    auto engine = machine.createSoundEngine("szornymotor");
    EXPECT_EQ(engine->play3D("hangok/szorny.wav", {0, 0, 0}, true, false, true), nullptr);
    EXPECT_FALSE(machine.sounding("hangok/szorny.wav"));
    EXPECT_TRUE(machine.log().has("create-failed intromotor"));
}

TEST(ScriptedPlatform, WaitingPlayAdvancesTheClockByTheFilesLength) {
    ScriptedPlatform machine;
    machine.setDuration("szamok.wav", 640);
    machine.playSound("szamok.wav", platform::Wait::untilEnd);
    EXPECT_EQ(machine.now(), 640);
    machine.playSound("szamok.wav", platform::Wait::no);
    EXPECT_EQ(machine.now(), 640);
    machine.write("12");
    machine.write("3");
    EXPECT_EQ(machine.console(), "123");
    EXPECT_TRUE(machine.log().inOrder({"PlaySound szamok.wav sync", "PlaySound szamok.wav async", "out 12", "out 3"}));
}

TEST(TraceLog, EntryMatchesWholeWordsFromTheLineStart) {
    const TraceLog log = TraceLog::parse("0 key 13\n5 play2D zenemotor hangok/menu.wav looped=0 tracked=0\n");
    EXPECT_TRUE(log.has("key 13"));
    EXPECT_FALSE(log.has("key 1"));
    EXPECT_TRUE(log.has("play2D zenemotor hangok/menu.wav"));
    EXPECT_FALSE(log.has("zenemotor"));
    EXPECT_EQ(log.timeOf("play2D"), 5);
    EXPECT_FALSE(log.inOrder({"play2D", "key 13"}));
}

}  // namespace
