// The main menu driven by the arrow keys' real byte sequences, in both the
// `ESC [` and the `ESC O` spelling that terminals send.
#include <sys/wait.h>

#include <string>
#include <string_view>

#include "program_test.h"

namespace e2e {
namespace {

using MainMenuTest = ProgramTest;

struct Press {
    std::string_view bytes;
    int scanCode;             // after the prefix 224
    std::string_view spoken;  // the item the menu names next
};

TEST_F(MainMenuTest, ArrowKeysInBothSpellingsMoveAndWrapAndEnterOnExitEnds) {
    ProgramRun run(launch());
    ASSERT_TRUE(shows(run, "play2D zenemotor hangok/menu/ujjatek.wav"));

    const Press presses[] = {
        {keys::downCsi, 80, "hangok/menu/hangszoroteszt.wav"},
        {keys::downSs3, 80, "hangok/menu/sugo.wav"},
        {keys::upSs3, 72, "hangok/menu/hangszoroteszt.wav"},
        {keys::upCsi, 72, "hangok/menu/ujjatek.wav"},
        {keys::upCsi, 72, "hangok/menu/kilepes.wav"},  // from the first item to the last
        {keys::downSs3, 80, "hangok/menu/ujjatek.wav"},  // and back round
        {keys::upSs3, 72, "hangok/menu/kilepes.wav"},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(ProgramRun::printable(press.bytes));
        run.type(press.bytes);
        ASSERT_TRUE(shows(run, "key 224"));
        ASSERT_TRUE(shows(run, "key " + std::to_string(press.scanCode)));
        ASSERT_TRUE(shows(run, "play2D zenemotor " + std::string(press.spoken)));
    }

    run.type(keys::enter);
    ASSERT_TRUE(shows(run, "key 13"));
    ASSERT_TRUE(shows(run, "drop zenemotor"));
    std::optional<int> status = run.awaitExit();
    ASSERT_TRUE(status) << run.report();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << run.report();
    EXPECT_EQ(run.trace().count("create effektmotor"), 0u) << "no game was started";
    EXPECT_EQ(run.settledScreen(), "") << "keys are not echoed and the menu prints nothing";
}

}  // namespace
}  // namespace e2e
