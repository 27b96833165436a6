#include "gl_recorder.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cmath>
#include <tuple>

namespace {

Recording rec;
std::vector<Matrix> stack;
GLenum matrix_mode = GL_MODELVIEW;
Attributes current;

template <typename... Args> void record(const char* name, Args... args)
{
    rec.calls.push_back({name, {static_cast<double>(args)...}});
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
    rec = {};
    stack.assign(1, IDENTITY_MATRIX);
    matrix_mode = GL_MODELVIEW;
    current = {1, 1, 1, 1, 0, GL_FILL};
}

const Recording& recorded()
{
    return rec;
}

// The layer itself: same signatures as <GL/gl.h> and <SDL.h>.
extern "C" {

void glClear(GLbitfield mask)
{
    record("glClear", mask);
}

void glMatrixMode(GLenum mode)
{
    matrix_mode = mode;
    record("glMatrixMode", mode);
}

void glLoadIdentity()
{
    if (matrix_mode == GL_MODELVIEW)
        stack.back() = IDENTITY_MATRIX;
    record("glLoadIdentity");
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    multiply_on({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
    record("glTranslatef", x, y, z);
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
    const Matrix d = matrix_of(m);
    multiply_on(d);
    rec.calls.push_back({"glMultMatrixf", {d.begin(), d.end()}});
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    multiply_on(rotation_matrix(static_cast<double>(angle) * M_PI / 180.0, x, y, z));
    record("glRotatef", angle, x, y, z);
}

void glLineWidth(GLfloat width)
{
    current.line_width = width;
    record("glLineWidth", width);
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    std::tie(current.red, current.green, current.blue) = std::make_tuple(double{r}, double{g}, double{b});
    record("glColor3f", r, g, b);
}

void glPolygonMode(GLenum face, GLenum mode)
{
    current.polygon_mode = mode;
    record("glPolygonMode", face, mode);
}

void glBegin(GLenum mode)
{
    current.primitive = mode;
    record("glBegin", mode);
}

void glEnd()
{
    record("glEnd");
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    rec.vertices.push_back(transformed(stack.back(), {x, y, z}));
    rec.attributes.push_back(current);
    record("glVertex3f", x, y, z);
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
