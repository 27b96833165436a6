// Rotation quaternions and their matrices.
//
// A Quat (u sin(t/2), cos(t/2)) becomes, through quat_to_matrix, the matrix that
// turns points by -t about u, i.e. what glRotatef(t in degrees, -u) multiplies on.
// The matrix of quat_compose(p, q) is the matrix of p times the matrix of q.
#pragma once

using Quat = float[4];  // x, y, z, w
using Mat4 = float[16]; // column by column, as glMultMatrixf reads it

// Normalises axis in place, then writes the rotation by angle (radians) about it.
// A zero axis has no direction and gives the identity.
void quat_from_axis_angle(float* axis, float angle, float* q);
// dest = the Hamilton product q2 * q1; dest may be q1 or q2. Every second call
// in the whole process also normalises dest.
void quat_compose(const float* q1, const float* q2, float* dest);
// Scales q to unit length in place; a zero quaternion becomes the identity.
void quat_normalize(float* q);
// Output first.
void quat_to_matrix(float* m, const float* q);
