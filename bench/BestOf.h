#pragma once

#include <algorithm>
#include <chrono>
#include <functional>

// The best of `rounds` runs of f, in seconds: the least disturbed by the rest
// of the machine.
inline double best(int rounds, const std::function<void()> &f)
{
    using Clock = std::chrono::steady_clock;
    double bestTime = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        f();
        bestTime = std::min(bestTime, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return bestTime;
}
