// Frames and rectangles through the recording layer.
#include <GL/gl.h>
#include <gmock/gmock.h>

#include <cmath>
#include <sstream>
#include <string>
#include <tuple>

#include "app/view_state.h"
#include "compose_probe.h"
#include "gl_recorder.h"
#include "process.h"
#include "promises.h"
#include "render/frame.h"
#include "render/rect.h"

namespace {

// Float matrices from float quaternions, a few roundings each: far below how much
// the program's degree (from 3.141592) is short of pi / 180 at twenty turns.
constexpr double RECT_TOLERANCE = 2e-6; // scene units, on corners about 1 from the origin
constexpr double AXIS_TOLERANCE = 1e-4; // on axes 50 long

struct ViewSetting {
    bool quaternion_mode;
    float angle_z, angle_x, angle_y;
    float offset_x, offset_y, offset_z;
    Point axis; // unit axis and angle (radians) of scene_rotation
    double turn;
};

const ViewSetting SETTINGS[] = {
    {false, 20.0f, 30.0f, 10.25f, 0.5f, -0.25f, 1.5f, {1.0 / 3, 2.0 / 3, 2.0 / 3}, 0.7},
    {true, -12.5f, 33.0f, 71.0f, -1.25f, 0.75f, -3.0f, {0.0, 0.6, 0.8}, 2.0},
    // Twenty turns and more: the quaternions must follow the program's degree.
    {true, -3612.5f, 7233.0f, 7271.0f, 0.0f, 0.0f, 0.0f, {1.0, 0.0, 0.0}, 0.0},
    {false, -3612.5f, 7233.0f, 7271.0f, 0.0f, 0.0f, 0.0f, {1.0, 0.0, 0.0}, 0.0},
};

void apply(const ViewSetting& s)
{
    std::tie(
        view.quaternion_mode, view.angle_z, view.angle_x, view.angle_y, view.offset_x, view.offset_y, view.offset_z) =
        std::tie(s.quaternion_mode, s.angle_z, s.angle_x, s.angle_y, s.offset_x, s.offset_y, s.offset_z);
    const Quaternion q = turn_quaternion(s.turn, s.axis);
    for (int i = 0; i < 4; ++i)
        view.scene_rotation[i] = static_cast<float>(q[i]);
}

// glRotate's matrix for an angle in degrees: the chain's true degree, or the
// quaternions' radians from the program's pi, rounded to float.
Matrix turn(double degrees, bool program_degree, double x, double y, double z)
{
    const double radians =
        program_degree ? static_cast<float>(degrees * (PROGRAM_PI / 180.0)) : degrees * (M_PI / 180.0);
    return rotation_matrix(radians, x, y, z);
}

// The rectangle's orientation: the chain G(angle_y + extra_y, -Y) G(angle_x, X)
// G(angle_z, -Z); the quaternions spread the fan last instead.
Matrix orientation(const ViewSetting& s, float extra_y)
{
    const bool q = s.quaternion_mode;
    Matrix m = turn(q ? s.angle_y : static_cast<float>(s.angle_y + extra_y), q, 0, -1, 0);
    m = multiply(m, turn(s.angle_x, q, 1, 0, 0));
    m = multiply(m, turn(s.angle_z, q, 0, 0, -1));
    return q ? multiply(m, turn(extra_y, q, 0, -1, 0)) : m;
}

struct Drawn {
    Point at;
    Attributes attributes;
    double tolerance;
};

// Axes red x, green y, blue z, 50 long, as lines; then the fan of five wireframe
// rectangles, the unturned one 2 wide, white in the chain and yellow with quaternions.
std::vector<Drawn> expected_frame(const ViewSetting& s)
{
    Matrix eye = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, s.offset_x, s.offset_y, static_cast<float>(s.offset_z - 5.0), 1};
    // scene_rotation turns by its angle about the opposite of its axis, as glRotatef would.
    eye = multiply(eye, rotation_matrix(s.turn, -s.axis[0], -s.axis[1], -s.axis[2]));
    std::vector<Drawn> out;
    for (int a = 0; a < 3; ++a) {
        const Attributes colour = {double(a == 0), double(a == 1), double(a == 2), 1, GL_LINES, GL_FILL};
        const Point end = {50.0 * (a == 0), 50.0 * (a == 1), 50.0 * (a == 2)};
        out.push_back({transformed(eye, {0, 0, 0}), colour, AXIS_TOLERANCE});
        out.push_back({transformed(eye, end), colour, AXIS_TOLERANCE});
    }
    const double w = static_cast<float>(HALF_WIDTH), h = static_cast<float>(HALF_HEIGHT);
    for (float fan : {0.0f, 45.0f, 90.0f, -45.0f, -90.0f}) {
        const Matrix m = multiply(eye, orientation(s, fan));
        const Attributes look = {1, 1, s.quaternion_mode ? 0.0 : 1.0, fan == 0 ? 2.0 : 1.0, GL_QUADS, GL_LINE};
        for (const Point& corner : {Point{w, h, -1}, Point{-w, h, -1}, Point{-w, -h, -1}, Point{w, -h, -1}})
            out.push_back({transformed(m, corner), look, RECT_TOLERANCE});
    }
    return out;
}

// Colour, width, primitive and polygon mode, comparable and printable at once.
auto as_tuple(const Attributes& a)
{
    return std::make_tuple(a.red, a.green, a.blue, a.line_width, a.primitive, a.polygon_mode);
}

// Every vertex where the maths puts it, with its attributes. Cleared first;
// every push matched by a pop, the stack never below where it began; each
// primitive flushed as it ends; one swap, last.
TEST(Frame, EveryVertexPlacedAndDrawnAsItShouldBeInOneBalancedFrame)
{
    for (const ViewSetting& s : SETTINGS) {
        SCOPED_TRACE(std::string(s.quaternion_mode ? "quaternions" : "chain") + " z " + std::to_string(s.angle_z));
        apply(s);
        recorder_reset();
        draw_frame();
        const std::vector<Drawn> want = expected_frame(s);
        const std::vector<Point>& at = recorded().vertices;
        ASSERT_EQ(at.size(), want.size());
        for (size_t v = 0; v < want.size(); ++v) {
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(at[v][i], want[v].at[i], want[v].tolerance) << "vertex " << v << " coordinate " << i;
            EXPECT_EQ(as_tuple(recorded().attributes[v]), as_tuple(want[v].attributes)) << "vertex " << v;
        }

        const std::vector<GlCall>& calls = recorded().calls;
        EXPECT_EQ(calls.front().name, "glClear");
        EXPECT_EQ(calls.front().args, std::vector<double>{GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT});
        int depth = 0, ends = 0, swaps = 0;
        for (size_t i = 0; i < calls.size(); ++i) {
            depth += (calls[i].name == "glPushMatrix") - (calls[i].name == "glPopMatrix");
            ASSERT_GE(depth, 0) << "call " << i;
            swaps += calls[i].name == "SDL_GL_SwapBuffers";
            if (calls[i].name == "glEnd") {
                ++ends;
                EXPECT_TRUE(i + 1 < calls.size() && calls[i + 1].name == "glFlush") << "call " << i;
            }
        }
        EXPECT_EQ(std::tie(depth, ends, swaps), std::make_tuple(0, 6, 1)) << "push - pop, glEnd, swaps";
        EXPECT_EQ(calls.back().name, "SDL_GL_SwapBuffers");
    }
}

// The model above, seen as geometry: one rectangle drawn in the identity frame.
// The fan turns towards +x; alone, angle_y turns the unspread rectangle towards
// +x, angle_x lifts it towards +y and angle_z turns it clockwise as seen from the
// origin, alike in both modes; the chain spreads the fan after the x and z turns,
// the quaternions before them.
TEST(Frame, AnglesTurnTheRectangleAsPictured)
{
    const double C = std::sqrt(3.0) / 2, H = std::sqrt(0.5), W = HALF_WIDTH, T = HALF_HEIGHT;
    enum Modes { CHAIN, QUATERNIONS, BOTH };
    const struct {
        Modes modes;
        float angle_z, angle_x, angle_y, extra_y;
        bool corner; // the first corner (W, T, -1) before the turns, else the centre
        Point at;
    } rows[] = {
        {BOTH, 0, 0, 0, 90, false, {1, 0, 0}},
        {BOTH, 0, 0, 0, -90, false, {-1, 0, 0}},
        {BOTH, 0, 0, 0, 45, false, {H, 0, -H}},
        {CHAIN, 0, 30, 0, 90, false, {C, 0.5, 0}},
        {QUATERNIONS, 0, 30, 0, 90, false, {1, 0, 0}},
        {CHAIN, 30, 0, 0, 90, false, {1, 0, 0}},
        {QUATERNIONS, 30, 0, 0, 90, false, {C, -0.5, 0}},
        {BOTH, 0, 0, 30, 0, false, {0.5, 0, -C}},
        {BOTH, 0, 30, 0, 0, false, {0, 0.5, -C}},
        {BOTH, 30, 0, 0, 0, true, {W * C + T * 0.5, -W * 0.5 + T * C, -1}},
    };
    for (bool quaternion_mode : {false, true})
        for (const auto& r : rows) {
            if (r.modes != BOTH && (r.modes == QUATERNIONS) != quaternion_mode)
                continue;
            SCOPED_TRACE(testing::Message() << (quaternion_mode ? "quaternions" : "chain") << " z " << r.angle_z
                                            << " x " << r.angle_x << " y " << r.angle_y << " fan " << r.extra_y);
            apply({quaternion_mode, r.angle_z, r.angle_x, r.angle_y, 0, 0, 0, {1, 0, 0}, 0});
            recorder_reset();
            draw_oriented_rect(0.0f, 0.0f, r.extra_y);
            const std::vector<Point>& v = recorded().vertices;
            ASSERT_EQ(v.size(), 4u);
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(r.corner ? v[0][i] : (v[0][i] + v[1][i] + v[2][i] + v[3][i]) / 4, r.at[i], 1e-5) << i;
        }
}

// The renderer calls nothing of OpenGL or SDL that the recording layer does not
// see: a call that slipped past it would go unchecked.
TEST(Frame, EveryGlAndSdlCallIsRecorded)
{
    const ExitResult nm = Process({"nm", "-u", "--format=just-symbols", RENDER_LIBRARY}).wait();
    ASSERT_EQ(nm.status, 0) << nm.err;
    std::istringstream lines(nm.out);
    std::vector<std::string> used;
    for (std::string name; std::getline(lines, name);)
        if (name.rfind("gl", 0) == 0 || name.rfind("SDL_", 0) == 0)
            used.push_back(name);
    ASSERT_FALSE(used.empty());
    EXPECT_THAT(used, testing::Each(testing::AnyOfArray(RECORDED_FUNCTIONS))) << "called but not recorded";
}

// Between two probes an odd count of compositions keeps the answer, an even one
// flips it: a chain frame composes nothing, a quaternion frame 25 times, one
// rectangle 5 times.
TEST(Frame, QuaternionFramesAdvanceTheSharedRenormalisation)
{
    for (bool quaternion_mode : {false, true}) {
        apply({quaternion_mode, 5.0f, 6.0f, 7.0f, 0, 0, 0, {0, 0, 1}, 0});
        recorder_reset();
        const bool phase = compose_normalises();
        draw_frame();
        EXPECT_EQ(compose_normalises() == phase, quaternion_mode) << quaternion_mode;
    }
    const bool phase = compose_normalises();
    draw_oriented_rect(0.0f, 0.0f, 45.0f);
    EXPECT_EQ(compose_normalises(), phase);
}

} // namespace
