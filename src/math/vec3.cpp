// Three-vectors of floats: double arithmetic, rounded to float on store.
#include "math/vec3.h"

#include <cmath>

namespace {

constexpr double FLOAT_OVERFLOW = 0x1.ffffffp127; // smallest double that rounds to float infinity

} // namespace

void vec3_zero(float* v)
{
    v[0] = 0.0f;
    v[1] = 0.0f;
    v[2] = 0.0f;
}

void vec3_set(float* v, float x, float y, float z)
{
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

void vec3_sub(const float* a, const float* b, float* out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<float>(static_cast<double>(a[i]) - static_cast<double>(b[i]));
}

void vec3_copy(const float* src, float* dst)
{
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
}

void vec3_cross(const float* a, const float* b, float* out)
{
    const double ax = static_cast<double>(a[0]);
    const double ay = static_cast<double>(a[1]);
    const double az = static_cast<double>(a[2]);
    const double bx = static_cast<double>(b[0]);
    const double by = static_cast<double>(b[1]);
    const double bz = static_cast<double>(b[2]);
    // Into a local first: out may be a or b.
    Vec3 c;
    c[0] = static_cast<float>(ay * bz - az * by);
    c[1] = static_cast<float>(az * bx - ax * bz);
    c[2] = static_cast<float>(ax * by - ay * bx);
    vec3_copy(c, out);
}

double vec3_length(const float* v)
{
    const double x = static_cast<double>(v[0]);
    const double y = static_cast<double>(v[1]);
    const double z = static_cast<double>(v[2]);
    return std::sqrt((x * x + y * y) + z * z);
}

void vec3_scale(float* v, float s)
{
    const double f = static_cast<double>(s);
    for (int i = 0; i < 3; ++i)
        v[i] = static_cast<float>(static_cast<double>(v[i]) * f);
}

void vec3_normalize(float* v)
{
    const double len = vec3_length(v);
    if (len == 0.0)
        return; // no direction to keep
    const double inv = 1.0 / len;
    if (inv >= FLOAT_OVERFLOW) {
        // Lengths below about 3e-39: the factor has no float, divide in double.
        for (int i = 0; i < 3; ++i)
            v[i] = static_cast<float>(static_cast<double>(v[i]) / len);
        return;
    }
    vec3_scale(v, static_cast<float>(inv));
}

double vec3_dot(const float* a, const float* b)
{
    return (static_cast<double>(a[2]) * static_cast<double>(b[2]) +
               static_cast<double>(a[1]) * static_cast<double>(b[1])) +
        static_cast<double>(a[0]) * static_cast<double>(b[0]);
}

void vec3_add(const float* a, const float* b, float* out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<float>(static_cast<double>(a[i]) + static_cast<double>(b[i]));
}
