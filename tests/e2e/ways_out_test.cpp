// Every way out of a game leaves the terminal as it was found: the pause menu's
// exit, a signal, the end of standard input.
#include <signal.h>
#include <sys/wait.h>

#include <functional>
#include <string>

#include "program_test.h"

namespace e2e {
namespace {

using WaysOutTest = ProgramTest;

::testing::AssertionResult exitedWithZero(ProgramRun& run) {
    std::optional<int> status = run.awaitExit();
    if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << run.report();
}

::testing::AssertionResult sameModesAsAtStart(ProgramRun& run) {
    std::string before = sttyG(run.modesAtStart());
    std::string after = sttyG(run.terminalModes());
    if (before == after) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "modes before " << before << "\n           after " << after;
}

TEST_F(WaysOutTest, PauseMenuExitEndsWithStatusZeroAndRestoresTheTerminal) {
    ProgramRun run(launch());
    ASSERT_TRUE(enterGame(run));
    EXPECT_TRUE(isRaw(run.terminalModes())) << "a game reads single keys without echo";

    run.type(keys::esc);
    ASSERT_TRUE(shows(run, "key 27"));
    ASSERT_TRUE(shows(run, "play2D zenemotor hangok/menu.wav"));
    ASSERT_TRUE(shows(run, "play2D zenemotor hangok/menu/visszaajatekhoz.wav"));
    run.type(keys::upCsi);
    ASSERT_TRUE(shows(run, "play2D zenemotor hangok/menu/kilepes.wav"));
    run.type(keys::enter);
    ASSERT_TRUE(shows(run, "drop effektmotor"));
    ASSERT_TRUE(shows(run, "drop szornymotor"));
    ASSERT_TRUE(shows(run, "drop zenemotor"));

    EXPECT_TRUE(exitedWithZero(run));
    EXPECT_TRUE(sameModesAsAtStart(run));
}

struct Interruption {
    const char* name;
    std::function<void(ProgramRun&)> deliver;
};

void PrintTo(const Interruption& interruption, std::ostream* out) { *out << interruption.name; }

class InterruptedGameTest : public ProgramTest, public ::testing::WithParamInterface<Interruption> {};

TEST_P(InterruptedGameTest, TerminalIsRestored) {
    ProgramRun run(launch());
    ASSERT_TRUE(enterGame(run));
    ASSERT_TRUE(isRaw(run.terminalModes())) << "a game reads single keys without echo";

    GetParam().deliver(run);
    ASSERT_TRUE(run.awaitExit()) << "the program did not end\n" << run.report();
    EXPECT_TRUE(sameModesAsAtStart(run));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, InterruptedGameTest,
    ::testing::Values(Interruption{"Sigterm", [](ProgramRun& run) { run.signal(SIGTERM); }},
                      Interruption{"Sighup", [](ProgramRun& run) { run.signal(SIGHUP); }},
                      Interruption{"CtrlCTyped", [](ProgramRun& run) { run.type(keys::ctrlC); }}),
    [](const ::testing::TestParamInfo<Interruption>& info) { return std::string(info.param.name); });

TEST_F(WaysOutTest, EndOfInputDuringAGameReleasesTheSoundAndEndsWithStatusZero) {
    Launch piped = launch();
    piped.inputFromPipe = true;  // scripted play: keys from a pipe, then its end
    ProgramRun run(piped);
    ASSERT_TRUE(enterGame(run));

    run.closeInput();
    EXPECT_TRUE(exitedWithZero(run));
    for (const char* engine : {"effektmotor", "szornymotor", "zenemotor"})
        EXPECT_EQ(run.trace().count(std::string("drop ") + engine), 1u) << run.report();
    EXPECT_TRUE(sameModesAsAtStart(run)) << "a terminal that was not the input is left alone";
}

}  // namespace
}  // namespace e2e
