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

// What measure() returns, computed in a fresh child process so that every
// measurement meets the same heap; failed when the child failed.
template <class Result>
Result resultInChild(const std::function<Result()>& measure, Result failed) {
    int channel[2];
    if (pipe(channel) != 0) return failed;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const Result result = measure();
        _exit(write(channel[1], &result, sizeof result) == sizeof result ? 0 : 1);
    }
    close(channel[1]);
    Result result = failed;
    if (child < 0 || read(channel[0], &result, sizeof result) != sizeof result) result = failed;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return result;
}

// A figure measured in a fresh child process; negative when the child failed.
inline double figureInChild(const std::function<double()>& measure) {
    return resultInChild<double>(measure, -1);
}
