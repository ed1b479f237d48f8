// Timing shared by the benchmarks: one call timed, and the median of runs.
#pragma once

#include <algorithm>
#include <chrono>
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
