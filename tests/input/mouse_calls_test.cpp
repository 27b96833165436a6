// What a rotating drag hands to the mathematics. This binary links its own
// trackball_rotation and quat_compose, which record their arguments.
#include <gtest/gtest.h>

#include <vector>

#include "input_events.h"
#include "math/quat.h"
#include "math/trackball.h"

namespace {

struct Call {
    char what; // 't' trackball_rotation, 'c' quat_compose
    const float* first;
    const float* second;
    const float* out;
    float p[4];
};

std::vector<Call> calls;

void begin()
{
    reset_view();
    calls.clear();
}

// The one trackball call expected since begin(), with its four coordinates.
void expect_trackball(float p1x, float p1y, float p2x, float p2y)
{
    ASSERT_EQ(calls.size(), 2u);
    ASSERT_EQ(calls[0].what, 't');
    EXPECT_EQ(calls[0].p[0], p1x);
    EXPECT_EQ(calls[0].p[1], p1y);
    EXPECT_EQ(calls[0].p[2], p2x);
    EXPECT_EQ(calls[0].p[3], p2y);
}

} // namespace

void trackball_rotation(float* q, float p1x, float p1y, float p2x, float p2y)
{
    calls.push_back({'t', nullptr, nullptr, q, {p1x, p1y, p2x, p2y}});
    set_quat(q, 0.0f, 0.0f, 0.0f, 1.0f);
}

void quat_compose(const float* q1, const float* q2, float* dest)
{
    calls.push_back({'c', q1, q2, dest, {0.0f, 0.0f, 0.0f, 0.0f}});
}

TEST(MouseTrackballCalls, CornersAndCentreMapOntoTheUnitSquare)
{
    const struct {
        int from_x, from_y, to_x, to_y;
        float p1x, p1y, p2x, p2y;
    } cases[] = {
        {0, 0, 320, 240, -1.0f, 1.0f, 0.0f, 0.0f},
        {320, 240, 639, 479, 0.0f, 0.0f, 0.996875f, -0.9958334f},
        {320, 240, 420, 240, 0.0f, 0.0f, 0.3125f, 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "to " << c.to_x << ", " << c.to_y);
        begin();
        start_drag(c.from_x, c.from_y);
        move_to(c.to_x, c.to_y);
        expect_trackball(c.p1x, c.p1y, c.p2x, c.p2y);
    }
}

TEST(MouseTrackballCalls, CoordinatesUseTheStoredFloatFactors)
{
    // (2x - W) and (H - 2y) times the float of 1/W or 1/H: near the edges this
    // differs in the last bit from dividing by the window size.
    const double one_over_width = static_cast<double>(static_cast<float>(1.0 / 640.0));
    const double one_over_height = static_cast<double>(static_cast<float>(1.0 / 480.0));
    begin();
    start_drag(320, 240);
    move_to(2, 1);
    expect_trackball(
        0.0f, 0.0f, static_cast<float>(-636.0 * one_over_width), static_cast<float>(478.0 * one_over_height));
    EXPECT_NE(calls[0].p[2], static_cast<float>(-636.0 / 640.0));
    EXPECT_NE(calls[0].p[3], static_cast<float>(478.0 / 480.0));
}

TEST(MouseTrackballCalls, DragRotationIsComposedOntoTheSceneRotation)
{
    begin();
    start_drag(100, 100);
    move_to(140, 90);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].what, 't');
    EXPECT_EQ(calls[0].out, view.drag_rotation);
    EXPECT_EQ(calls[1].what, 'c');
    EXPECT_EQ(calls[1].first, view.drag_rotation);
    EXPECT_EQ(calls[1].second, view.scene_rotation);
    EXPECT_EQ(calls[1].out, view.scene_rotation);
}

TEST(MouseTrackballCalls, ZeroMovePassesEqualPoints)
{
    begin();
    start_drag(77, 400);
    move_to(77, 400);
    const float x = static_cast<float>(-486.0 * static_cast<double>(static_cast<float>(1.0 / 640.0)));
    const float y = static_cast<float>(-320.0 * static_cast<double>(static_cast<float>(1.0 / 480.0)));
    expect_trackball(x, y, x, y);
}

TEST(MouseTrackballCalls, OnlyAPlainDragReachesTheMathematics)
{
    const bool flags[][2] = {{true, false}, {false, true}, {true, true}};
    for (const auto& f : flags) {
        begin();
        view.shift_held = f[0];
        view.ctrl_held = f[1];
        start_drag(320, 240);
        move_to(400, 300);
        EXPECT_TRUE(calls.empty()) << "shift " << f[0] << " ctrl " << f[1];
        EXPECT_EQ(view.last_mouse_x, 400);
        EXPECT_EQ(view.last_mouse_y, 300);
    }
}

TEST(MouseTrackballCalls, EachStepMeasuresFromThePreviousEvent)
{
    begin();
    start_drag(320, 240);
    move_to(420, 240);
    calls.clear();
    move_to(420, 360);
    expect_trackball(0.3125f, 0.0f, 0.3125f, -0.5f);
}
