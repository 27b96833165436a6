// Quaternion operations: product order, shared renormalisation, matrix layout.
#include "math/quat.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "compose_probe.h"
#include "float_bits.h"
#include "math/vec3.h"
#include "rotation.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr float HALF_SQRT2 = 0.70710678f;
constexpr double MATRIX_TOL = 4e-6; // a few float ulps of 1 per element

const Quat IDENTITY = {0.0f, 0.0f, 0.0f, 1.0f};

// Brings the shared counter to the phase where the next call is not normalised.
void sync_renorm_phase()
{
    if (!compose_normalises())
        compose_normalises();
}

} // namespace

// The axis is normalised in place; a zero angle or a zero axis gives the identity.
TEST(QuatFromAxisAngle, NormalisesAxisInPlace)
{
    const struct {
        Vec3 axis;
        float angle;
        Vec3 axis_after;
        Quat q;
    } rows[] = {
        {{0.0f, 0.0f, 2.0f}, static_cast<float>(PI / 2), {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, HALF_SQRT2, HALF_SQRT2}},
        {{-1.0f, 0.0f, 0.0f}, 0.0f, {-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}},
        {{0.0f, 0.0f, 0.0f}, 1.0f, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}},
    };
    for (const auto& r : rows) {
        Vec3 axis = {r.axis[0], r.axis[1], r.axis[2]};
        Quat q;
        quat_from_axis_angle(axis, r.angle, q);
        EXPECT_TRUE(bits_equal(axis, r.axis_after, 3));
        for (int i = 0; i < 4; ++i) // sin and cos within four ulps, the rest exact
            EXPECT_NEAR(q[i], r.q[i], r.q[i] == HALF_SQRT2 ? std::ldexp(4.0, -24) : 0.0) << r.angle << " [" << i << "]";
    }
}

// The identity on either side returns the other operand: exactly on an
// unnormalised call, up to rounding on a normalised one. The output may be
// either input.
TEST(QuatCompose, IdentityOnEitherSideAndOutputOnEitherInput)
{
    std::mt19937 rng(11);
    for (int n = 0; n < 50; ++n) {
        Quat p, q, out, want, a, b;
        random_unit_quat(rng, p);
        random_unit_quat(rng, q);
        sync_renorm_phase();
        quat_compose(p, IDENTITY, out);
        EXPECT_TRUE(bits_equal(out, p, 4));
        quat_compose(IDENTITY, p, out);
        EXPECT_THAT(out, testing::Pointwise(testing::FloatEq(), p));
        std::copy_n(p, 4, a);
        std::copy_n(q, 4, b);
        sync_renorm_phase();
        quat_compose(p, q, want);
        sync_renorm_phase();
        quat_compose(a, q, a);
        sync_renorm_phase();
        quat_compose(p, b, b);
        EXPECT_TRUE(bits_equal(a, want, 4));
        EXPECT_TRUE(bits_equal(b, want, 4));
    }
}

// Calls 1, 3, ... after the phase is known keep the product as computed; calls
// 2, 4, ... normalise it. q2 * q1 = (-2, 2.5, 19, 7.5), of norm sqrt(427.5).
TEST(QuatCompose, EverySecondCallNormalises)
{
    const Quat q1 = {1.0f, 2.0f, 3.0f, 4.0f}, q2 = {0.5f, -1.0f, 2.0f, 3.0f};
    const float raw[4] = {-2.0f, 2.5f, 19.0f, 7.5f};
    sync_renorm_phase();
    for (int call = 1; call <= 4; ++call) {
        Quat q;
        quat_compose(q1, q2, q);
        for (int i = 0; i < 4; ++i)
            if (call % 2)
                EXPECT_EQ(q[i], raw[i]) << "call " << call;
            else
                EXPECT_FLOAT_EQ(q[i], static_cast<float>(raw[i] / std::sqrt(427.5))) << "call " << call;
    }
}

// The counter starts at 0 with the process: the first composition ever is not
// normalised, the second is. Runs in a freshly started copy of this binary.
TEST(QuatComposeDeathTest, FreshProcessStartsUnnormalised)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto pattern = [] {
        int code = 0;
        for (int call = 0; call < 4; ++call)
            code |= compose_normalises() << call;
        std::exit(code);
    };
    EXPECT_EXIT(pattern(), testing::ExitedWithCode(0b1010), "");
}

TEST(QuatNormalize, ScalesToUnitAndZeroBecomesIdentity)
{
    Quat q = {0.0f, 3.0f, 0.0f, 4.0f};
    const Quat unit = {0.0f, 0.6f, 0.0f, 0.8f};
    quat_normalize(q);
    EXPECT_TRUE(bits_equal(q, unit, 4));
    Quat zero = {0.0f, 0.0f, 0.0f, 0.0f};
    quat_normalize(zero);
    EXPECT_TRUE(bits_equal(zero, IDENTITY, 4));
}

// Over random inputs: every matrix is orthogonal, the matrix of a product is the
// product of the matrices, and quat_to_matrix of quat_from_axis_angle(a, t) turns
// as glRotatef(t degrees, -a), a rotation (no reflection).
TEST(QuatProperties, MatricesAreTheQuaternionsRotations)
{
    std::mt19937 rng(99);
    for (int n = 0; n < 500; ++n) {
        Quat p, q, pq;
        random_unit_quat(rng, p);
        random_unit_quat(rng, q);
        quat_compose(p, q, pq);
        Mat4 mp, mq, mpq;
        std::fill_n(mp, 16, NAN); // every element must be written
        quat_to_matrix(mp, p);
        quat_to_matrix(mq, q);
        quat_to_matrix(mpq, pq);
        const Matrix prod = multiply(matrix_of(mp), matrix_of(mq));
        const Matrix mtm = multiply(transpose(matrix_of(mp)), matrix_of(mp));

        Vec3 a = {uniform(rng, -3, 3), uniform(rng, -3, 3), uniform(rng, -3, 3)};
        const float theta = uniform(rng, -6.3f, 6.3f);
        const Matrix gl = rotation_matrix(theta, -double(a[0]), -double(a[1]), -double(a[2]));
        Mat4 m;
        quat_from_axis_angle(a, theta, q);
        quat_to_matrix(m, q);
        ASSERT_THAT(mpq, testing::Pointwise(testing::DoubleNear(MATRIX_TOL), prod)) << "product #" << n;
        ASSERT_THAT(mtm, testing::Pointwise(testing::DoubleNear(MATRIX_TOL), IDENTITY_MATRIX)) << "rotation #" << n;
        ASSERT_THAT(m, testing::Pointwise(testing::DoubleNear(MATRIX_TOL), gl)) << "axis-angle #" << n;
    }
}
