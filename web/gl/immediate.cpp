#include "immediate.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Vertex {
    double position[4]; // object coordinates
    double clip[4];
    GLfloat colour[4];
};

GLenum primitive = GL_POINTS;
std::vector<Vertex> vertices; // of the glBegin block under way
GLfloat current_colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
GLenum polygon_mode = GL_FILL;
GLfloat line_width = 1.0f;
double pixel_ratio = 1.0;             // device pixels a window pixel
GLint viewport[4] = {0, 0, 640, 480}; // as the program set it, in window pixels
std::vector<Vertex> gathered;         // the frame's 1-pixel lines so far, in clip coordinates, end by end

// out = a * b, column by column as GL keeps matrices.
void multiply(const double* a, const double* b, double* out)
{
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * k + row] * b[4 * column + k];
            out[4 * column + row] = sum;
        }
}

void to_clip(const double* matrix, Vertex& v)
{
    for (int row = 0; row < 4; ++row)
        v.clip[row] = matrix[row] * v.position[0] + matrix[4 + row] * v.position[1] + matrix[8 + row] * v.position[2] +
            matrix[12 + row] * v.position[3];
}

// Clip coordinates are linear in object coordinates: one t serves both.
Vertex between(const Vertex& a, const Vertex& b, double t)
{
    Vertex v;
    for (int i = 0; i < 4; ++i) {
        v.position[i] = a.position[i] + t * (b.position[i] - a.position[i]);
        v.clip[i] = a.clip[i] + t * (b.clip[i] - a.clip[i]);
        v.colour[i] = static_cast<GLfloat>(static_cast<double>(a.colour[i]) +
            t * (static_cast<double>(b.colour[i]) - static_cast<double>(a.colour[i])));
    }
    return v;
}

// Cuts the segment at the near plane (z = -w in clip coordinates); false if nothing is left.
bool clip_near(Vertex& a, Vertex& b)
{
    const double da = a.clip[2] + a.clip[3];
    const double db = b.clip[2] + b.clip[3];
    if (da < 0.0 && db < 0.0)
        return false;
    if (da < 0.0)
        a = between(a, b, da / (da - db));
    else if (db < 0.0)
        b = between(b, a, db / (db - da));
    return true;
}

void emit(const double* p, const GLfloat* colour)
{
    emscripten_glColor4f(colour[0], colour[1], colour[2], colour[3]);
    emscripten_glVertex4f(
        static_cast<GLfloat>(p[0]), static_cast<GLfloat>(p[1]), static_cast<GLfloat>(p[2]), static_cast<GLfloat>(p[3]));
}

// Moved across the screen by (dx, dy) in normalised device coordinates, onto the frame's lines.
void gather_moved(const Vertex& v, double dx, double dy)
{
    Vertex moved = v;
    moved.clip[0] += dx * v.clip[3];
    moved.clip[1] += dy * v.clip[3];
    gathered.push_back(moved);
}

// The segments of the block, by index pairs into `vertices`.
std::vector<int> segment_ends()
{
    std::vector<int> ends;
    const int n = static_cast<int>(vertices.size());
    if (primitive == GL_LINES) {
        for (int i = 0; i + 1 < n; i += 2)
            ends.insert(ends.end(), {i, i + 1});
    } else if (primitive == GL_LINE_STRIP || primitive == GL_LINE_LOOP) {
        for (int i = 0; i + 1 < n; ++i)
            ends.insert(ends.end(), {i, i + 1});
        if (primitive == GL_LINE_LOOP && n > 2)
            ends.insert(ends.end(), {n - 1, 0});
    } else if (primitive == GL_QUADS) {
        for (int i = 0; i + 3 < n; i += 4)
            ends.insert(ends.end(), {i, i + 1, i + 1, i + 2, i + 2, i + 3, i + 3, i});
    }
    return ends;
}

bool drawn_as_lines()
{
    return primitive == GL_LINES || primitive == GL_LINE_STRIP || primitive == GL_LINE_LOOP ||
        (primitive == GL_QUADS && polygon_mode == GL_LINE);
}

// Segments cut at the near plane, onto the frame's lines. A line of width w
// becomes round(w * r) parallel 1-pixel lines, side by side across its minor
// axis a device pixel apart, where a desktop's GL fills the band of that width.
void gather_lines()
{
    GLfloat modelview[16], projection[16];
    emscripten_glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    emscripten_glGetFloatv(GL_PROJECTION_MATRIX, projection);
    double mv[16], p[16], matrix[16];
    for (int i = 0; i < 16; ++i) {
        mv[i] = static_cast<double>(modelview[i]);
        p[i] = static_cast<double>(projection[i]);
    }
    multiply(p, mv, matrix);
    for (Vertex& v : vertices)
        to_clip(matrix, v);

    const double width = std::max(static_cast<double>(line_width), 1.0) * pixel_ratio;
    const int lines = std::max(1, static_cast<int>(std::lround(width)));
    const std::vector<int> ends = segment_ends();
    for (size_t i = 0; i + 1 < ends.size(); i += 2) {
        Vertex a = vertices[static_cast<size_t>(ends[i])];
        Vertex b = vertices[static_cast<size_t>(ends[i + 1])];
        if (!clip_near(a, b))
            continue;
        // Window pixels along each axis, to find the minor one.
        const double wx = (b.clip[0] / b.clip[3] - a.clip[0] / a.clip[3]) * viewport[2];
        const double wy = (b.clip[1] / b.clip[3] - a.clip[1] / a.clip[3]) * viewport[3];
        const bool x_major = std::fabs(wx) >= std::fabs(wy);
        for (int k = 0; k < lines; ++k) {
            // Device pixels off the centre line, in normalised device coordinates.
            const double pixels = (k - (lines - 1) / 2.0) / pixel_ratio;
            const double dx = x_major ? 0.0 : 2.0 * pixels / viewport[2];
            const double dy = x_major ? 2.0 * pixels / viewport[3] : 0.0;
            gather_moved(a, dx, dy);
            gather_moved(b, dx, dy);
        }
    }
}

// The frame's lines so far, in one block through identity matrices, which are then put back.
void draw_gathered()
{
    if (gathered.empty())
        return;
    GLint matrix_mode = GL_MODELVIEW;
    emscripten_glGetIntegerv(GL_MATRIX_MODE, &matrix_mode); // the emulation's own, not WebGL's
    emscripten_glMatrixMode(GL_PROJECTION);
    emscripten_glPushMatrix();
    emscripten_glLoadIdentity();
    emscripten_glMatrixMode(GL_MODELVIEW);
    emscripten_glPushMatrix();
    emscripten_glLoadIdentity();
    emscripten_glBegin(GL_LINES);
    for (const Vertex& v : gathered)
        emit(v.clip, v.colour);
    emscripten_glEnd();
    emscripten_glPopMatrix();
    emscripten_glMatrixMode(GL_PROJECTION);
    emscripten_glPopMatrix();
    emscripten_glMatrixMode(static_cast<GLenum>(matrix_mode));
    gathered.clear();
}

void apply_viewport()
{
    emscripten_glViewport(static_cast<GLint>(std::lround(viewport[0] * pixel_ratio)),
        static_cast<GLint>(std::lround(viewport[1] * pixel_ratio)),
        static_cast<GLsizei>(std::lround(viewport[2] * pixel_ratio)),
        static_cast<GLsizei>(std::lround(viewport[3] * pixel_ratio)));
}

} // namespace

extern "C" {

void glBegin(GLenum mode)
{
    primitive = mode;
    vertices.clear();
}

void glEnd()
{
    if (drawn_as_lines()) {
        gather_lines();
    } else {
        draw_gathered();
        emscripten_glBegin(primitive);
        for (const Vertex& v : vertices)
            emit(v.position, v.colour);
        emscripten_glEnd();
    }
    vertices.clear();
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    Vertex v = {{static_cast<double>(x), static_cast<double>(y), static_cast<double>(z), 1.0}, {}, {}};
    for (int i = 0; i < 4; ++i)
        v.colour[i] = current_colour[i];
    vertices.push_back(v);
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    current_colour[0] = r;
    current_colour[1] = g;
    current_colour[2] = b;
    current_colour[3] = 1.0f;
}

void glPolygonMode(GLenum face, GLenum mode)
{
    // One mode for both faces: the program sets them together.
    if (face == GL_FRONT_AND_BACK || face == GL_FRONT)
        polygon_mode = mode;
}

void glLineWidth(GLfloat width)
{
    line_width = width;
}

void glShadeModel(GLenum)
{
    // The emulation shades smoothly, the only way it knows, and would say so on
    // standard error at each call.
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    draw_gathered();
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = width;
    viewport[3] = height;
    apply_viewport();
}

void glClear(GLbitfield mask)
{
    draw_gathered();
    emscripten_glClear(mask);
}

void glFlush()
{
}

void web_gl_pixel_ratio(double ratio)
{
    draw_gathered();
    pixel_ratio = ratio;
    apply_viewport();
}

void web_gl_swap()
{
    draw_gathered();
}

} // extern "C"
