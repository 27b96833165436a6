// Where the rectangles and axes land, from the vertices the recording layer
// carried through the modelview matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "app/view_state.h"
#include "gl_recorder.h"
#include "promises.h"
#include "render/frame.h"
#include "render/rect.h"

namespace {

// Float matrices and the program's slightly short degree: far below this.
constexpr double POSITION_TOLERANCE = 1e-5;
const double COS30 = std::sqrt(3.0) / 2;
const double HALF_SQRT2 = std::sqrt(0.5);

void set_angles(bool quaternion_mode, float angle_z, float angle_x, float angle_y)
{
    view.quaternion_mode = quaternion_mode;
    view.angle_z = angle_z;
    view.angle_x = angle_x;
    view.angle_y = angle_y;
}

// The four corners of one rectangle in the frame its caller set up (the identity).
std::vector<Point> rect_corners(float extra_y)
{
    recorder_reset();
    draw_oriented_rect(0.0f, 0.0f, extra_y);
    return recorded_vertices();
}

Point centre(const std::vector<Point>& corners)
{
    Point c = {0, 0, 0};
    for (const Point& p : corners)
        for (int i = 0; i < 3; ++i)
            c[i] += p[i] / static_cast<double>(corners.size());
    return c;
}

void expect_point(const Point& actual, const Point& expected, const std::string& what)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], POSITION_TOLERANCE) << what << ", coordinate " << i;
}

void expect_same_points(const std::vector<Point>& a, const std::vector<Point>& b, const std::string& what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i)
        expect_point(a[i], b[i], what + ", vertex " + std::to_string(i));
}

TEST(RectGeometry, UnturnedCornersRunCounterClockwise)
{
    const double w = HALF_WIDTH, h = HALF_HEIGHT;
    for (bool quaternion_mode : {false, true}) {
        set_angles(quaternion_mode, 0, 0, 0);
        expect_same_points(rect_corners(0), {{w, h, -1}, {-w, h, -1}, {-w, -h, -1}, {w, -h, -1}},
            quaternion_mode ? "quaternions" : "chain");
    }
}

// The fan turns towards +x; the chain spreads it after the x and z turns, the
// quaternions before them. Alone, angle_y turns the unspread rectangle towards
// +x and angle_x lifts it towards +y, alike in both modes.
TEST(RectGeometry, FanAndSingleAnglesTurnTheCentre)
{
    enum Modes { CHAIN, QUATERNIONS, BOTH };
    const struct {
        Modes modes;
        float angle_z, angle_x, angle_y, extra_y;
        Point centre;
    } cases[] = {{BOTH, 0, 0, 0, 90, {1, 0, 0}}, {BOTH, 0, 0, 0, -90, {-1, 0, 0}},
        {BOTH, 0, 0, 0, 45, {HALF_SQRT2, 0, -HALF_SQRT2}}, {CHAIN, 0, 30, 0, 90, {COS30, 0.5, 0}},
        {QUATERNIONS, 0, 30, 0, 90, {1, 0, 0}}, {CHAIN, 30, 0, 0, 90, {1, 0, 0}},
        {QUATERNIONS, 30, 0, 0, 90, {COS30, -0.5, 0}}, {BOTH, 0, 0, 30, 0, {0.5, 0, -COS30}},
        {BOTH, 0, 30, 0, 0, {0, 0.5, -COS30}}};
    for (bool quaternion_mode : {false, true})
        for (const auto& c : cases)
            if (c.modes == BOTH || (c.modes == QUATERNIONS) == quaternion_mode) {
                set_angles(quaternion_mode, c.angle_z, c.angle_x, c.angle_y);
                expect_point(centre(rect_corners(c.extra_y)), c.centre,
                    std::string(quaternion_mode ? "quaternions" : "chain") + " z " + std::to_string(c.angle_z) + " x " +
                        std::to_string(c.angle_x) + " y " + std::to_string(c.angle_y) + " extra_y " +
                        std::to_string(c.extra_y));
            }
}

// Alone, angle_z turns the rectangle clockwise as seen from the origin, alike in both modes.
TEST(RectGeometry, AngleZTurnsClockwiseInBothModes)
{
    const double s = 0.5, c = COS30, w = HALF_WIDTH, h = HALF_HEIGHT;
    for (bool quaternion_mode : {false, true}) {
        set_angles(quaternion_mode, 30, 0, 0);
        std::vector<Point> clockwise;
        for (Point p : std::vector<Point>{{w, h, -1}, {-w, h, -1}, {-w, -h, -1}, {w, -h, -1}})
            clockwise.push_back({p[0] * c + p[1] * s, -p[0] * s + p[1] * c, -1});
        expect_same_points(rect_corners(0), clockwise, "angle_z");
    }
}

TEST(RectGeometry, UnspreadRectangleAgreesAcrossModes)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> angle(-720.0f, 720.0f);
    for (int trial = 0; trial < 50; ++trial) {
        const float z = angle(random), x = angle(random), y = angle(random);
        set_angles(false, z, x, y);
        const std::vector<Point> chain = rect_corners(0);
        set_angles(true, z, x, y);
        expect_same_points(rect_corners(0), chain, "trial " + std::to_string(trial));
    }
}

// With no x or z turn the two modes draw the same five rectangles; only the colour differs.
TEST(RectGeometry, WithoutXAndZOnlyTheColourDiffers)
{
    for (float angle_y : {0.0f, 37.0f, -123.0f}) {
        std::vector<Point> vertices[2];
        std::vector<double> colours[2];
        for (int mode = 0; mode < 2; ++mode) {
            set_angles(mode == 1, 0, 0, angle_y);
            recorder_reset();
            draw_frame();
            vertices[mode] = recorded_vertices();
            for (const GlCall& c : recorded_calls())
                if (c.name == "glColor3f" && c.args[0] == 1 && c.args[1] == 1)
                    colours[mode].push_back(c.args[2]);
        }
        expect_same_points(vertices[1], vertices[0], "angle_y " + std::to_string(angle_y));
        EXPECT_EQ(colours[0], std::vector<double>(5, 1.0)); // white
        EXPECT_EQ(colours[1], std::vector<double>(5, 0.0)); // yellow
    }
}

TEST(RectGeometry, FullTurnDrawsTheSameRectangle)
{
    for (bool quaternion_mode : {false, true})
        for (float extra_y : {0.0f, 45.0f}) {
            set_angles(quaternion_mode, 0, 0, 0);
            const std::vector<Point> unturned = rect_corners(extra_y);
            set_angles(quaternion_mode, 360, 360, 360);
            expect_same_points(rect_corners(extra_y), unturned, quaternion_mode ? "quaternions" : "chain");
        }
}

// From the eye, at the start: origin 5 ahead, x right, y up, z straight at the eye.
TEST(FrameGeometry, StartStateLooksDownTheZAxis)
{
    set_angles(false, 0, 0, 0);
    view.offset_x = view.offset_y = view.offset_z = 0;
    const Quat identity = {0, 0, 0, 1};
    std::copy(identity, identity + 4, view.scene_rotation);
    recorder_reset();
    draw_frame();
    const std::vector<Point>& v = recorded_vertices();
    ASSERT_GE(v.size(), 6u);
    expect_point(v[0], {0, 0, -5}, "origin");
    expect_point(v[1], {50, 0, -5}, "x axis end");
    expect_point(v[3], {0, 50, -5}, "y axis end");
    expect_point(v[5], {0, 0, 45}, "z axis end");
    expect_point(v[6], {HALF_WIDTH, HALF_HEIGHT, -6}, "first corner");

    view.offset_z = 5;
    recorder_reset();
    draw_frame();
    expect_point(recorded_vertices()[0], {0, 0, 0}, "origin at offset_z 5");
}

} // namespace
