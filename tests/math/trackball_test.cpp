// Virtual trackball: surface heights, step directions and the numeric rule.
#include "math/trackball.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "float_bits.h"
#include "math/quat.h"
#include "rotation.h"

namespace {
constexpr double FOLLOW_TOL = 2e-5; // carrying one sphere point onto another
} // namespace

// On the sphere inside the circle of radius r / sqrt(2), on the sheet from it on.
// The sheet uses 0.7071067811865475, not the circle's ...476. (0.4, 0.4) lies on
// the circle exactly (in double), where the sheet applies: there the two formulas
// differ in the last bit. The last float inside the circle is on the sphere.
TEST(ProjectToTrackball, SphereInsideSheetFromTheCircleOn)
{
    const double r = TRACKBALL_RADIUS, s = r * 0.7071067811865475, s_edge = r * 0.7071067811865476;
    const double on_circle = std::sqrt(2.0 * double(0.4f) * double(0.4f));
    ASSERT_EQ(on_circle, s_edge);
    ASSERT_NE(s * s / on_circle, std::sqrt(r * r - on_circle * on_circle));
    const float edge = static_cast<float>(s_edge);
    const float in = edge < s_edge ? edge : std::nextafter(edge, 0.0f), out = std::nextafter(in, 1.0f);
    const struct {
        float x, y;
        double height;
    } rows[] = {
        {0.0f, 0.0f, r},
        {in, 0.0f, std::sqrt(r * r - double(in) * in)},
        {0.0f, -out, s * s / double(out)},
        {0.4f, 0.4f, s * s / on_circle},
        {-0.4f, 0.4f, s * s / on_circle},
        {1.0f, 0.0f, s * s},
        {0.0f, -2.0f, s * s / 2.0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(project_to_trackball(TRACKBALL_RADIUS, row.x, row.y), row.height) << row.x << ", " << row.y;
}

// Each component of the step's quaternion lies in [low, high]. Equal positions
// give the identity bit for bit; a small step right turns a little about -y;
// surface points 2 apart limit the sine to 1, a half turn about -y; a step of one
// subnormal gives an axis whose 1/length overflows float, and must still give a
// finite rotation about -y.
TEST(TrackballRotation, StepsOfKnownTurn)
{
    constexpr float NEG = -FLT_TRUE_MIN, BELOW_ONE = 1.0f - FLT_EPSILON / 2;
    const struct {
        float p1x, p1y, p2x, p2y;
        Quat low, high;
        bool exact;
    } rows[] = {
        {0.0f, 0.0f, 0.0f, 0.0f, {0, 0, 0, 1}, {0, 0, 0, 1}, true},
        {0.3f, -0.7f, 0.3f, -0.7f, {0, 0, 0, 1}, {0, 0, 0, 1}, true},
        {-0.0f, 1.5f, 0.0f, 1.5f, {0, 0, 0, 1}, {0, 0, 0, 1}, true},
        {0.0f, 0.0f, 0.1f, 0.0f, {0, -1, 0, 0.99f}, {0, NEG, 0, BELOW_ONE}, false},
        {-1.0f, 0.0f, 1.0f, 0.0f, {0, -1.0000001f, 0, -1e-7f}, {0, -0.9999999f, 0, 1e-7f}, false},
        {0.0f, 0.0f, FLT_TRUE_MIN, 0.0f, {0, -1, 0, 1}, {0, NEG, 0, 1}, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.p1x << ", " << r.p1y << " to " << r.p2x << ", " << r.p2y);
        Quat q = {9.0f, 9.0f, 9.0f, 9.0f};
        trackball_rotation(q, r.p1x, r.p1y, r.p2x, r.p2y);
        EXPECT_THAT(q, testing::Pointwise(testing::Ge(), r.low));
        EXPECT_THAT(q, testing::Pointwise(testing::Le(), r.high));
        EXPECT_TRUE(!r.exact || bits_equal(q, r.low, 4)); // the identity, +0s and all
    }
}

// Swapped positions give the inverse, bit for bit. Both positions on the sphere,
// the step carries the first surface point onto the second, so the scene
// follows the pointer.
TEST(TrackballRotation, SwappedPositionsGiveInverseAndSpherePointsFollow)
{
    std::mt19937 rng(17);
    for (int n = 0; n < 1000; ++n) {
        float pos[4];
        std::generate_n(pos, 4, [&rng] { return uniform(rng, -1, 1); });
        Quat fwd, back;
        trackball_rotation(fwd, pos[0], pos[1], pos[2], pos[3]);
        trackball_rotation(back, pos[2], pos[3], pos[0], pos[1]);
        const float inv[4] = {-fwd[0], -fwd[1], -fwd[2], fwd[3]};
        ASSERT_TRUE(bits_equal(back, inv, 4)) << n;

        for (float& v : pos)
            v *= 0.4f;
        trackball_rotation(fwd, pos[0], pos[1], pos[2], pos[3]);
        Mat4 m;
        quat_to_matrix(m, fwd);
        const Point p1 = {pos[0], pos[1], project_to_trackball(TRACKBALL_RADIUS, pos[0], pos[1])};
        const Point p2 = {pos[2], pos[3], project_to_trackball(TRACKBALL_RADIUS, pos[2], pos[3])};
        const Point got = transformed(matrix_of(m), p1);
        EXPECT_THAT(got, testing::Pointwise(testing::DoubleNear(FOLLOW_TOL), p2)) << n;
    }
}
