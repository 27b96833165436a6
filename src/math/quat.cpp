// Rotation quaternions (x, y, z, w) and their column-major matrices.
#include "math/quat.h"

#include <cmath>

#include "math/vec3.h"

namespace {

// Calls of quat_compose since the last renormalisation (0 or 1). One counter
// for every caller, so the drift of all accumulated rotations stays bounded.
int renorm_counter = 0;

} // namespace

void quat_from_axis_angle(float* axis, float angle, float* q)
{
    vec3_normalize(axis);
    if (axis[0] == 0.0f && axis[1] == 0.0f && axis[2] == 0.0f) {
        // A zero axis has no direction: no rotation.
        vec3_zero(q);
        q[3] = 1.0f;
        return;
    }
    vec3_copy(axis, q);
    const double h = static_cast<double>(angle) * 0.5;
    vec3_scale(q, static_cast<float>(std::sin(h)));
    q[3] = static_cast<float>(std::cos(h));
}

void quat_compose(const float* q1, const float* q2, float* dest)
{
    Vec3 t1;
    vec3_copy(q1, t1);
    vec3_scale(t1, q2[3]);
    Vec3 t2;
    vec3_copy(q2, t2);
    vec3_scale(t2, q1[3]);
    Vec3 t3;
    vec3_cross(q2, q1, t3);
    Vec3 t4;
    vec3_add(t1, t2, t4);
    vec3_add(t3, t4, t4);
    const float p = static_cast<float>(static_cast<double>(q1[3]) * static_cast<double>(q2[3]));
    const float w = static_cast<float>(static_cast<double>(p) - vec3_dot(q1, q2));

    // Every read of q1 and q2 is done: dest may be either of them.
    vec3_copy(t4, dest);
    dest[3] = w;

    if (++renorm_counter > 1) {
        renorm_counter = 0;
        quat_normalize(dest);
    }
}

void quat_normalize(float* q)
{
    const double x = static_cast<double>(q[0]);
    const double y = static_cast<double>(q[1]);
    const double z = static_cast<double>(q[2]);
    const double w = static_cast<double>(q[3]);
    const double len = std::sqrt(((x * x + y * y) + z * z) + w * w);
    if (len == 0.0) {
        // A zero quaternion has no rotation to keep: the identity.
        vec3_zero(q);
        q[3] = 1.0f;
        return;
    }
    q[0] = static_cast<float>(x / len);
    q[1] = static_cast<float>(y / len);
    q[2] = static_cast<float>(z / len);
    q[3] = static_cast<float>(w / len);
}

void quat_to_matrix(float* m, const float* q)
{
    const double x = static_cast<double>(q[0]);
    const double y = static_cast<double>(q[1]);
    const double z = static_cast<double>(q[2]);
    const double w = static_cast<double>(q[3]);
    // Element 1 is 2(xy - zw), element 4 is 2(xy + zw): read by OpenGL this is
    // the transpose of v -> q v q^-1, so it turns points by -angle about the axis.
    m[0] = static_cast<float>(1.0 - 2.0 * (y * y + z * z));
    m[1] = static_cast<float>(2.0 * (x * y - z * w));
    m[2] = static_cast<float>(2.0 * (x * z + y * w));
    m[3] = 0.0f;
    m[4] = static_cast<float>(2.0 * (x * y + z * w));
    m[5] = static_cast<float>(1.0 - 2.0 * (x * x + z * z));
    m[6] = static_cast<float>(2.0 * (y * z - x * w));
    m[7] = 0.0f;
    m[8] = static_cast<float>(2.0 * (x * z - y * w));
    m[9] = static_cast<float>(2.0 * (y * z + x * w));
    m[10] = static_cast<float>(1.0 - 2.0 * (x * x + y * y));
    m[11] = 0.0f;
    m[12] = 0.0f;
    m[13] = 0.0f;
    m[14] = 0.0f;
    m[15] = 1.0f;
}
