// The program from its start to the main menu, as a player meets it.
#include <sys/wait.h>

#include <string>
#include <vector>

#include "program_test.h"

namespace e2e {
namespace {

using StartUpTest = ProgramTest;

// A wait counts from the tick of the 64 Hz clock in which it began, so it may
// end up to one tick (15.625 ms) sooner after the line logged before it.
constexpr long long kTickMs = 16;

TEST_F(StartUpTest, RestartMarkerSkipsTheJingleAndOpensTheMenu) {
    ProgramRun run(launch(skipJingle()));
    ASSERT_TRUE(shows(run, "play2D zenemotor hangok/menu/ujjatek.wav"));

    const std::vector<std::string> expected = {
        "create zenemotor",
        "play2D zenemotor hangok/menu.wav looped=0 tracked=0",
        "play2D zenemotor hangok/zene/menuzene.mp3 looped=1 tracked=0",
        "play2D zenemotor hangok/menu/ujjatek.wav looped=0 tracked=0",
    };
    const std::vector<TraceLine>& lines = run.trace().lines();
    std::vector<std::string> first;
    for (std::size_t i = 0; i < expected.size() && i < lines.size(); ++i) first.push_back(lines[i].text);
    EXPECT_EQ(first, expected) << run.report();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_GE(lines[2].ms - lines[1].ms, 1000 - kTickMs) << "the menu music follows the menu's sound after a second";
    EXPECT_EQ(run.trace().count("play2D zenemotor hangok/zene/szignal.mp3"), 0u);
    EXPECT_EQ(run.settledScreen(), "") << "the menu prints nothing";
}

TEST_F(StartUpTest, JingleWaitsSixteenAndAHalfSecondsAndSwallowsAKey) {
    ProgramRun run(launch({}));
    ASSERT_TRUE(shows(run, "create zenemotor"));
    auto jingle = run.await("play2D zenemotor hangok/zene/szignal.mp3 looped=0 tracked=0");
    ASSERT_TRUE(jingle) << run.report();

    run.type(keys::enter);  // read and thrown away by the jingle's wait
    ASSERT_TRUE(shows(run, "key 13"));
    auto menu = run.await("play2D zenemotor hangok/menu.wav", Millis(25000));
    ASSERT_TRUE(menu) << run.report();
    EXPECT_GE(menu->ms - jingle->ms, 16500 - kTickMs);
    EXPECT_LT(menu->ms - jingle->ms, 17500);

    // The Enter did not reach the menu: Down still moves to the second item.
    ASSERT_TRUE(shows(run, "play2D zenemotor hangok/menu/ujjatek.wav"));
    run.type(keys::downCsi);
    ASSERT_TRUE(shows(run, "play2D zenemotor hangok/menu/hangszoroteszt.wav"));
    EXPECT_EQ(run.trace().count("create effektmotor"), 0u) << run.report();
}

TEST_F(StartUpTest, WithoutASoundDeviceItPrintsTheFailureLineAndEndsWithStatusZero) {
    Launch machineDefault = launch();
    machineDefault.nullSoundOutput = false;  // OpenAL Soft looks for a real device
    machineDefault.outputToPipe = true;      // the exact bytes, untouched by the terminal
    ProgramRun run(machineDefault);

    const auto deadline = Clock::now() + kPatience;
    while (run.running() && Clock::now() < deadline && run.trace().count("create zenemotor") == 0)
        std::this_thread::sleep_for(Millis(5));
    if (run.trace().count("create zenemotor") > 0) GTEST_SKIP() << "this machine has a sound device";

    std::optional<int> status = run.awaitExit();
    ASSERT_TRUE(status) << run.report();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << run.report();
    EXPECT_EQ(run.pipedOutputToEnd(), "Nem sikerült inicializalni a hangot\n") << run.report();
    // Standard error stays on the terminal: the sound drivers' complaints must not reach it.
    EXPECT_EQ(run.settledScreen(), "") << run.report();
    EXPECT_EQ(run.trace().count("create-failed zenemotor"), 1u) << run.report();
}

}  // namespace
}  // namespace e2e
