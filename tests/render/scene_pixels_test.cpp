// Pixels of real frames: Mesa's software OpenGL on a private X server, read
// back from the window after the swap.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "app/display.h"
#include "app/view_state.h"
#include "expect.h"
#include "paths.h"
#include "platform.h"
#include "projection.h"
#include "render/frame.h"

namespace {

// Outlines must lie within this many pixels of where the corners project.
constexpr double OUTLINE_SLACK = 1.5;

using Pixel = std::function<bool(const uint8_t*)>;

const Pixel WHITE = [](const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
const Pixel YELLOW = [](const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] < 60; };
const Pixel RED = [](const uint8_t* p) { return p[0] > 200 && p[1] < 60 && p[2] < 60; };
const Pixel GREEN = [](const uint8_t* p) { return p[0] < 60 && p[1] > 200 && p[2] < 60; };
const Pixel BLUE = [](const uint8_t* p) { return p[0] < 60 && p[1] < 60 && p[2] > 200; };
const Pixel BLACK = [](const uint8_t* p) { return p[0] < 30 && p[1] < 30 && p[2] < 30; };

// What the window shows after the swap.
Image grab_window()
{
    glFinish();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    Image image;
    if (SDL_GetWMInfo(&info) != 1)
        return image;
    Display* dpy = info.info.x11.gfxdisplay;
    XSync(dpy, False);
    XImage* xi = XGetImage(dpy, info.info.x11.window, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, AllPlanes, ZPixmap);
    if (!xi)
        return image;
    image = image_from_ximage(xi);
    XDestroyImage(xi);
    return image;
}

int count(
    const Image& image, const Pixel& is, int x0 = 0, int y0 = 0, int x1 = WINDOW_WIDTH - 1, int y1 = WINDOW_HEIGHT - 1)
{
    int n = 0;
    for (int y = std::max(y0, 0); y <= std::min(y1, WINDOW_HEIGHT - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, WINDOW_WIDTH - 1); ++x)
            n += is(image.at(x, y));
    return n;
}

// Some pixel of the kind within `slack` of the image position (x, y).
bool near(const Image& image, const Pixel& is, double x, double y, double slack = OUTLINE_SLACK)
{
    return count(image, is, static_cast<int>(std::floor(x - slack)), static_cast<int>(std::floor(y - slack)),
               static_cast<int>(std::floor(x + slack)), static_cast<int>(std::floor(y + slack))) > 0;
}

// The first rectangle's corners in eye space: unturned, five units ahead plus the offsets.
std::vector<EyePoint> first_rect(double offset_x, double offset_z)
{
    const double w = HALF_WIDTH, h = HALF_HEIGHT, z = offset_z - 6.0;
    return {{offset_x + w, h, z}, {offset_x - w, h, z}, {offset_x - w, -h, z}, {offset_x + w, -h, z}};
}

// Points a quarter and three quarters along each edge of the projected outline:
// clear of the axes, which cross the edges' middles.
std::vector<WindowPoint> edge_samples(const std::vector<EyePoint>& corners)
{
    std::vector<WindowPoint> out;
    for (size_t i = 0; i < corners.size(); ++i) {
        const WindowPoint a = project_to_window(corners[i]), b = project_to_window(corners[(i + 1) % corners.size()]);
        for (double t : {0.25, 0.75})
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
    return out;
}

void expect_outline(const Image& image, const std::vector<EyePoint>& corners, const Pixel& is, const std::string& what)
{
    for (const auto& s : edge_samples(corners))
        EXPECT_TRUE(near(image, is, s.x, s.y)) << what << ": no outline at " << s.x << ", " << s.y;
}

// Nothing left where the outline was; with sides_only, its left and right edges
// alone (a sideways move leaves the top and bottom edges on their rows).
void expect_no_outline(
    const Image& image, const std::vector<EyePoint>& corners, const std::string& what, bool sides_only = false)
{
    const std::vector<WindowPoint> samples = edge_samples(corners);
    for (size_t i = 0; i < samples.size(); ++i) {
        const bool side = i / 2 % 2 == 1; // edges 1 and 3 join top and bottom
        if (sides_only && !side)
            continue;
        EXPECT_TRUE(BLACK(image.at(static_cast<int>(samples[i].x), static_cast<int>(samples[i].y))))
            << what << ": still lit at " << samples[i].x << ", " << samples[i].y;
    }
}

// Length of the run of lit pixels crossing the row y in column x.
int vertical_run(const Image& image, const Pixel& is, int x, double y)
{
    int n = 0;
    for (int row = static_cast<int>(y) - 4; row <= static_cast<int>(y) + 4; ++row)
        n += is(image.at(x, row));
    return n;
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
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            return;
        init_display();
        ready = true;
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
        return grab_window();
    }

    static XvfbServer* server;
    static bool ready;
};

XvfbServer* SceneOnScreen::server = nullptr;
bool SceneOnScreen::ready = false;

TEST_F(SceneOnScreen, AxesRunRightUpAndTowardsTheEye)
{
    const Image image = frame();
    ASSERT_EQ(image.width, WINDOW_WIDTH);

    // Red along the centre row, from the centre to the right edge; nothing to the left.
    int red_columns = 0;
    for (int x = 330; x < WINDOW_WIDTH; ++x)
        red_columns += count(image, RED, x, 237, x, 242) > 0;
    EXPECT_GT(red_columns, 280); // a few columns lie behind nearer rectangle edges
    EXPECT_EQ(count(image, RED), count(image, RED, 318, 237, WINDOW_WIDTH - 1, 242));

    // Green along the centre column, from the centre to the top edge; nothing below.
    int green_rows = 0;
    for (int y = 0; y < 230; ++y)
        green_rows += count(image, GREEN, 317, y, 322, y) > 0;
    EXPECT_GT(green_rows, 200);
    EXPECT_EQ(count(image, GREEN), count(image, GREEN, 317, 0, 322, 242));

    // Blue points straight at the eye: at most a dot at the centre.
    EXPECT_EQ(count(image, BLUE), count(image, BLUE, 318, 238, 322, 242));

    // Turned 10 degrees about the vertical, the blue axis shows, running from the
    // centre: scene_rotation (u sin 5, cos 5) turns by -10 degrees about u.
    const double turn = 10.0 * M_PI / 180.0;
    view.scene_rotation[1] = static_cast<float>(std::sin(turn / 2));
    view.scene_rotation[3] = static_cast<float>(std::cos(turn / 2));
    const Image turned = frame();
    const EyePoint along_z = {-3.0 * std::sin(turn), 0.0, 3.0 * std::cos(turn) - 5.0};
    const WindowPoint seen = project_to_window(along_z);
    EXPECT_TRUE(near(turned, BLUE, seen.x, seen.y)) << seen.x << ", " << seen.y;
}

TEST_F(SceneOnScreen, FirstRectangleLiesWhereItsCornersProject)
{
    const Image image = frame();
    ASSERT_EQ(image.width, WINDOW_WIDTH);
    const std::vector<EyePoint> corners = first_rect(0, 0);
    expect_outline(image, corners, WHITE, "first rectangle");

    // A 2-pixel outline on the top and bottom edges.
    const WindowPoint top = project_to_window(corners[0]), bottom = project_to_window(corners[3]);
    for (int x : {305, 335}) {
        EXPECT_EQ(vertical_run(image, WHITE, x, top.y), 2) << "top edge, column " << x;
        EXPECT_EQ(vertical_run(image, WHITE, x, bottom.y), 2) << "bottom edge, column " << x;
    }
    // Outlines only: inside it is black.
    EXPECT_EQ(count(image, BLACK, 300, 225, 315, 235), 16 * 11);

    // The 45-degree rectangle beside it has a 1-pixel outline: its top edge at the middle.
    const WindowPoint fan_top = project_to_window({std::sqrt(0.5), HALF_HEIGHT, -EYE_DISTANCE - std::sqrt(0.5)});
    EXPECT_EQ(vertical_run(image, WHITE, static_cast<int>(fan_top.x), fan_top.y), 1);
}

TEST_F(SceneOnScreen, FanIsWhiteForTheChainAndYellowForQuaternions)
{
    // Turned about x and z, so that the two modes place the fan differently.
    view.angle_x = 30;
    view.angle_z = 20;
    const Image chain = frame();
    view.quaternion_mode = true;
    const Image quaternions = frame();
    ASSERT_EQ(chain.width, WINDOW_WIDTH);
    ASSERT_EQ(quaternions.width, WINDOW_WIDTH);
    EXPECT_TRUE(save_png(chain, build_dir() + "/chain-mode.png"));
    EXPECT_TRUE(save_png(quaternions, build_dir() + "/quaternion-mode.png"));

    EXPECT_GT(count(chain, WHITE), 500);
    EXPECT_EQ(count(chain, YELLOW), 0);
    EXPECT_GT(count(quaternions, YELLOW), 500);
    EXPECT_EQ(count(quaternions, WHITE), 0);

    // The fan stands elsewhere: many pixels lit in one picture are dark in the other.
    int moved = 0;
    for (int y = 0; y < WINDOW_HEIGHT; ++y)
        for (int x = 0; x < WINDOW_WIDTH; ++x)
            moved += WHITE(chain.at(x, y)) && BLACK(quaternions.at(x, y));
    EXPECT_GT(moved, 200);
}

TEST_F(SceneOnScreen, OffsetsMoveAndScaleThePicture)
{
    const std::vector<EyePoint> home = first_rect(0, 0);

    // Nearer the eye: larger, still centred.
    view.offset_z = 2;
    const Image nearer = frame();
    const std::vector<EyePoint> near_corners = first_rect(0, 2);
    expect_outline(nearer, near_corners, WHITE, "offset_z 2");
    expect_no_outline(nearer, home, "offset_z 2, old place");
    EXPECT_GT(project_to_window(near_corners[0]).x - project_to_window(near_corners[1]).x,
        1.4 * (project_to_window(home[0]).x - project_to_window(home[1]).x));

    // To the right, along the eye's x axis.
    view.offset_z = 0;
    view.offset_x = 0.5f;
    const Image right = frame();
    expect_outline(right, first_rect(0.5, 0), WHITE, "offset_x 0.5");
    expect_no_outline(right, home, "offset_x 0.5, old place", true);
    // The axes' origin moves with it.
    const WindowPoint origin = project_to_window({0.5, 0, -5});
    EXPECT_TRUE(near(right, GREEN, origin.x, origin.y - 10));
    EXPECT_EQ(count(right, GREEN, 0, 0, static_cast<int>(origin.x) - 3, WINDOW_HEIGHT - 1), 0);
}

// The real program: its first frames, then key m switches the fan to quaternions.
TEST(ViewerOnScreen, StartFrameThenKeyMTurnsTheFanYellow)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    X11 viewer;
    ASSERT_EQ(viewer.start(), "");
    const Image start = grab_settled(viewer);
    ASSERT_EQ(start.width, WINDOW_WIDTH);
    expect_outline(start, first_rect(0, 0), WHITE, "start");
    EXPECT_GT(count(start, RED, 330, 237, WINDOW_WIDTH - 1, 242), 250);
    EXPECT_GT(count(start, GREEN, 317, 0, 322, 230), 200);
    EXPECT_EQ(count(start, YELLOW), 0);

    tap(viewer, "m");
    // The key is handled in a later turn of the viewer's loop: wait for yellow
    // to appear, then for the picture to settle.
    grab_until(viewer, [](const Image& i) { return count(i, YELLOW) > 0; });
    const Image switched = grab_settled(viewer);
    expect_outline(switched, first_rect(0, 0), YELLOW, "after m");
    EXPECT_EQ(count(switched, WHITE), 0);

    expect_clean_close(viewer);
}

} // namespace
