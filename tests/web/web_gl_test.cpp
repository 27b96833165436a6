// The page's GL layer against a recording stand-in for emscripten's GL
// emulation: what reaches the emulation for the program's drawing, and when.
#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <tuple>
#include <vector>

#include "immediate.h"

namespace {

struct Emitted {
    double clip[4];
    std::array<float, 4> colour;
};

struct Recording {
    std::vector<GLenum> begins;
    std::vector<Emitted> vertices;
    std::array<float, 4> colour = {0, 0, 0, 0};
    GLint matrix_mode = GL_MODELVIEW;
    int pushed = 0;             // push minus pop
    bool identity_mv = false;   // the modelview, as loaded
    bool identity_proj = false; // the projection, as loaded
    std::array<GLint, 4> viewport = {0, 0, 0, 0};
} rec;

// The frame the program sets up: 60 degrees, 4:3, planes 1 and 1024, a
// 640x480 viewport, and the scene five units in front of the eye.
constexpr double F = 1.7320508075688772; // 1 / tan(30 degrees)
const GLfloat PROJECTION[16] = {static_cast<float>(F * 0.75), 0, 0, 0, 0, static_cast<float>(F), 0, 0, 0, 0,
    -1025.0f / 1023.0f, -1, 0, 0, -2048.0f / 1023.0f, 0};
const GLfloat MODELVIEW[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1};
constexpr int WIDTH = 640, HEIGHT = 480;

constexpr double NEAR = 1e-5;

void draw(GLenum mode, std::initializer_list<std::array<float, 3>> points)
{
    glBegin(mode);
    for (const auto& p : points)
        glVertex3f(p[0], p[1], p[2]);
    glEnd();
}

// The clip coordinates that the frame gives a point of the scene.
void expect_clip(const double* clip, double x, double y, double z)
{
    const double ez = z - 5.0, want[4] = {F * 0.75 * x, F * y, -1025.0 / 1023.0 * ez - 2048.0 / 1023.0, -ez};
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(clip[c], want[c], NEAR) << "at " << x << ", " << y << ", " << z << " [" << c << "]";
}

class GlLayer : public testing::Test {
protected:
    void SetUp() override
    {
        rec = Recording();
        web_gl_pixel_ratio(1.0);
        glViewport(0, 0, WIDTH, HEIGHT);
        glLineWidth(1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor3f(1.0f, 1.0f, 1.0f);
    }
};

// Quads in line mode become their four edges as one-pixel lines, sent at the
// swap; filled ones reach the emulation as they came, at once.
TEST_F(GlLayer, QuadsInLineModeBecomeTheirFourEdgesOthersPassAsTheyCame)
{
    const float w = 0.41f, h = 0.3075f, xs[4] = {w, -w, -w, w}, ys[4] = {h, h, -h, -h};
    const struct {
        GLenum polygon_mode, sent;
        std::vector<int> corners;
    } rows[] = {{GL_LINE, GL_LINES, {0, 1, 1, 2, 2, 3, 3, 0}}, {GL_FILL, GL_QUADS, {0, 1, 2, 3}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sent);
        rec = Recording();
        glPolygonMode(GL_FRONT_AND_BACK, row.polygon_mode);
        glColor3f(1.0f, 1.0f, 0.0f);
        draw(GL_QUADS, {{xs[0], ys[0], -1}, {xs[1], ys[1], -1}, {xs[2], ys[2], -1}, {xs[3], ys[3], -1}});
        if (row.polygon_mode == GL_LINE)
            web_gl_swap();
        ASSERT_EQ(rec.begins, std::vector<GLenum>{row.sent});
        ASSERT_EQ(rec.vertices.size(), row.corners.size());
        for (size_t i = 0; i < row.corners.size(); ++i) {
            expect_clip(rec.vertices[i].clip, xs[row.corners[i]], ys[row.corners[i]], -1.0);
            EXPECT_EQ(rec.vertices[i].colour[2], 0.0f) << "vertex " << i << " is not yellow";
        }
    }
}

TEST_F(GlLayer, EveryVertexCarriesTheColourInForceAtIt)
{
    // The axes: a colour before each pair only.
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glEnd();
    web_gl_swap();
    const auto red = testing::Field(&Emitted::colour, std::array<float, 4>{1, 0, 0, 1});
    const auto green = testing::Field(&Emitted::colour, std::array<float, 4>{0, 1, 0, 1});
    EXPECT_THAT(rec.vertices, testing::ElementsAre(red, red, green, green));
}

TEST_F(GlLayer, AWideLineIsParallelOnePixelLinesAcrossItsMinorAxisADevicePixelApart)
{
    const struct {
        float width;
        double ratio;  // device pixels a window pixel
        float x1, y1;  // from the origin to here, in the plane z = 0
        double dx, dy; // expected offset of each copy from the one before, in window pixels
        size_t copies;
    } rows[] = {
        {2.0f, 1.0, 1.0f, 0.2f, 0.0, 1.0, 2}, // mostly across: the copies lie one above the other
        {2.0f, 1.0, 0.2f, 1.0f, 1.0, 0.0, 2}, // mostly up: side by side
        {1.0f, 2.0, 1.0f, 0.2f, 0.0, 0.5, 2}, // on a dense screen, every line
        {2.0f, 3.0, 0.2f, 1.0f, 1.0 / 3.0, 0.0, 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "width " << row.width << ", ratio " << row.ratio);
        rec = Recording();
        web_gl_pixel_ratio(row.ratio);
        // The program keeps its window's pixels; the viewport is the canvas's.
        const std::array<GLint, 4> device = {
            0, 0, static_cast<GLint>(WIDTH * row.ratio), static_cast<GLint>(HEIGHT * row.ratio)};
        EXPECT_EQ(rec.viewport, device);
        glLineWidth(row.width);
        draw(GL_LINES, {{0, 0, 0}, {row.x1, row.y1, 0}});
        web_gl_swap();
        ASSERT_EQ(rec.vertices.size(), 2 * row.copies);
        for (size_t v = 2; v < 2 * row.copies; ++v) { // each end against the same end of the copy before
            const Emitted& a = rec.vertices[v - 2];
            const Emitted& b = rec.vertices[v];
            const double px = (b.clip[0] / b.clip[3] - a.clip[0] / a.clip[3]) * WIDTH / 2.0;
            const double py = (b.clip[1] / b.clip[3] - a.clip[1] / a.clip[3]) * HEIGHT / 2.0;
            EXPECT_NEAR(px, row.dx, 1e-4) << "vertex " << v;
            EXPECT_NEAR(py, row.dy, 1e-4) << "vertex " << v;
        }
        // Placed through identity matrices, which are then put back.
        EXPECT_EQ(std::tie(rec.pushed, rec.identity_mv, rec.identity_proj, rec.matrix_mode),
            std::make_tuple(0, false, false, GLint{GL_MODELVIEW}));
        // The copies straddle the line itself, as many each way.
        double mid[4];
        const Emitted& last = rec.vertices[2 * row.copies - 2];
        for (int c = 0; c < 4; ++c)
            mid[c] = (rec.vertices[0].clip[c] + last.clip[c]) / 2.0;
        expect_clip(mid, 0.0, 0.0, 0.0);
    }
}

TEST_F(GlLayer, TheFramesLinesAreOneDrawAtTheSwapOrBeforeAnythingElse)
{
    draw(GL_LINES, {{0, 0, 0}, {1, 0, 0}});
    glFlush(); // sends nothing
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    draw(GL_QUADS, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
    EXPECT_TRUE(rec.begins.empty());
    web_gl_swap();
    EXPECT_EQ(rec.begins, std::vector<GLenum>{GL_LINES});
    EXPECT_EQ(rec.vertices.size(), 10u);
    web_gl_swap(); // nothing left
    EXPECT_EQ(rec.begins.size(), 1u);

    // Lines before a clear, or before another primitive, are drawn first.
    const std::function<void()> others[] = {[] { glClear(GL_COLOR_BUFFER_BIT); },
        [] {
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
            draw(GL_QUADS, {});
        }};
    for (const auto& other : others) {
        rec = Recording();
        draw(GL_LINES, {{0, 0, 0}, {1, 0, 0}});
        other();
        ASSERT_FALSE(rec.begins.empty());
        EXPECT_EQ(rec.begins[0], static_cast<GLenum>(GL_LINES));
        EXPECT_EQ(rec.vertices.size(), 2u);
    }
}

TEST_F(GlLayer, LinesAreCutAtTheNearPlane)
{
    // The eye is at z = 5 in the scene, the near plane at z = 4.
    glBegin(GL_LINES);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 50.0f); // through the eye and out behind it
    glVertex3f(0.0f, 0.0f, 6.0f);
    glVertex3f(1.0f, 0.0f, 7.0f); // wholly behind the eye: dropped
    glEnd();
    web_gl_swap();
    ASSERT_EQ(rec.vertices.size(), 2u);
    expect_clip(rec.vertices[0].clip, 0.0, 0.0, 0.0);
    expect_clip(rec.vertices[1].clip, 0.0, 0.0, 4.0);
    EXPECT_NEAR(rec.vertices[1].clip[2], -rec.vertices[1].clip[3], NEAR);
    // The colour at the cut, 4/50 of the way from blue to white.
    EXPECT_THAT(rec.vertices[1].colour, testing::Pointwise(testing::FloatNear(1e-6f), {0.08f, 0.08f, 1.0f, 1.0f}));
}

// m times v, or v itself while m is loaded as the identity.
void transform(const GLfloat* m, bool identity, const double* v, double* out)
{
    for (int row = 0; row < 4; ++row)
        out[row] = identity ? v[row] : m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

} // namespace

// The emulation's entries, recorded.
extern "C" {
void emscripten_glBegin(GLenum mode)
{
    rec.begins.push_back(mode);
}
void emscripten_glEnd()
{
}
// Kept in clip coordinates, through the matrices in force.
void emscripten_glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w)
{
    const double v[4] = {x, y, z, w};
    double eye[4];
    Emitted e = {{}, rec.colour};
    transform(MODELVIEW, rec.identity_mv, v, eye);
    transform(PROJECTION, rec.identity_proj, eye, e.clip);
    rec.vertices.push_back(e);
}
void emscripten_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    rec.colour = {r, g, b, a};
}
void emscripten_glGetFloatv(GLenum name, GLfloat* values)
{
    const GLfloat* m = name == GL_PROJECTION_MATRIX ? PROJECTION : MODELVIEW;
    std::copy(m, m + 16, values);
}
// The matrix mode only, which the emulation keeps itself: nothing is read back from WebGL.
void emscripten_glGetIntegerv(GLenum name, GLint* values)
{
    ASSERT_EQ(name, static_cast<GLenum>(GL_MATRIX_MODE));
    values[0] = rec.matrix_mode;
}
void emscripten_glMatrixMode(GLenum mode)
{
    rec.matrix_mode = static_cast<GLint>(mode);
}
void emscripten_glPushMatrix()
{
    ++rec.pushed;
}
void emscripten_glPopMatrix()
{
    --rec.pushed;
    (rec.matrix_mode == GL_PROJECTION ? rec.identity_proj : rec.identity_mv) = false;
}
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    rec.viewport = {x, y, width, height};
}
void emscripten_glClear(GLbitfield)
{
}
void emscripten_glLoadIdentity()
{
    (rec.matrix_mode == GL_PROJECTION ? rec.identity_proj : rec.identity_mv) = true;
}
}
