// Three-vector operations: argument order, aliasing, and double intermediates.
#include "math/vec3.h"

#include <cfloat>
#include <cmath>

#include "float_bits.h"

// Each operation on a and b, with its output on either input; the result must
// match bit for bit (zero is +0, not -0).
TEST(Vec3, OperationsWithOutputOnEitherInput)
{
    using Op = float* (*)(float* a, float* b);
    const struct {
        const char* what;
        Vec3 a, b;
        Op op;
        Vec3 want;
    } rows[] = {
        {"zero", {-1, -2, -3}, {}, [](auto a, auto) { return vec3_zero(a), a; }, {0, 0, 0}},
        {"set", {}, {}, [](auto a, auto) { return vec3_set(a, 1, 2, 3), a; }, {1, 2, 3}},
        {"copy, source first", {1, 2, 3}, {7, 8, 9}, [](auto a, auto b) { return vec3_copy(a, b), b; }, {1, 2, 3}},
        {"copy leaves the source", {1, 2, 3}, {7, 8, 9}, [](auto a, auto b) { return vec3_copy(a, b), a; }, {1, 2, 3}},
        {"a - b into a", {1, 2, 3}, {0.5f, -4, 8}, [](auto a, auto b) { return vec3_sub(a, b, a), a; }, {0.5f, 6, -5}},
        {"a + b into b", {0.5f, 6, -5}, {0.5f, -4, 8}, [](auto a, auto b) { return vec3_add(a, b, b), b; }, {1, 2, 3}},
        {"a - b into b", {0.5f, 6, -5}, {1, 2, 3}, [](auto a, auto b) { return vec3_sub(a, b, b), b; }, {-0.5f, 4, -8}},
        {"scale", {-0.5f, 4, -8}, {}, [](auto a, auto) { return vec3_scale(a, -2.0f), a; }, {1, -8, 16}},
        {"x cross y into a", {1, 0, 0}, {0, 1, 0}, [](auto a, auto b) { return vec3_cross(a, b, a), a; }, {0, 0, 1}},
        {"x cross y into b", {1, 0, 0}, {0, 1, 0}, [](auto a, auto b) { return vec3_cross(a, b, b), b; }, {0, 0, 1}},
        {"z cross y into a", {0, 0, 1}, {0, 1, 0}, [](auto a, auto b) { return vec3_cross(a, b, a), a; }, {-1, 0, 0}},
    };
    for (const auto& r : rows) {
        Vec3 a = {r.a[0], r.a[1], r.a[2]}, b = {r.b[0], r.b[1], r.b[2]};
        EXPECT_TRUE(bits_equal(r.op(a, b), r.want, 3)) << r.what;
    }
}

TEST(Vec3, LengthAndDotStayDouble)
{
    const Vec3 v = {3.0f, 4.0f, 12.0f};
    EXPECT_EQ(vec3_length(v), 13.0);
    const Vec3 diag = {1.0f, 1.0f, 0.0f};
    EXPECT_EQ(vec3_length(diag), std::sqrt(2.0)); // not the float root

    // (1 + 2^-23)^2 = 1 + 2^-22 + 2^-46 is exact in double, not in float.
    const float u = 1.0f + FLT_EPSILON;
    const Vec3 a = {u, 0.0f, 0.0f};
    EXPECT_EQ(vec3_dot(a, a), 1.0 + std::ldexp(1.0, -22) + std::ldexp(1.0, -46));
    const Vec3 p = {1.0f, 2.0f, 3.0f}, q = {4.0f, -5.0f, 6.0f};
    EXPECT_EQ(vec3_dot(p, q), 12.0);

    // Summed z first: (1 + 2^-53) + 2^-53 rounds to 1 twice; x first would give 1 + 2^-52.
    const float h = std::ldexp(1.0f, -26), l = std::ldexp(1.0f, -27);
    const Vec3 c = {l, h, 1.0f}, d = {h, l, 1.0f};
    EXPECT_EQ(vec3_dot(c, d), 1.0);
}

TEST(Vec3Normalize, UnitStaysDegenerateIsSafe)
{
    // On the last row 1/length overflows float; the result must still be a unit vector.
    const Vec3 rows[][2] = {{{-1, 0, 0}, {-1, 0, 0}}, {{0, 0, 0}, {0, 0, 0}}, {{0, -FLT_TRUE_MIN, 0}, {0, -1, 0}}};
    for (const auto& r : rows) {
        Vec3 v = {r[0][0], r[0][1], r[0][2]};
        vec3_normalize(v);
        EXPECT_TRUE(bits_equal(v, r[1], 3));
    }
    Vec3 small = {3 * FLT_TRUE_MIN, 4 * FLT_TRUE_MIN, 0.0f};
    vec3_normalize(small);
    EXPECT_FLOAT_EQ(small[0], 0.6f);
    EXPECT_FLOAT_EQ(small[1], 0.8f);
}
