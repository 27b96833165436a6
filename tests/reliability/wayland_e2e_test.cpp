// The real viewer on a Wayland desktop: weston, whose x11 backend shows the
// desktop in a window of a private X server and turns that server's XTest
// input into Wayland input. With the classic SDL 1.2 the viewer runs through
// Xwayland, as X programs do on a Wayland session; with the compatibility layer
// (TURNFAN_SDL=compat) it runs natively on SDL2's Wayland driver, as on a
// session without X.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "paths.h"
#include "session.h"
#include "weston.h"

namespace {

// Where the test moves the picture's top before closing: clear of weston's
// panel along the desktop's top, which may hide a new window's title bar.
constexpr int MOVED_TOP = 100;
// The close button, in the title bar above the picture's top right corner, in
// picture pixels: weston's frame for an Xwayland window and libdecor's for a
// native one both have it here.
constexpr int CLOSE_X = 625;
constexpr int CLOSE_Y = -12;

int differing_pixels(const Image& a, const Image& b)
{
    int n = 0;
    for (size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
        n += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    return n;
}

// With all three angles 0 both modes put the rectangles in the same place: the
// quaternion picture is the chain's with white made yellow.
Image yellowed(Image image)
{
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        if (image.rgb[i] == 255 && image.rgb[i + 1] == 255 && image.rgb[i + 2] == 255)
            image.rgb[i + 2] = 0;
    return image;
}

// The start picture of the same viewer on a plain X server.
Image picture_on_x()
{
    Session x;
    if (!shows_first_frame(x))
        return {};
    Image image = x.viewer->grab_settled();
    expect_clean_close(*x.viewer);
    return image;
}

TEST(Wayland, StartKeysDragAndCloseAsOnX)
{
    const Image expected_start = picture_on_x();
    ASSERT_FALSE(expected_start.rgb.empty());

    XvfbServer server;
    ASSERT_TRUE(server.ok());
    WestonServer weston(server.display());
    ASSERT_TRUE(weston.ok()) << weston.log();
    std::vector<std::string> env = weston.session_environment();
    if (sdl_compat()) {
        // SDL2 prefers X11 while DISPLAY is set.
        env.push_back("DISPLAY=");
        env.push_back("SDL_VIDEODRIVER=wayland");
    }
    Viewer viewer(server.display(), viewer_binary(), {}, env);
    ASSERT_TRUE(viewer.wait_for_nested_window()) << viewer.wait_exit(1).err << weston.log();

    // weston fades a new window in, and on a busy machine may pause in between.
    const Image start = grab_until(viewer, [&](const Image& i) { return i.rgb == expected_start.rgb; });
    EXPECT_EQ(differing_pixels(start, expected_start), 0);

    viewer.tap("m");
    const Image expected_quaternion = yellowed(start);
    const Image quaternion = grab_until(viewer, [&](const Image& i) { return i.rgb == expected_quaternion.rgb; });
    EXPECT_EQ(differing_pixels(quaternion, expected_quaternion), 0);

    viewer.drag(320, 240, 400, 200);
    viewer.park_pointer();
    // Until the compositor has drawn the pointer off the picture, too.
    const Image turned = grab_until(viewer, [&](const Image& i) {
        return differing_pixels(i, quaternion) > 0 && count(i, 255, 255, 0) > 0 && count(i, 255, 255, 255) == 0;
    });
    EXPECT_GT(differing_pixels(turned, quaternion), 0);
    EXPECT_GT(count(turned, 255, 255, 0), 0);
    EXPECT_EQ(count(turned, 255, 255, 255), 0);

    // Move the window with weston's own binding (Super and drag), then close it
    // with its close button.
    viewer.key("Super_L", true);
    viewer.drag(320, 240, 320, 240 + MOVED_TOP - viewer.picture_top());
    viewer.key("Super_L", false);
    ASSERT_TRUE(viewer.wait_for_nested_window());
    EXPECT_EQ(viewer.picture_top(), MOVED_TOP);
    viewer.move_pointer(CLOSE_X, CLOSE_Y);
    pause_seconds(0.05);
    viewer.button(1, true);
    pause_seconds(0.05);
    viewer.button(1, false);
    expect_clean_end(viewer.wait_exit(), started_banner() + QUIT_LINE);
}

} // namespace
