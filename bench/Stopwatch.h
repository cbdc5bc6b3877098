// Time and statistics for the benchmark programs (never for tests: no test depends on time).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <vector>

// Milliseconds from the performance counter.
inline double NowMs()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

// The value below which a fraction p (0..1) of the values lie (nearest rank); 0 for none.
inline double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p * static_cast<double>(values.size()));
    const size_t index = rank < 1.0 ? 0 : std::min(values.size() - 1, static_cast<size_t>(rank) - 1);
    return values[index];
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}
