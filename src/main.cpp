// Entry: the real machine, traced when VAKSOTET_TRACE names a file, handed to the game.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>

#include "game/game.h"
#include "platform/system_platform.h"
#include "platform/trace.h"

int main(int argc, char**) {
    platform::SystemPlatform system;
    std::ofstream traceFile;
    std::optional<platform::TracePlatform> traced;
    if (const char* path = std::getenv("VAKSOTET_TRACE"); path != nullptr && *path != '\0') {
        traceFile.open(path, std::ios::app);
        if (traceFile)
            traced.emplace(system, traceFile, &platform::SystemPlatform::millisSinceStart);
        else
            std::cerr << "vaksotet: cannot open the trace file " << path << ", playing without it\n";
    }
    platform::Platform& platform = traced ? static_cast<platform::Platform&>(*traced) : system;
    // The game releases its engines before the trace and the machine go.
    return game::Game(platform).run(argc);
}
