// The exact OpenGL call stream of one frame, through the recording layer.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "app/view_state.h"
#include "compose_probe.h"
#include "gl_recorder.h"
#include "promises.h"
#include "render/frame.h"
#include "render/rect.h"

namespace {

// Matrices come from float quaternions: a few float roundings apart from the exact ones.
constexpr double MATRIX_TOLERANCE = 2e-6;
// Degrees to radians as the program converts them, from 3.141592.
constexpr double PROGRAM_DEG_TO_RAD = PROGRAM_PI / 180.0;

// Enumerant values as OpenGL defines them.
enum GlEnumerant : unsigned {
    COLOR_AND_DEPTH_BUFFER_BITS = 0x4100,
    MODELVIEW = 0x1700,
    LINES = 0x0001,
    QUADS = 0x0007,
    FRONT_AND_BACK = 0x0408,
    LINE = 0x1B01,
};

struct Expected {
    GlCall call;
    bool approximate = false; // the arguments are a matrix derived here in double
};

struct ViewSetting {
    bool quaternion_mode;
    float angle_z, angle_x, angle_y;
    float offset_x, offset_y, offset_z;
    Point axis; // unit axis and angle (radians) of scene_rotation
    double turn;
};

void apply(const ViewSetting& s)
{
    view.quaternion_mode = s.quaternion_mode;
    view.angle_z = s.angle_z;
    view.angle_x = s.angle_x;
    view.angle_y = s.angle_y;
    view.offset_x = s.offset_x;
    view.offset_y = s.offset_y;
    view.offset_z = s.offset_z;
    const Quaternion q = turn_quaternion(s.turn, s.axis);
    for (int i = 0; i < 4; ++i)
        view.scene_rotation[i] = static_cast<float>(q[i]);
}

std::vector<double> as_args(const Matrix& m)
{
    return std::vector<double>(m.begin(), m.end());
}

// Each angle reaches the quaternions in radians, rounded to float.
double radians(float degrees)
{
    return static_cast<float>(degrees * PROGRAM_DEG_TO_RAD);
}

// The turn the six quaternions stand for, built from plain rotation matrices:
// G(angle_y, -Y) G(angle_x, X) G(angle_z, -Z) G(extra_y, -Y).
Matrix quaternion_orientation(float extra_y)
{
    Matrix m = rotation_matrix(radians(view.angle_y), 0, -1, 0);
    m = multiply(m, rotation_matrix(radians(view.angle_x), 1, 0, 0));
    m = multiply(m, rotation_matrix(radians(view.angle_z), 0, 0, -1));
    return multiply(m, rotation_matrix(radians(extra_y), 0, -1, 0));
}

void add_rect(std::vector<Expected>* out, float extra_y)
{
    const double w = static_cast<float>(HALF_WIDTH), h = static_cast<float>(HALF_HEIGHT);
    out->push_back({{"glPushMatrix", {}}});
    double blue;
    if (view.quaternion_mode) {
        out->push_back({{"glMultMatrixf", as_args(quaternion_orientation(extra_y))}, true});
        blue = 0;
    } else {
        out->push_back({{"glRotatef", {view.angle_y + extra_y, 0, -1, 0}}});
        out->push_back({{"glRotatef", {view.angle_x, 1, 0, 0}}});
        out->push_back({{"glRotatef", {view.angle_z, 0, 0, -1}}});
        blue = 1;
    }
    out->push_back({{"glColor3f", {1, 1, blue}}});
    out->push_back({{"glPolygonMode", {FRONT_AND_BACK, LINE}}});
    out->push_back({{"glBegin", {QUADS}}});
    out->push_back({{"glVertex3f", {w, h, -1}}});
    out->push_back({{"glVertex3f", {-w, h, -1}}});
    out->push_back({{"glVertex3f", {-w, -h, -1}}});
    out->push_back({{"glVertex3f", {w, -h, -1}}});
    out->push_back({{"glEnd", {}}});
    out->push_back({{"glFlush", {}}});
    out->push_back({{"glPopMatrix", {}}});
}

std::vector<Expected> expected_frame(const ViewSetting& s)
{
    std::vector<Expected> out = {
        {{"glClear", {COLOR_AND_DEPTH_BUFFER_BITS}}},
        {{"glMatrixMode", {MODELVIEW}}},
        {{"glLoadIdentity", {}}},
        {{"glTranslatef", {s.offset_x, s.offset_y, static_cast<float>(s.offset_z - 5.0)}}},
        {{"glPushMatrix", {}}},
        // scene_rotation turns by its angle about the opposite of its axis, as glRotatef would.
        {{"glMultMatrixf", as_args(rotation_matrix(s.turn, -s.axis[0], -s.axis[1], -s.axis[2]))}, true},
        {{"glBegin", {LINES}}},
        {{"glColor3f", {1, 0, 0}}},
        {{"glVertex3f", {0, 0, 0}}},
        {{"glVertex3f", {50, 0, 0}}},
        {{"glColor3f", {0, 1, 0}}},
        {{"glVertex3f", {0, 0, 0}}},
        {{"glVertex3f", {0, 50, 0}}},
        {{"glColor3f", {0, 0, 1}}},
        {{"glVertex3f", {0, 0, 0}}},
        {{"glVertex3f", {0, 0, 50}}},
        {{"glEnd", {}}},
        {{"glFlush", {}}},
        {{"glLineWidth", {2}}},
    };
    add_rect(&out, 0);
    out.push_back({{"glLineWidth", {1}}});
    for (float fan : {45.0f, 90.0f, -45.0f, -90.0f})
        add_rect(&out, fan);
    out.push_back({{"glPopMatrix", {}}});
    out.push_back({{"SDL_GL_SwapBuffers", {}}});
    return out;
}

std::string names(const std::vector<GlCall>& calls)
{
    std::string s;
    for (const GlCall& c : calls)
        s += c.name + " ";
    return s;
}

void expect_stream(const std::vector<Expected>& expected)
{
    const std::vector<GlCall>& actual = recorded_calls();
    std::vector<GlCall> expected_calls;
    for (const Expected& e : expected)
        expected_calls.push_back(e.call);
    ASSERT_EQ(actual.size(), expected.size())
        << "actual:   " << names(actual) << "\nexpected: " << names(expected_calls);
    for (size_t i = 0; i < actual.size(); ++i) {
        const GlCall& want = expected[i].call;
        ASSERT_EQ(actual[i].name, want.name) << "call " << i;
        ASSERT_EQ(actual[i].args.size(), want.args.size()) << "call " << i << " " << want.name;
        for (size_t j = 0; j < want.args.size(); ++j) {
            if (expected[i].approximate)
                EXPECT_NEAR(actual[i].args[j], want.args[j], MATRIX_TOLERANCE)
                    << "call " << i << " " << want.name << " arg " << j;
            else
                EXPECT_EQ(actual[i].args[j], want.args[j]) << "call " << i << " " << want.name << " arg " << j;
        }
    }
}

// Six flushes, and every push matched by a pop with the stack never below where it began.
void expect_flushes_and_balance()
{
    int flushes = 0, depth = 0, deepest = 0;
    for (const GlCall& c : recorded_calls()) {
        flushes += c.name == "glFlush";
        depth += (c.name == "glPushMatrix") - (c.name == "glPopMatrix");
        ASSERT_GE(depth, 0);
        deepest = std::max(deepest, depth);
    }
    EXPECT_EQ(flushes, 6);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(deepest, 2);
}

TEST(FrameCalls, StreamIsExactInBothModes)
{
    const struct {
        const char* what;
        ViewSetting setting;
    } cases[] = {
        {"chain", {false, 20.0f, 30.0f, 10.25f, 0.5f, -0.25f, 1.5f, {1.0 / 3, 2.0 / 3, 2.0 / 3}, 0.7}},
        {"quaternions", {true, -12.5f, 33.0f, 71.0f, -1.25f, 0.75f, -3.0f, {0.0, 0.6, 0.8}, 2.0}},
        // Angles of twenty turns and more: there the program's degree, from 3.141592,
        // lies measurably short of pi / 180, and the matrices must follow it.
        {"quaternions at twenty turns", {true, -3612.5f, 7233.0f, 7271.0f, 0.0f, 0.0f, 0.0f, {1.0, 0.0, 0.0}, 0.0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        apply(c.setting);
        recorder_reset();
        draw_frame();
        expect_stream(expected_frame(c.setting));
        expect_flushes_and_balance();
    }
}

// The renderer calls nothing of OpenGL or SDL that the recording layer does not
// see: a call that slipped past it would go unchecked.
TEST(FrameCalls, EveryGlAndSdlCallIsRecorded)
{
    FILE* nm = popen("nm -u " RENDER_LIBRARY, "r");
    ASSERT_NE(nm, nullptr);
    const std::set<std::string> recorded(RECORDED_FUNCTIONS.begin(), RECORDED_FUNCTIONS.end());
    std::set<std::string> used;
    char kind[8], name[256];
    while (fscanf(nm, "%7s %255s", kind, name) == 2) {
        const std::string n = name;
        if (n.rfind("gl", 0) == 0 || n.rfind("SDL_", 0) == 0)
            used.insert(n);
    }
    ASSERT_EQ(pclose(nm), 0);
    ASSERT_FALSE(used.empty());
    for (const std::string& n : used)
        EXPECT_TRUE(recorded.count(n)) << n << " is called but not recorded";
}

// Between two probes an odd count of compositions keeps the answer, an even one flips it.
TEST(FrameCalls, QuaternionFramesAdvanceTheSharedRenormalisation)
{
    apply({false, 5.0f, 6.0f, 7.0f, 0, 0, 0, {0, 0, 1}, 0});
    recorder_reset();
    bool phase = compose_normalises();
    draw_frame(); // chain mode: no composition
    bool next = compose_normalises();
    EXPECT_NE(next, phase);

    view.quaternion_mode = true;
    for (int frames = 1; frames <= 4; ++frames) {
        phase = next;
        for (int i = 0; i < frames; ++i)
            draw_frame(); // 25 compositions each
        next = compose_normalises();
        EXPECT_EQ(next == phase, frames % 2 == 1) << frames << " frames";
    }

    phase = next;
    draw_oriented_rect(0.0f, 0.0f, 45.0f); // five compositions
    next = compose_normalises();
    EXPECT_EQ(next, phase);
}

} // namespace
