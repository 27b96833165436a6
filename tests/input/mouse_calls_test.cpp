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

namespace {

// (2x - W) and (H - 2y) times the float of 1/W or 1/H: near the edges this differs
// in the last bit from dividing by the window size.
float across(int twice_x_less_w)
{
    return static_cast<float>(twice_x_less_w * static_cast<double>(static_cast<float>(1.0 / 640.0)));
}
float up(int h_less_twice_y)
{
    return static_cast<float>(h_less_twice_y * static_cast<double>(static_cast<float>(1.0 / 480.0)));
}

} // namespace

// Each step measures from the previous event: the second move starts where the first ended.
TEST(MouseTrackballCalls, PositionsMapOntoTheUnitSquare)
{
    const struct {
        const char* what;
        int from_x, from_y, via_x, via_y, to_x, to_y;
        float p1x, p1y, p2x, p2y;
    } rows[] = {
        {"corner to centre", 0, 0, 0, 0, 320, 240, -1.0f, 1.0f, 0.0f, 0.0f},
        {"centre to corner", 320, 240, 320, 240, 639, 479, 0.0f, 0.0f, 0.996875f, -0.9958334f},
        {"centre rightwards", 320, 240, 320, 240, 420, 240, 0.0f, 0.0f, 0.3125f, 0.0f},
        {"near the edge", 320, 240, 320, 240, 2, 1, 0.0f, 0.0f, across(-636), up(478)},
        {"no move", 77, 400, 77, 400, 77, 400, across(-486), up(-320), across(-486), up(-320)},
        {"a second step", 320, 240, 420, 240, 420, 360, 0.3125f, 0.0f, 0.3125f, -0.5f},
    };
    EXPECT_NE(across(-636), static_cast<float>(-636.0 / 640.0));
    EXPECT_NE(up(478), static_cast<float>(478.0 / 480.0));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        reset_view();
        start_drag(row.from_x, row.from_y);
        if (row.via_x != row.from_x)
            move_to(row.via_x, row.via_y);
        calls.clear();
        move_to(row.to_x, row.to_y);
        ASSERT_EQ(calls.size(), 2u);
        ASSERT_EQ(calls[0].what, 't');
        EXPECT_EQ(calls[0].p[0], row.p1x);
        EXPECT_EQ(calls[0].p[1], row.p1y);
        EXPECT_EQ(calls[0].p[2], row.p2x);
        EXPECT_EQ(calls[0].p[3], row.p2y);
    }
}

TEST(MouseTrackballCalls, DragRotationIsComposedOntoTheSceneRotation)
{
    reset_view();
    calls.clear();
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

TEST(MouseTrackballCalls, OnlyAPlainDragReachesTheMathematics)
{
    const bool flags[][2] = {{true, false}, {false, true}, {true, true}};
    for (const auto& f : flags) {
        reset_view();
        calls.clear();
        view.shift_held = f[0];
        view.ctrl_held = f[1];
        start_drag(320, 240);
        move_to(400, 300);
        EXPECT_TRUE(calls.empty()) << "shift " << f[0] << " ctrl " << f[1];
        EXPECT_EQ(view.last_mouse_x, 400);
        EXPECT_EQ(view.last_mouse_y, 300);
    }
}
