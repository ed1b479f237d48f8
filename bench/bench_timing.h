// Timing shared by the benchmarks: one call timed, the median of runs, and a
// figure measured in a fresh child process.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <functional>
#include <vector>

inline double milliseconds(const std::function<void()>& call) {
    auto start = std::chrono::steady_clock::now();
    call();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// CPU time (user + system) of the whole process.
inline double cpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

// The figure that measure() gives in a fresh child process, so that every
// measurement meets the same heap; negative when the child failed.
inline double figureInChild(const std::function<double()>& measure) {
    int channel[2];
    if (pipe(channel) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const double figure = measure();
        _exit(write(channel[1], &figure, sizeof figure) == sizeof figure ? 0 : 1);
    }
    close(channel[1]);
    double figure = -1;
    if (child < 0 || read(channel[0], &figure, sizeof figure) != sizeof figure) figure = -1;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return figure;
}
