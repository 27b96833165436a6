// Virtual trackball: two pointer positions to the rotation between them.
#include "math/trackball.h"

#include <cmath>

#include "math/quat.h"
#include "math/vec3.h"

namespace {

// The boundary test and the sheet use two values one unit in the last place
// apart, on purpose: which pieces a position near the edge lands on, and so
// every rotation there, depends on both bits. Do not merge them.
constexpr double SPHERE_EDGE = 0.7071067811865476; // sphere/sheet boundary, in radii: sqrt(1/2) to double
constexpr double SHEET_SCALE = 0.7071067811865475; // the sheet, in radii: one ulp below SPHERE_EDGE
static_assert(SPHERE_EDGE - SHEET_SCALE == 0x1p-53, "SHEET_SCALE is SPHERE_EDGE less one ulp");
// Formed in double from the float radius (0.8f is a little above 0.8), so a little below 0.625.
constexpr double INV_DIAMETER = 1.0 / (2.0 * static_cast<double>(TRACKBALL_RADIUS)); // per trackball unit
static_assert(INV_DIAMETER == 0.6249999906867744, "the reciprocal of the float diameter");
constexpr double SINE_LIMIT = 1.0; // largest sine of a half step angle

} // namespace

void trackball_rotation(float* q, float p1x, float p1y, float p2x, float p2y)
{
    if (p1x == p2x && p1y == p2y) {
        vec3_zero(q);
        q[3] = 1.0f;
        return;
    }

    const float z1 = static_cast<float>(project_to_trackball(TRACKBALL_RADIUS, p1x, p1y));
    Vec3 p1;
    vec3_set(p1, p1x, p1y, z1);
    const float z2 = static_cast<float>(project_to_trackball(TRACKBALL_RADIUS, p2x, p2y));
    Vec3 p2;
    vec3_set(p2, p2x, p2y, z2);

    // P2 x P1 points against the turn from P1 to P2; the matrix layout turns
    // points by the negative angle, so the scene still follows the pointer.
    Vec3 axis;
    vec3_cross(p2, p1, axis);
    Vec3 d;
    vec3_sub(p1, p2, d);

    double t = vec3_length(d) * INV_DIAMETER;
    if (t > SINE_LIMIT)
        t = SINE_LIMIT;
    else
        t = static_cast<double>(static_cast<float>(t));
    const float angle = static_cast<float>(std::asin(t) + std::asin(t));

    quat_from_axis_angle(axis, angle, q);
}

double project_to_trackball(float r, float x, float y)
{
    const double rd = static_cast<double>(r);
    const double xd = static_cast<double>(x);
    const double yd = static_cast<double>(y);
    const double d = std::sqrt(xd * xd + yd * yd);
    if (rd * SPHERE_EDGE > d)
        return std::sqrt(rd * rd - d * d);
    // The sheet z * d = r*r/2 meets the sphere at d = r/sqrt(2).
    const double s = rd * SHEET_SCALE;
    return s * s / d;
}
