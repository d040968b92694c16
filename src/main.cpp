// Entry: the real machine, traced when VAKSOTET_TRACE names a file, handed to the game.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>

#include "platform/system_platform.h"
#include "platform/trace.h"

namespace {

// Until the game takes over: the start jingle, then one key or the end of input.
int standIn(platform::Platform& platform) {
    auto zenemotor = platform.createSoundEngine("zenemotor");
    if (!zenemotor) {
        platform.write("Nem sikerült inicializalni a hangot\n");
        return 0;
    }
    zenemotor->play2D("hangok/zene/szignal.mp3", false, false, false);
    try {
        platform.getch();
    } catch (const platform::InputClosed&) {
    }
    return 0;
}

}  // namespace

int main([[maybe_unused]] int argc, char**) {
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
    return standIn(platform);
}
