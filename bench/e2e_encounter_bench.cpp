// The built program's cost while it waits for the player: its CPU share and
// peak memory idle in the main menu, and its CPU share while a monster
// encounter ticks on the 64 Hz clock waiting for keys (the monster's and the
// radar's 3D sounds and the game music playing on OpenAL Soft's null output).
#include <benchmark/benchmark.h>

#include "../tests/e2e/program_run.h"
#include "e2e_process_stats.h"

namespace {

using namespace e2e;

constexpr Millis kWindow{5000};  // an encounter at level 1 lasts 37.5 s: the window fits well inside

// From the first item of the main menu into a game, the intro cut by Enter.
bool enterGame(ProgramRun& run) {
    run.type(keys::enter);
    if (!run.await("play2D intromotor hangok/zene/intro.mp3")) return false;
    run.type(keys::enter);
    return run.await("play2D zenemotor hangok/zene/jatekzene.mp3").has_value();
}

// Steps forward until a monster comes; a special weapon calling on the way is taken.
bool walkToMonster(ProgramRun& run) {
    std::size_t calls = 0;
    for (int step = 0; step < 100; ++step) {
        run.type(keys::upCsi);
        if (!run.await("play2D effektmotor hangok/lepes.wav")) return false;
        // The encounter or the call starts right after the step's sound.
        const auto deadline = Clock::now() + Millis(500);
        while (Clock::now() < deadline) {
            if (run.trace().count("play3D szornymotor hangok/szorny.wav") > 0) return true;
            if (run.trace().count("play2D szornymotor hangok/kfegyvervesz.wav") > calls) {
                ++calls;
                run.type("k");
                if (!run.await("play2D effektmotor hangok/kfegyvermegvan.wav")) return false;
                break;
            }
            std::this_thread::sleep_for(Millis(5));
        }
    }
    return false;
}

void BM_WaitingForKeys(benchmark::State& state) {
    for (auto _ : state) {
        ProgramRun run(Launch{VAKSOTET_PROGRAM, VAKSOTET_SOURCE_DIR, skipJingle()});
        if (!run.await("play2D zenemotor hangok/menu/ujjatek.wav")) {
            state.SkipWithError("the menu never came");
            return;
        }
        const CpuShare menu = cpuShareOver(run.pid(), Millis(3000));
        state.counters["menu_cpu_percent"] = menu.process;
        state.counters["menu_peak_mb"] = peakMemoryMb(run.pid());

        if (!enterGame(run) || !walkToMonster(run)) {
            state.SkipWithError("no monster came");
            return;
        }
        const std::size_t stopsBefore = run.trace().count("stopAllSounds szornymotor");
        const CpuShare encounter = cpuShareOver(run.pid(), kWindow);
        if (run.trace().count("stopAllSounds szornymotor") != stopsBefore) {
            state.SkipWithError("the encounter ended inside the window");
            return;
        }
        state.counters["encounter_cpu_percent"] = encounter.process;
        state.counters["encounter_game_thread_cpu_percent"] = encounter.mainThread;
        state.counters["encounter_peak_mb"] = peakMemoryMb(run.pid());
    }
}
BENCHMARK(BM_WaitingForKeys)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
