#include "gl_recorder.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cmath>

namespace {

using Matrix = std::array<double, 16>;

std::vector<GlCall> calls;
std::vector<Point> vertices;
std::vector<Matrix> stack;
GLenum matrix_mode = GL_MODELVIEW;

constexpr Matrix IDENTITY = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void record(const char* name, std::vector<double> args = {})
{
    calls.push_back({name, std::move(args)});
}

// Only the modelview stack is followed; the renderer never touches another.
void multiply_on(const Matrix& m)
{
    if (matrix_mode == GL_MODELVIEW)
        stack.back() = multiply(stack.back(), m);
}

} // namespace

const std::vector<std::string> RECORDED_FUNCTIONS = {"glClear", "glMatrixMode", "glLoadIdentity", "glTranslatef",
    "glPushMatrix", "glPopMatrix", "glMultMatrixf", "glRotatef", "glLineWidth", "glColor3f", "glPolygonMode", "glBegin",
    "glEnd", "glVertex3f", "glFlush", "SDL_GL_SwapBuffers"};

void recorder_reset()
{
    calls.clear();
    vertices.clear();
    stack.assign(1, IDENTITY);
    matrix_mode = GL_MODELVIEW;
}

const std::vector<GlCall>& recorded_calls()
{
    return calls;
}

const std::vector<Point>& recorded_vertices()
{
    return vertices;
}

std::array<double, 16> rotation_matrix(double radians, double ax, double ay, double az)
{
    const double n = std::sqrt(ax * ax + ay * ay + az * az);
    const double x = ax / n, y = ay / n, z = az / n;
    const double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
    return {x * x * t + c, y * x * t + z * s, x * z * t - y * s, 0, x * y * t - z * s, y * y * t + c, y * z * t + x * s,
        0, x * z * t + y * s, y * z * t - x * s, z * z * t + c, 0, 0, 0, 0, 1};
}

std::array<double, 16> multiply(const std::array<double, 16>& a, const std::array<double, 16>& b)
{
    Matrix c{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                c[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
    return c;
}

// The layer itself: same signatures as <GL/gl.h> and <SDL.h>.
extern "C" {

void glClear(GLbitfield mask)
{
    record("glClear", {static_cast<double>(mask)});
}

void glMatrixMode(GLenum mode)
{
    matrix_mode = mode;
    record("glMatrixMode", {static_cast<double>(mode)});
}

void glLoadIdentity()
{
    if (matrix_mode == GL_MODELVIEW)
        stack.back() = IDENTITY;
    record("glLoadIdentity");
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    multiply_on({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
    record("glTranslatef", {x, y, z});
}

void glPushMatrix()
{
    if (matrix_mode == GL_MODELVIEW)
        stack.push_back(stack.back());
    record("glPushMatrix");
}

void glPopMatrix()
{
    // A pop of the last entry is a stack underflow in OpenGL: it changes nothing.
    if (matrix_mode == GL_MODELVIEW && stack.size() > 1)
        stack.pop_back();
    record("glPopMatrix");
}

void glMultMatrixf(const GLfloat* m)
{
    Matrix d;
    for (int i = 0; i < 16; ++i)
        d[i] = m[i];
    multiply_on(d);
    record("glMultMatrixf", std::vector<double>(d.begin(), d.end()));
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    multiply_on(rotation_matrix(static_cast<double>(angle) * M_PI / 180.0, x, y, z));
    record("glRotatef", {angle, x, y, z});
}

void glLineWidth(GLfloat width)
{
    record("glLineWidth", {width});
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    record("glColor3f", {r, g, b});
}

void glPolygonMode(GLenum face, GLenum mode)
{
    record("glPolygonMode", {static_cast<double>(face), static_cast<double>(mode)});
}

void glBegin(GLenum mode)
{
    record("glBegin", {static_cast<double>(mode)});
}

void glEnd()
{
    record("glEnd");
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    const Matrix& m = stack.back();
    Point p;
    for (int row = 0; row < 3; ++row)
        p[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    vertices.push_back(p);
    record("glVertex3f", {x, y, z});
}

void glFlush()
{
    record("glFlush");
}

void SDL_GL_SwapBuffers()
{
    record("SDL_GL_SwapBuffers");
}

} // extern "C"
