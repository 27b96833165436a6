// What the frame-rate benchmarks share: the median of their rounds and the
// swap counts that the LD_PRELOAD counter reports on standard error.
#pragma once

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// The swaps the counter reported ("swaps N at T" lines) between the first and
// the last report inside [from, to].
struct SwapSpan {
    long swaps = 0;
    double first = 0.0; // CLOCK_MONOTONIC seconds
    double last = 0.0;
};

inline SwapSpan swaps_reported(const std::string& reports, double from, double to)
{
    std::istringstream in(reports);
    std::string line;
    SwapSpan span;
    long first_n = -1;
    while (std::getline(in, line)) {
        long n = 0;
        double t = 0.0;
        if (std::sscanf(line.c_str(), "swaps %ld at %lf", &n, &t) != 2 || t < from || t > to)
            continue;
        if (first_n < 0) {
            first_n = n;
            span.first = t;
        }
        span.swaps = n - first_n;
        span.last = t;
    }
    return span;
}
