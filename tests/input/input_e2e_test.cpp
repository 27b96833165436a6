// Keys and drags sent to the real viewer through XTest on a private X server,
// judged from the pixels on the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "paths.h"
#include "projection.h"
#include "session.h"

namespace {

// How far, in pixels, the middle of a 2-pixel run may lie from the projected
// line: half a pixel from the raster, the rest for rounding.
constexpr double EDGE_TOLERANCE = 0.75;

// --- What the projection predicts ---------------------------------------------

// The scene state that the first rectangle's place depends on here.
struct Scene {
    double angle_x = 0.0; // degrees
    double offset_x = 0.0;
    double offset_y = 0.0;
    double offset_z = 0.0;
};

constexpr double PI = 3.14159265358979323846;
constexpr double EYE_DISTANCE = 5.0;
constexpr double HALF_WIDTH = 0.41;
constexpr double HALF_HEIGHT = 0.3075;

struct Pixel {
    double column; // pixel centres at whole numbers, from the left
    double row;    // from the top
};

// A point of the first rectangle's plane (z = -1 before its turn) on the screen:
// turned about +x by angle_x, moved by the offsets and the eye distance, then
// through the viewer's projection.
Pixel project(const Scene& s, double x, double y)
{
    const double a = s.angle_x * PI / 180.0;
    const double z = -1.0;
    const double ex = x + s.offset_x;
    const double ey = y * std::cos(a) - z * std::sin(a) + s.offset_y;
    const double ez = y * std::sin(a) + z * std::cos(a) + s.offset_z - EYE_DISTANCE;
    const WindowPoint p = project_to_window({ex, ey, ez});
    return {p.x - 0.5, p.y - 0.5}; // centres at whole numbers
}

// Rows where a column meets the first rectangle's top and bottom edges, and
// the two columns to look in: left of its centre, clear of the axes and of
// the neighbouring rectangle.
struct Outline {
    double top_row;
    double bottom_row;
    int columns[2];
};

Outline predict_outline(const Scene& s)
{
    const Pixel top = project(s, -HALF_WIDTH, HALF_HEIGHT);
    const Pixel bottom = project(s, -HALF_WIDTH, -HALF_HEIGHT);
    const Pixel centre = project(s, 0.0, 0.0);
    const int c = static_cast<int>(std::lround(centre.column));
    return {top.row, bottom.row, {c - 10, c - 18}};
}

// --- What the screen shows --------------------------------------------------

bool is(const Image& image, int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    const uint8_t* p = image.at(x, y);
    return p[0] == r && p[1] == g && p[2] == b;
}

struct Run {
    int first;
    int length;
    double centre() const { return first + (length - 1) / 2.0; }
};

// Runs of pixels of one colour down a column.
std::vector<Run> runs_in_column(const Image& image, int x, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<Run> runs;
    for (int y = 0; y < image.height; ++y) {
        if (!is(image, x, y, r, g, b))
            continue;
        if (!runs.empty() && runs.back().first + runs.back().length == y)
            ++runs.back().length;
        else
            runs.push_back({y, 1});
    }
    return runs;
}

// A 2-pixel line of the given colour crosses column x at `row`.
bool wide_line_at(const Image& image, int x, double row, uint8_t r, uint8_t g, uint8_t b)
{
    for (const Run& run : runs_in_column(image, x, r, g, b))
        if (run.length == 2 && std::fabs(run.centre() - row) <= EDGE_TOLERANCE)
            return true;
    return false;
}

// The first rectangle's top and bottom edges are where the projection puts them.
testing::AssertionResult outline_at(
    const Image& image, const Outline& o, uint8_t r = 255, uint8_t g = 255, uint8_t b = 255)
{
    for (int x : o.columns) {
        if (!wide_line_at(image, x, o.top_row, r, g, b))
            return testing::AssertionFailure() << "no 2-pixel top edge near row " << o.top_row << " in column " << x;
        if (!wide_line_at(image, x, o.bottom_row, r, g, b))
            return testing::AssertionFailure()
                << "no 2-pixel bottom edge near row " << o.bottom_row << " in column " << x;
    }
    return testing::AssertionSuccess();
}

// --- Driving the viewer -------------------------------------------------------

class InputE2E : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(shows_first_frame(session));
        viewer = session.viewer.get();
        // No window manager: the keyboard follows the pointer.
        viewer->move_pointer(600, 40);
        start = viewer->grab_settled();
        ASSERT_TRUE(outline_at(start, predict_outline(Scene{})));
    }

    void TearDown() override
    {
        if (HasFailure() && viewer && viewer->window() != 0)
            viewer->grab().save_png(
                build_dir() + "/" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".png");
    }

    Image wait_for_outline(const Outline& o)
    {
        return grab_until(*viewer, [&](const Image& i) { return bool(outline_at(i, o)); });
    }

    Image wait_for_start_picture()
    {
        return grab_until(*viewer, [&](const Image& i) { return i.rgb == start.rgb; });
    }

    Session session;
    Viewer* viewer = nullptr; // the session's, once it has shown its first frame
    Image start;
};

TEST_F(InputE2E, ThirtyPressesOfWLiftTheFirstRectangleAsProjected)
{
    viewer->tap("w", 30);
    Scene turned;
    turned.angle_x = 30.0;
    const Outline expected = predict_outline(turned);
    // About 35 pixels higher than at the start.
    ASSERT_LT(expected.top_row, predict_outline(Scene{}).top_row - 30.0);
    const Image image = wait_for_outline(expected);
    EXPECT_TRUE(outline_at(image, expected));

    // Exactly thirty steps were taken: thirty back give the start picture.
    viewer->tap("s", 30);
    const Image back = wait_for_start_picture();
    EXPECT_EQ(back.rgb, start.rgb);
}

TEST_F(InputE2E, MTurnsTheFanYellowAndBack)
{
    EXPECT_EQ(count(start, 255, 255, 0), 0);
    viewer->tap("m");
    const Image yellow = grab_until(*viewer, [](const Image& i) { return count(i, 255, 255, 0) > 100; });
    EXPECT_GT(count(yellow, 255, 255, 0), 100);
    EXPECT_EQ(count(yellow, 255, 255, 255), 0);
    // With all angles 0 the quaternions put the first rectangle where the chain does.
    EXPECT_TRUE(outline_at(yellow, predict_outline(Scene{}), 255, 255, 0));

    viewer->tap("m");
    const Image white = wait_for_start_picture();
    EXPECT_EQ(white.rgb, start.rgb);
}

TEST_F(InputE2E, RReturnsTheRectanglesAfterEveryAngleKey)
{
    viewer->tap("w", 5);
    viewer->tap("a", 7);
    viewer->tap("e", 9);
    viewer->tap("s", 2);
    // Wait for the last keys to be seen: the first rectangle has left its place.
    const Image turned = grab_until(*viewer, [&](const Image& i) { return !outline_at(i, predict_outline(Scene{})); });
    ASSERT_FALSE(outline_at(turned, predict_outline(Scene{})));
    viewer->tap("r");
    const Image back = wait_for_start_picture();
    EXPECT_EQ(back.rgb, start.rgb);
}

TEST_F(InputE2E, PlainDragTurnsTheBlueAxisOutOfEndOnView)
{
    // End-on, the blue axis covers at most the pixel at the centre.
    ASSERT_LE(count(start, 0, 0, 255), 1);
    viewer->drag(320, 240, 420, 240);
    const Image turned = grab_until(*viewer, [](const Image& i) { return count(i, 0, 0, 255) > 30; });
    EXPECT_GT(count(turned, 0, 0, 255), 30);
    // The scene's front followed the pointer to the right.
    int right = 0, left = 0;
    for (int y = 0; y < WINDOW_HEIGHT; ++y)
        for (int x = 0; x < WINDOW_WIDTH; ++x)
            if (is(turned, x, y, 0, 0, 255))
                (x > 320 ? right : left) += 1;
    EXPECT_GT(right, left);
}

TEST_F(InputE2E, ShiftDragDownBringsTheSceneNearer)
{
    viewer->key("Shift_L", true);
    viewer->drag(320, 100, 320, 292, 12);
    viewer->key("Shift_L", false);
    // 192 pixels down: offset_z rises by 192 * 0.0125 = 2.4.
    Scene nearer;
    nearer.offset_z = 2.4;
    const Outline expected = predict_outline(nearer);
    const Outline before = predict_outline(Scene{});
    ASSERT_GT(expected.bottom_row - expected.top_row, before.bottom_row - before.top_row + 8.0);
    const Image image = wait_for_outline(expected);
    EXPECT_TRUE(outline_at(image, expected));
}

TEST_F(InputE2E, CtrlDragMovesTheSceneWithThePointer)
{
    viewer->key("Control_L", true);
    viewer->drag(320, 240, 384, 192);
    viewer->key("Control_L", false);
    // 64 right and 48 up: both offsets rise by 0.6.
    Scene moved;
    moved.offset_x = 0.6;
    moved.offset_y = 0.6;
    const Outline expected = predict_outline(moved);
    ASSERT_GT(expected.columns[0], predict_outline(Scene{}).columns[0] + 30);
    ASSERT_LT(expected.top_row, predict_outline(Scene{}).top_row - 30.0);
    const Image image = wait_for_outline(expected);
    EXPECT_TRUE(outline_at(image, expected));
}

TEST_F(InputE2E, KeyHeldForASecondStepsOnceUnderLoad)
{
    // The server repeats the held key while three other viewers keep the machine
    // busy: neither its repeats nor SDL's own may add a step. A repeat every
    // millisecond, far above a desktop's rate, gives a race hundreds of chances.
    viewer->set_server_key_repeat(250, 1000);
    XvfbServer elsewhere;
    ASSERT_TRUE(elsewhere.ok());
    std::vector<std::unique_ptr<Viewer>> load;
    for (int i = 0; i < 3; ++i)
        load.push_back(std::make_unique<Viewer>(elsewhere.display(), viewer_binary()));
    for (int hold = 0; hold < 6; ++hold) {
        viewer->key("w", true);
        const Image moved = grab_until(*viewer, [&](const Image& i) { return i.rgb != start.rgb; });
        ASSERT_NE(moved.rgb, start.rgb);
        // Held on purpose: the length of the hold is what is tested.
        pause_seconds(1.0);
        viewer->key("w", false);
        // One step back: only a single step forward brings the start picture back.
        viewer->tap("s");
        const Image back = wait_for_start_picture();
        ASSERT_EQ(back.rgb, start.rgb) << "hold " << hold;
    }
}

TEST_F(InputE2E, BurstThatOverflowsTheQueueLeavesNoDragBehind)
{
    // SDL drops what overflows its queue, the release too; the pointer moving
    // with no button held afterwards must not go on turning the scene.
    for (int burst = 0; burst < 4; ++burst) {
        viewer->drag_burst(320, 240, 3000);
        const Image after = viewer->grab_settled();
        for (int i = 0; i < 10; ++i) {
            viewer->move_pointer(100 + 40 * i, 100 + 25 * i);
            pause_seconds(0.02);
        }
        const Image moved = viewer->grab_settled();
        ASSERT_EQ(moved.rgb, after.rgb) << "burst " << burst;
    }
}

TEST_F(InputE2E, EscQuitsWithStatusZeroWithoutAWord)
{
    viewer->tap("Escape");
    expect_clean_end(viewer->wait_exit(), started_banner());
}

} // namespace
