// Bit-exact comparisons and seeded inputs for the math tests. The bits of the
// arithmetic itself are pinned by the arithmetic sweep's golden hashes.
#pragma once

#include <cmath>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

inline testing::AssertionResult bits_equal(const float* got, const float* want, int n)
{
    if (std::memcmp(got, want, n * sizeof(float)) == 0)
        return testing::AssertionSuccess();
    auto r = testing::AssertionFailure();
    for (int i = 0; i < n; ++i)
        r << "[" << i << "] " << got[i] << " vs " << want[i] << "  ";
    return r;
}

inline float uniform(std::mt19937& rng, float lo, float hi)
{
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

// A unit quaternion, rounded to float, from a direction uniform on the 3-sphere.
inline void random_unit_quat(std::mt19937& rng, float* q)
{
    std::normal_distribution<double> n;
    double v[4], s = 0;
    for (double& c : v) {
        c = n(rng);
        s += c * c;
    }
    for (int i = 0; i < 4; ++i)
        q[i] = static_cast<float>(v[i] / std::sqrt(s));
}
