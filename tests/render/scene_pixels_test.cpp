// Pixels of frames drawn here from states the viewer's input cannot set
// exactly (a scene turned by a given angle, a pan along x alone): Mesa's
// software OpenGL on a private X server, read back from the window after the
// swap. The real viewer's pictures are the scenario's (tests/app).
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/view_state.h"
#include "expect.h"
#include "projection.h"
#include "render/frame.h"

namespace {

// Outlines must lie within this many pixels of where the corners project.
constexpr double OUTLINE_SLACK = 1.5;

struct Colour {
    uint8_t r, g, b;
};
constexpr Colour WHITE = {255, 255, 255}, YELLOW = {255, 255, 0}, GREEN = {0, 255, 0}, BLUE = {0, 0, 255},
                 BLACK = {0, 0, 0};

int count(const Image& image, Colour c, int x0 = 0, int y0 = 0, int x1 = WINDOW_WIDTH - 1, int y1 = WINDOW_HEIGHT - 1)
{
    return ::count(image, c.r, c.g, c.b, x0, y0, x1, y1);
}

// Some pixel of the colour within OUTLINE_SLACK of the window position (x, y).
bool near(const Image& image, Colour c, double x, double y)
{
    const auto at = [](double v) { return static_cast<int>(std::floor(v)); };
    return count(image, c, at(x - OUTLINE_SLACK), at(y - OUTLINE_SLACK), at(x + OUTLINE_SLACK), at(y + OUTLINE_SLACK));
}

// The first rectangle's corners in eye space: unturned, five units ahead plus the offset.
std::vector<EyePoint> first_rect(double offset_x)
{
    const double w = HALF_WIDTH, h = HALF_HEIGHT, z = -EYE_DISTANCE - 1.0;
    return {{offset_x + w, h, z}, {offset_x - w, h, z}, {offset_x - w, -h, z}, {offset_x + w, -h, z}};
}

// Points a quarter and three quarters along each edge of the projected outline,
// clear of the axes, which cross the edges' middles; the sides (edges 1 and 3) flagged.
std::vector<std::pair<WindowPoint, bool>> edge_samples(const std::vector<EyePoint>& corners)
{
    std::vector<std::pair<WindowPoint, bool>> out;
    for (size_t i = 0; i < corners.size(); ++i) {
        const WindowPoint a = project_to_window(corners[i]), b = project_to_window(corners[(i + 1) % corners.size()]);
        for (double t : {0.25, 0.75})
            out.push_back({{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}, i % 2 == 1});
    }
    return out;
}

// Lit pixels of the colour in column x within four rows of y: the line's width there.
int vertical_run(const Image& image, Colour c, int x, double y)
{
    return count(image, c, x, static_cast<int>(y) - 4, x, static_cast<int>(y) + 4);
}

// What the window shows after the swap.
Image grab_window()
{
    glFinish();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1)
        return {};
    Display* dpy = info.info.x11.gfxdisplay;
    XSync(dpy, False);
    XImage* xi = XGetImage(dpy, info.info.x11.window, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, AllPlanes, ZPixmap);
    if (!xi)
        return {};
    Image image = image_from_ximage(xi);
    XDestroyImage(xi);
    return image;
}

// One SDL window with the program's display setup for the whole process.
class SceneOnScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // No assertion here: gtest reports the cases of a suite whose set-up
        // failed as skipped, and CTest then counts them as skipped. Each case's
        // SetUp fails instead.
        if (!missing_tool("Xvfb").empty())
            return;
        server = new XvfbServer;
        if (!server->ok())
            return;
        server->export_display();
        ready = SDL_Init(SDL_INIT_VIDEO) == 0;
        if (ready)
            init_display();
    }

    static void TearDownTestSuite()
    {
        if (server)
            SDL_Quit();
        delete server;
        server = nullptr;
    }

    // The state at start: unturned, no offsets, fixed-axis chain.
    void SetUp() override
    {
        TURNFAN_SKIP_IF(missing_tool("Xvfb"));
        ASSERT_TRUE(ready) << "no X server or no SDL video for the suite";
        const Quat identity = {0, 0, 0, 1};
        std::copy(identity, identity + 4, view.scene_rotation);
        view.angle_z = view.angle_x = view.angle_y = 0;
        view.offset_x = view.offset_y = view.offset_z = 0;
        view.quaternion_mode = false;
    }

    static Image frame()
    {
        draw_frame();
        Image image = grab_window();
        EXPECT_EQ(image.width, WINDOW_WIDTH);
        return image;
    }

    static XvfbServer* server;
    static bool ready;
};

XvfbServer* SceneOnScreen::server = nullptr;
bool SceneOnScreen::ready = false;

TEST_F(SceneOnScreen, FirstRectangleLiesWhereItsCornersProjectWithTheFanBesideIt)
{
    const Image image = frame();
    const std::vector<EyePoint> corners = first_rect(0);
    for (const auto& [s, side] : edge_samples(corners))
        EXPECT_TRUE(near(image, WHITE, s.x, s.y)) << "no outline at " << s.x << ", " << s.y;
    // A 2-pixel outline on the top and bottom edges.
    const WindowPoint top = project_to_window(corners[0]), bottom = project_to_window(corners[3]);
    for (int x : {305, 335}) {
        EXPECT_EQ(vertical_run(image, WHITE, x, top.y), 2) << "top edge, column " << x;
        EXPECT_EQ(vertical_run(image, WHITE, x, bottom.y), 2) << "bottom edge, column " << x;
    }
    // The 45-degree rectangle beside it has a 1-pixel outline: its top edge at the middle.
    const WindowPoint fan_top = project_to_window({std::sqrt(0.5), HALF_HEIGHT, -EYE_DISTANCE - std::sqrt(0.5)});
    EXPECT_EQ(vertical_run(image, WHITE, static_cast<int>(fan_top.x), fan_top.y), 1);
}

// Turned 10 degrees about the vertical, the blue axis shows, running from the
// centre: scene_rotation (u sin 5, cos 5) turns by -10 degrees about u.
TEST_F(SceneOnScreen, TurnedSceneShowsTheBlueAxisTowardsTheEye)
{
    const double turn = 10.0 * M_PI / 180.0;
    view.scene_rotation[1] = static_cast<float>(std::sin(turn / 2));
    view.scene_rotation[3] = static_cast<float>(std::cos(turn / 2));
    const WindowPoint seen = project_to_window({-3.0 * std::sin(turn), 0.0, 3.0 * std::cos(turn) - EYE_DISTANCE});
    EXPECT_TRUE(near(frame(), BLUE, seen.x, seen.y)) << seen.x << ", " << seen.y;
}

TEST_F(SceneOnScreen, FanIsWhiteForTheChainAndYellowForQuaternionsAndStandsElsewhere)
{
    // Turned about x and z, so that the two modes place the fan differently.
    view.angle_x = 30;
    view.angle_z = 20;
    const Image chain = frame();
    view.quaternion_mode = true;
    const Image quaternions = frame();
    EXPECT_TRUE(save_png(chain, build_dir() + "/chain-mode.png"));
    EXPECT_TRUE(save_png(quaternions, build_dir() + "/quaternion-mode.png"));

    EXPECT_GT(count(chain, WHITE), 500);
    EXPECT_EQ(count(chain, YELLOW), 0);
    EXPECT_GT(count(quaternions, YELLOW), 500);
    EXPECT_EQ(count(quaternions, WHITE), 0);
    // Many pixels lit in one picture are dark in the other.
    int moved = 0;
    for (int y = 0; y < WINDOW_HEIGHT; ++y)
        for (int x = 0; x < WINDOW_WIDTH; ++x)
            moved += count(chain, WHITE, x, y, x, y) && count(quaternions, BLACK, x, y, x, y);
    EXPECT_GT(moved, 200);
}

// To the right along the eye's x axis, the axes' origin with it; the old
// place's sides dark (a sideways move leaves the top and bottom edges on their rows).
TEST_F(SceneOnScreen, PanAlongXMovesTheOutlineAndTheAxes)
{
    view.offset_x = 0.5f;
    const Image right = frame();
    for (const auto& [s, side] : edge_samples(first_rect(0.5)))
        EXPECT_TRUE(near(right, WHITE, s.x, s.y)) << "no outline at " << s.x << ", " << s.y;
    for (const auto& [s, side] : edge_samples(first_rect(0))) {
        const int x = static_cast<int>(s.x), y = static_cast<int>(s.y);
        EXPECT_TRUE(!side || count(right, BLACK, x, y, x, y) == 1) << "still lit at " << x << ", " << y;
    }
    const WindowPoint origin = project_to_window({0.5, 0, -EYE_DISTANCE});
    EXPECT_TRUE(near(right, GREEN, origin.x, origin.y - 10));
    EXPECT_EQ(count(right, GREEN, 0, 0, static_cast<int>(origin.x) - 3, WINDOW_HEIGHT - 1), 0);
}

} // namespace
