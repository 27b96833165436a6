// The rotation maths the tests expect, in double and written from the
// definitions (OpenGL's glRotate, the matrix product, the Hamilton product),
// never from the code under test. Matrices are stored column by column, as
// OpenGL stores them; quaternions are x, y, z, w.
#pragma once

#include <array>

using Matrix = std::array<double, 16>;
using Point = std::array<double, 3>;
using Quaternion = std::array<double, 4>;

constexpr Matrix IDENTITY_MATRIX = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The program's float matrix and quaternion, exactly, in double.
Matrix matrix_of(const float* m);
Quaternion quaternion_of(const float* q);

// The matrix glRotatef(degrees, x, y, z) multiplies on, as OpenGL defines it;
// the angle is taken in radians here, the axis need not be of unit length.
Matrix rotation_matrix(double radians, double x, double y, double z);
Matrix multiply(const Matrix& a, const Matrix& b);
Matrix transpose(const Matrix& m);
// The point that m makes of p (w = 1).
Point transformed(const Matrix& m, const Point& p);

// The unit quaternion of a turn by radians about a unit axis: (axis sin(t/2), cos(t/2)).
Quaternion turn_quaternion(double radians, const Point& unit_axis);
// The Hamilton product a * b.
Quaternion hamilton(const Quaternion& a, const Quaternion& b);
double quaternion_length(const Quaternion& q);
