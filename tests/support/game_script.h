// Short scripts shared by the game's tests.
#pragma once

#include "game/game.h"
#include "support/scripted_platform.h"

namespace scripted {

// Runs the program on the machine until its input ends; returns its status.
inline int runProgram(ScriptedPlatform& machine, int argc = 1) { return game::Game(machine).run(argc); }

// From a restarted run's main menu straight into a game: new game, and Enter
// cutting the intro after its first second. The game then draws gen and
// kfegyver, which a test scripts with randValues before the first step.
inline void startGame(ScriptedPlatform& machine) { machine.press({kEnter, kEnter}); }

}  // namespace scripted
