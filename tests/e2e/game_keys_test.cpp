// A game played through the terminal: the intro cut short, steps, status keys
// that print and speak their number, and the code entry.
#include <string>

#include "program_test.h"

namespace e2e {
namespace {

using GameKeysTest = ProgramTest;

TEST_F(GameKeysTest, StepsWithUpAndTheScoreKeyPrintsAndSpeaksZero) {
    ProgramRun run(launch());
    ASSERT_TRUE(enterGame(run));

    run.type("p");
    ASSERT_TRUE(shows(run, "key 112"));
    ASSERT_TRUE(shows(run, "PlaySound szamok.wav async"));
    ASSERT_TRUE(shows(run, "out 0"));
    EXPECT_TRUE(sameAudio(audioOf(run.workDir() / "szamok.wav"), audioOf(run.workDir() / "hangok/szamok/0.wav")));

    for (int step = 0; step < 2; ++step) {
        run.type(keys::upCsi);
        ASSERT_TRUE(shows(run, "key 224"));
        ASSERT_TRUE(shows(run, "key 72"));
        ASSERT_TRUE(shows(run, "play2D effektmotor hangok/lepes.wav looped=0 tracked=0"));
        // The first monster may come at the first step; its encounter would take the next key.
        if (run.await("play3D szornymotor hangok/szorny.wav", Millis(300))) break;
    }
    EXPECT_EQ(run.settledScreen(), "0") << "the number alone, nothing around it";
}

TEST_F(GameKeysTest, LifeCodeAfterF1AndDeleteAddsALife) {
    ProgramRun run(launch());
    ASSERT_TRUE(enterGame(run));

    run.type(keys::f1);
    ASSERT_TRUE(shows(run, "key 0"));
    ASSERT_TRUE(shows(run, "key 59"));
    ASSERT_TRUE(shows(run, "out Sugo"));
    run.type(keys::del);
    ASSERT_TRUE(shows(run, "key 224"));
    ASSERT_TRUE(shows(run, "key 83"));
    ASSERT_TRUE(shows(run, "out Enter code"));
    ASSERT_TRUE(shows(run, "play2D effektmotor hangok/kodker.wav"));

    // A word read with the terminal's own echo switches it on first; bytes typed
    // before that would not be echoed. A reader that echoes by itself never does.
    run.awaitModes([](const termios& modes) { return (modes.c_lflag & ECHO) != 0; }, Millis(2000));
    run.type("|bonuszvit|\r");
    ASSERT_TRUE(shows(run, "word |bonuszvit|"));
    ASSERT_TRUE(shows(run, "play2D effektmotor hangok/kodelfogadva.wav"));
    EXPECT_TRUE(run.awaitScreen("|bonuszvit|")) << "the word is echoed\n" << run.report();

    ASSERT_TRUE(run.awaitModes(isRaw)) << "single keys are read without echo again";
    run.type("e");
    ASSERT_TRUE(shows(run, "key 101"));
    ASSERT_TRUE(shows(run, "PlaySound szamok.wav async"));
    ASSERT_TRUE(shows(run, "out 4"));
    EXPECT_TRUE(sameAudio(audioOf(run.workDir() / "szamok.wav"), audioOf(run.workDir() / "hangok/szamok/4.wav")));

    std::string screen = run.settledScreen();
    EXPECT_TRUE(screen.starts_with("SugoEnter code")) << ProgramRun::printable(screen);
    EXPECT_TRUE(screen.ends_with("4")) << ProgramRun::printable(screen);
}

}  // namespace
}  // namespace e2e
