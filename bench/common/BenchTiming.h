#pragma once
// Clocks and summaries of the benchmarks' timings: time since a point, medians and percentiles.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace benchcommon {

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

inline double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

/// The middle value (the upper one of an even count); -1 when there is none.
inline double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/// How a set of times spreads; -1 for each figure when there are none.
struct Spread {
    size_t count = 0;
    double median = -1, p95 = -1, max = -1;
};

inline Spread spreadOf(std::vector<double> v)
{
    Spread s;
    s.count = v.size();
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    s.p95 = v[std::min(v.size() - 1, (v.size() * 95) / 100)];
    s.max = v.back();
    return s;
}

} // namespace benchcommon
