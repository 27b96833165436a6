// Reference arithmetic for the math tests, written from the formulas and not
// from the code under test. W is the working precision: with long double it is
// the oracle for "double intermediates, float at the named points"; with float
// it is what plain float arithmetic would give.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

namespace ref {

template <typename W> float rnd(W v)
{
    return static_cast<float>(v);
}

template <typename W> W length(const float* v)
{
    return std::sqrt((W(v[0]) * W(v[0]) + W(v[1]) * W(v[1])) + W(v[2]) * W(v[2]));
}

template <typename W> void cross(const float* a, const float* b, float* out)
{
    const float c[3] = {rnd(W(a[1]) * W(b[2]) - W(a[2]) * W(b[1])), rnd(W(a[2]) * W(b[0]) - W(a[0]) * W(b[2])),
        rnd(W(a[0]) * W(b[1]) - W(a[1]) * W(b[0]))};
    std::memcpy(out, c, sizeof c);
}

template <typename W> void normalize(float* v)
{
    const float f = rnd(W(1) / length<W>(v));
    for (int i = 0; i < 3; ++i)
        v[i] = rnd(W(v[i]) * W(f));
}

template <typename W> void from_axis_angle(float* axis, float angle, float* q)
{
    normalize<W>(axis);
    const W h = W(angle) * W(0.5);
    const float s = rnd(std::sin(h));
    for (int i = 0; i < 3; ++i)
        q[i] = rnd(W(axis[i]) * W(s));
    q[3] = rnd(std::cos(h));
}

// q2 * q1 without the renormalisation.
template <typename W> void compose(const float* q1, const float* q2, float* dest)
{
    float t3[3], t4[3];
    cross<W>(q2, q1, t3);
    for (int i = 0; i < 3; ++i) {
        const float t1 = rnd(W(q1[i]) * W(q2[3]));
        const float t2 = rnd(W(q2[i]) * W(q1[3]));
        t4[i] = rnd(W(t3[i]) + W(rnd(W(t1) + W(t2))));
    }
    const float p = rnd(W(q1[3]) * W(q2[3]));
    const W dot = (W(q1[2]) * W(q2[2]) + W(q1[1]) * W(q2[1])) + W(q1[0]) * W(q2[0]);
    dest[3] = rnd(W(p) - dot);
    std::memcpy(dest, t4, sizeof t4);
}

template <typename W> void matrix(float* m, const float* q)
{
    const W x = q[0], y = q[1], z = q[2], w = q[3];
    const W e[16] = {1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w), 0, 2 * (x * y + z * w),
        1 - 2 * (x * x + z * z), 2 * (y * z - x * w), 0, 2 * (x * z - y * w), 2 * (y * z + x * w),
        1 - 2 * (x * x + y * y), 0, 0, 0, 0, 1};
    for (int k = 0; k < 16; ++k)
        m[k] = rnd(e[k]);
}

template <typename W> W project(float r, float x, float y)
{
    const W d = std::sqrt(W(x) * W(x) + W(y) * W(y));
    if (W(r) * W(0.7071067811865476) > d)
        return std::sqrt(W(r) * W(r) - d * d);
    const W s = W(r) * W(0.7071067811865475);
    return s * s / d;
}

template <typename W> void trackball(float* q, float p1x, float p1y, float p2x, float p2y)
{
    const float p1[3] = {p1x, p1y, rnd(project<W>(0.8f, p1x, p1y))};
    const float p2[3] = {p2x, p2y, rnd(project<W>(0.8f, p2x, p2y))};
    float axis[3], d[3];
    cross<W>(p2, p1, axis);
    for (int i = 0; i < 3; ++i)
        d[i] = rnd(W(p1[i]) - W(p2[i]));
    W t = length<W>(d) * W(0.6249999906867744);
    t = t > W(1) ? W(1) : W(rnd(t));
    from_axis_angle<W>(axis, rnd(std::asin(t) + std::asin(t)), q);
}

} // namespace ref

inline std::uint32_t bits(float f)
{
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

inline bool same_bits(const float* a, const float* b, int n)
{
    for (int i = 0; i < n; ++i)
        if (bits(a[i]) != bits(b[i]))
            return false;
    return true;
}

inline testing::AssertionResult bits_equal(const float* got, const float* want, int n)
{
    if (same_bits(got, want, n))
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
