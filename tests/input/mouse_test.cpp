// Mouse drag gestures with the real trackball and composition behind them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>

#include "input_events.h"
#include "math/trackball.h"
#include "promises.h"
#include "rotation.h"

namespace {

// The per-pixel factors the program promises for its window, as floats.
const float TWO_OVER_WIDTH = static_cast<float>(2.0 / WINDOW_WIDTH);
const float TWO_OVER_HEIGHT = static_cast<float>(2.0 / WINDOW_HEIGHT);
const float ONE_OVER_WIDTH = static_cast<float>(1.0 / WINDOW_WIDTH);
const float ONE_OVER_HEIGHT = static_cast<float>(1.0 / WINDOW_HEIGHT);
constexpr double GAIN = 3.0;

// Room for the renormalisation that quat_compose applies every second call.
constexpr float QUAT_TOLERANCE = 1e-6f;

// Offset change for a drag of `pixels` with a stored float factor.
float offset_step(int pixels, float factor)
{
    return static_cast<float>(static_cast<double>(pixels) * static_cast<double>(factor) * GAIN);
}

} // namespace

// Shift drags move along z and Ctrl drags pan, by the stored float factors
// times 3: 48 pixels up or down, or 64 across, are 0.6. Nothing else changes
// but the stored position.
TEST(MouseOffsets, ShiftMovesAlongZAndCtrlPans)
{
    const struct {
        const char* what;
        bool shift, ctrl;
        int from_x, from_y, to_x, to_y;
        float offset_x, offset_y, offset_z;
    } cases[] = {
        {"shift, down", true, false, 200, 100, 200, 148, 0.0f, 0.0f, 0.6f},
        {"shift, up", true, false, 200, 148, 200, 100, 0.0f, 0.0f, -0.6f},
        // Never both true through the keys, but if so the step moves along z.
        {"shift and ctrl", true, true, 300, 100, 364, 148, 0.0f, 0.0f, 0.6f},
        {"ctrl, right", false, true, 100, 300, 164, 300, 0.6f, 0.0f, 0.0f},
        {"ctrl, up", false, true, 100, 300, 100, 252, 0.0f, 0.6f, 0.0f},
        {"ctrl, down", false, true, 100, 300, 100, 348, 0.0f, -0.6f, 0.0f},
        // Multiplying by the float factor differs in the last bits from dividing
        // by the window size: one pixel along z gives 0.012500001, not 0.0125f.
        {"shift, one pixel", true, false, 50, 50, 50, 51, 0.0f, 0.0f, offset_step(1, TWO_OVER_HEIGHT)},
        {"ctrl, three and one pixels", false, true, 50, 50, 53, 49, offset_step(3, TWO_OVER_WIDTH),
            offset_step(1, TWO_OVER_HEIGHT), 0.0f},
        // Only the stored position moves.
        {"shift, across", true, false, 10, 100, 630, 100, 0.0f, 0.0f, 0.0f},
        // Past the eye distance of 5, never clamped: the scene goes behind the eye.
        {"shift, the whole height", true, false, 0, 0, 0, 479, 0.0f, 0.0f, offset_step(479, TWO_OVER_HEIGHT)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reset_view();
        std::tie(view.shift_held, view.ctrl_held) = std::tie(c.shift, c.ctrl);
        start_drag(c.from_x, c.from_y);
        ViewState expected = view;
        move_to(c.to_x, c.to_y);
        std::tie(expected.offset_x, expected.offset_y, expected.offset_z, expected.last_mouse_x,
            expected.last_mouse_y) = std::tie(c.offset_x, c.offset_y, c.offset_z, c.to_x, c.to_y);
        EXPECT_TRUE(same_view(view, expected));
    }
}

// The factors come from the window size at the first event (a fresh process
// here), and stay: the window never changes size, and were the record to say
// otherwise, later steps would still use them. The steps add up.
TEST(MouseFactorsDeathTest, TakenAtTheFirstEventAndKept)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            reset_view();
            view.window_height = 240;
            view.shift_held = true;
            start_drag(0, 0);
            move_to(0, 1);
            const bool first = view.offset_z == offset_step(1, static_cast<float>(2.0 / 240.0));
            view.window_height = WINDOW_HEIGHT;
            move_to(0, 3);
            std::exit(first && std::fabs(view.offset_z - 3 * GAIN * 2.0 / 240.0) < 1e-6 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

// A plain drag hands its step to the trackball in unit coordinates (times the
// float of 1/width or 1/height, which near the edges differs in the last bit from
// dividing), stores the result and composes it on the right of the scene rotation.
// A zero move, twice so that one composition renormalises, passes equal points and leaves the scene.
TEST(MouseRotate, StepReachesTheTrackballAndIsComposedOnTheRight)
{
    const auto across = [](int pixels) { return static_cast<float>(pixels * static_cast<double>(ONE_OVER_WIDTH)); };
    const auto up = [](int pixels) { return static_cast<float>(pixels * static_cast<double>(ONE_OVER_HEIGHT)); };
    const struct {
        const char* what;
        Quaternion scene; // the scene rotation before, normalised here
        int from_x, from_y, to_x, to_y, steps;
        float p1x, p1y, p2x, p2y; // or all 0 for a zero move
        bool orders_differ;
    } rows[] = {
        {"rightwards", {0, 0, 0, 1}, 320, 240, 420, 240, 1, 0, 0, 0.3125f, 0.0f, false},
        {"down and right", {0.3, -0.5, 0.2, 0.78}, 320, 240, 420, 300, 1, 0, 0, 0.3125f, up(-120), true},
        {"zero move", {0.1, 0.2, 0.3, 0.9}, 123, 456, 123, 456, 2, 0, 0, 0, 0, false},
        {"corner to centre", {0, 0, 0, 1}, 0, 0, 320, 240, 1, -1.0f, 1.0f, 0, 0, false},
        {"centre to corner", {0, 0, 0, 1}, 320, 240, 639, 479, 1, 0, 0, 0.996875f, -0.9958334f, false},
        {"near the edge", {0, 0, 0, 1}, 320, 240, 2, 1, 1, 0, 0, across(-636), up(478), false},
    };
    EXPECT_NE(across(-636), static_cast<float>(-636.0 / 640.0));
    EXPECT_NE(up(478), static_cast<float>(478.0 / 480.0));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        reset_view();
        for (int i = 0; i < 4; ++i)
            view.scene_rotation[i] = static_cast<float>(row.scene[i] / quaternion_length(row.scene));
        start_drag(row.from_x, row.from_y);
        for (int step = 0; step < row.steps; ++step) {
            const Quaternion before = quaternion_of(view.scene_rotation);
            move_to(row.to_x, row.to_y);
            Quat expected;
            trackball_rotation(expected, row.p1x, row.p1y, row.p2x, row.p2y);
            EXPECT_EQ(quaternion_of(view.drag_rotation), quaternion_of(expected));
            const Quaternion scene_then_drag = hamilton(before, quaternion_of(view.drag_rotation));
            const Quaternion drag_then_scene = hamilton(quaternion_of(view.drag_rotation), before);
            double apart = 0.0;
            for (int i = 0; i < 4; ++i) {
                apart += std::fabs(scene_then_drag[i] - drag_then_scene[i]);
                EXPECT_NEAR(view.scene_rotation[i], scene_then_drag[i], QUAT_TOLERANCE) << "component " << i;
            }
            EXPECT_EQ(apart > 1e-2, row.orders_differ) << "the two orders must be told apart";
        }
        EXPECT_EQ(std::tie(view.last_mouse_x, view.last_mouse_y, view.offset_x, view.offset_y, view.offset_z),
            std::make_tuple(row.to_x, row.to_y, 0.0f, 0.0f, 0.0f));
    }
}

TEST(MouseGestureSwitch, CtrlMidDragPansFromTheLastRotatingPosition)
{
    reset_view();
    start_drag(320, 240);
    move_to(330, 250);
    const Quaternion turned = quaternion_of(view.scene_rotation);
    ASSERT_NE(turned[3], 1.0);

    hand_key(SDL_KEYDOWN, SDLK_LCTRL);
    move_to(394, 202);
    EXPECT_EQ(std::tie(view.offset_x, view.offset_y), std::make_tuple(0.6f, 0.6f));
    EXPECT_EQ(quaternion_of(view.scene_rotation), turned);

    // And back to turning, from where the pan left off.
    hand_key(SDL_KEYUP, SDLK_LCTRL);
    move_to(420, 240);
    Quat expected;
    trackball_rotation(expected, static_cast<float>(148.0 * static_cast<double>(ONE_OVER_WIDTH)),
        static_cast<float>(76.0 * static_cast<double>(ONE_OVER_HEIGHT)), 0.3125f, 0.0f);
    EXPECT_EQ(quaternion_of(view.drag_rotation), quaternion_of(expected));
    EXPECT_EQ(std::tie(view.offset_x, view.offset_y), std::make_tuple(0.6f, 0.6f));
}
