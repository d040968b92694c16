// What the kernel counts for a process: CPU time and peak memory, read from /proc.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace e2e {

// Peak resident memory (VmHWM) in MiB; 0 when it cannot be read.
inline double peakMemoryMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1024.0;  // in kB
    }
    return 0.0;
}

// User and system CPU seconds of the whole process, its ended threads included.
inline double processCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::size_t afterName = text.rfind(')');  // the name may hold spaces
    if (afterName == std::string::npos) return 0.0;
    std::istringstream fields(text.substr(afterName + 2));
    std::string field;
    double ticks = 0.0;
    // Fields from the state on: utime and stime are the 12th and 13th.
    for (int index = 1; index <= 13 && fields >> field; ++index)
        if (index >= 12) ticks += std::stod(field);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// CPU seconds of one thread, to the nanosecond (the scheduler's own count).
inline double threadCpuSeconds(pid_t pid, pid_t tid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid) + "/schedstat");
    double nanos = 0.0;
    schedstat >> nanos;
    return nanos / 1e9;
}

struct CpuShare {
    double process = 0.0;     // percent of one core, all threads
    double mainThread = 0.0;  // percent of one core, the game's own thread
};

// Watches a process for `window` and gives its share of one core meanwhile.
inline CpuShare cpuShareOver(pid_t pid, std::chrono::milliseconds window) {
    const auto start = std::chrono::steady_clock::now();
    const double processBefore = processCpuSeconds(pid);
    const double threadBefore = threadCpuSeconds(pid, pid);
    std::this_thread::sleep_for(window);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {100.0 * (processCpuSeconds(pid) - processBefore) / seconds,
            100.0 * (threadCpuSeconds(pid, pid) - threadBefore) / seconds};
}

}  // namespace e2e
