#include "rotation.h"

#include <algorithm>
#include <cmath>

Matrix matrix_of(const float* m)
{
    Matrix d;
    std::copy(m, m + 16, d.begin());
    return d;
}

Quaternion quaternion_of(const float* q)
{
    return {q[0], q[1], q[2], q[3]};
}

Matrix rotation_matrix(double radians, double x, double y, double z)
{
    const double n = std::sqrt(x * x + y * y + z * z);
    const double ux = x / n, uy = y / n, uz = z / n;
    const double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
    return {ux * ux * t + c, uy * ux * t + uz * s, ux * uz * t - uy * s, 0, ux * uy * t - uz * s, uy * uy * t + c,
        uy * uz * t + ux * s, 0, ux * uz * t + uy * s, uy * uz * t - ux * s, uz * uz * t + c, 0, 0, 0, 0, 1};
}

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix c{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                c[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
    return c;
}

Matrix transpose(const Matrix& m)
{
    Matrix t;
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            t[col * 4 + row] = m[row * 4 + col];
    return t;
}

Point transformed(const Matrix& m, const Point& p)
{
    Point out;
    for (int row = 0; row < 3; ++row)
        out[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
    return out;
}

Quaternion turn_quaternion(double radians, const Point& unit_axis)
{
    const double s = std::sin(radians / 2);
    return {unit_axis[0] * s, unit_axis[1] * s, unit_axis[2] * s, std::cos(radians / 2)};
}

Quaternion hamilton(const Quaternion& a, const Quaternion& b)
{
    const double ax = a[0], ay = a[1], az = a[2], aw = a[3];
    const double bx = b[0], by = b[1], bz = b[2], bw = b[3];
    return {aw * bx + bw * ax + (ay * bz - az * by), aw * by + bw * ay + (az * bx - ax * bz),
        aw * bz + bw * az + (ax * by - ay * bx), aw * bw - (ax * bx + ay * by + az * bz)};
}

double quaternion_length(const Quaternion& q)
{
    return std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
}
