// The real viewer end to end, one set of cases on every platform it promises (drive/platform.h), judged from its
// pictures, where the projection puts them, and the lines it prints.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "expect.h"
#include "projection.h"

namespace {

// How far, in pixels, the middle of a 2-pixel run may lie from the projected line: half a pixel from the raster, the
// rest for rounding.
constexpr double EDGE_TOLERANCE = 0.75;
// How far a line of any width may lie from where the projection puts it.
constexpr double OUTLINE_SLACK = 1.0;

// --- What the projection predicts ---------------------------------------------

// The scene state that the first rectangle's place depends on here.
struct Scene {
    double angle_x = 0.0; // degrees
    double offset_x = 0.0;
    double offset_y = 0.0;
    double offset_z = 0.0;
};

struct Pixel {
    double column, row; // from the top left, pixel centres at whole numbers
};

// A point of the first rectangle's plane (z = -1 before its turn) on the screen: turned about +x by angle_x, moved by
// the offsets and the eye distance, then through the viewer's projection.
Pixel project(const Scene& s, double x, double y)
{
    const double a = s.angle_x * PROGRAM_PI / 180.0, z = -1.0;
    const WindowPoint p = project_to_window({x + s.offset_x, y * std::cos(a) - z * std::sin(a) + s.offset_y,
        y * std::sin(a) + z * std::cos(a) + s.offset_z - EYE_DISTANCE});
    return {p.x - 0.5, p.y - 0.5};
}

// The first rectangle's top and bottom rows in two columns left of its centre, clear of the axes and of its neighbour,
// and its corners.
struct Outline {
    double top_row;
    double bottom_row;
    int columns[2];
    Pixel corners[4]; // top right, top left, bottom left, bottom right
};

Outline predict_outline(const Scene& s)
{
    const double w = HALF_WIDTH, h = HALF_HEIGHT;
    const int c = static_cast<int>(std::lround(project(s, 0.0, 0.0).column));
    return {project(s, -w, h).row, project(s, -w, -h).row, {c - 10, c - 18},
        {project(s, w, h), project(s, -w, h), project(s, -w, -h), project(s, w, -h)}};
}

// --- What the screen shows --------------------------------------------------

// A 2-pixel white line crosses column x at `row`: the middle of such a run down the column lies near it.
bool wide_line_at(const Image& image, int x, double row)
{
    int first = -1;
    for (int y = 0; y <= image.height; ++y) {
        if (y < image.height && count(image, 255, 255, 255, x, y, x, y) == 1) {
            first = first < 0 ? y : first;
            continue;
        }
        if (first >= 0 && y - first == 2 && std::fabs(first + 0.5 - row) <= EDGE_TOLERANCE)
            return true;
        first = -1;
    }
    return false;
}

// Some pixel of the colour within OUTLINE_SLACK of (x, y).
bool near(const Image& image, double x, double y, uint8_t r, uint8_t g, uint8_t b)
{
    const auto at = [](double v) { return static_cast<int>(std::lround(v)); };
    return count(image, r, g, b, at(x - OUTLINE_SLACK), at(y - OUTLINE_SLACK), at(x + OUTLINE_SLACK),
               at(y + OUTLINE_SLACK)) > 0;
}

// The first rectangle's edges, white, where the projection puts them, the top and bottom ones 2 pixels wide; looked for
// a quarter and three quarters along, clear of the axes.
testing::AssertionResult outline_at(const Image& image, const Outline& o)
{
    for (int i = 0; i < 4; ++i)
        for (double t : {0.25, 0.75}) {
            const Pixel from = o.corners[i], to = o.corners[(i + 1) % 4];
            const double x = from.column + t * (to.column - from.column), y = from.row + t * (to.row - from.row);
            if (!near(image, x, y, 255, 255, 255))
                return testing::AssertionFailure() << "no edge near column " << x << ", row " << y;
        }
    for (int x : o.columns) {
        if (!wide_line_at(image, x, o.top_row))
            return testing::AssertionFailure() << "no 2-pixel top edge near row " << o.top_row << " in column " << x;
        if (!wide_line_at(image, x, o.bottom_row))
            return testing::AssertionFailure()
                << "no 2-pixel bottom edge near row " << o.bottom_row << " in column " << x;
    }
    return testing::AssertionSuccess();
}

// With all three angles 0 both modes put the rectangles in the same place: the quaternion picture is the chain's with
// white made yellow.
Image yellowed(Image image)
{
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        if (image.rgb[i] == 255 && image.rgb[i + 1] == 255 && image.rgb[i + 2] == 255)
            image.rgb[i + 2] = 0;
    return image;
}

// --- One step runner, one picture comparison ------------------------------

// The settled picture once `input` has changed the one before.
Image after(Platform& p, const std::function<void(Platform&)>& input)
{
    const Image before = grab_settled(p);
    input(p);
    grab_until(p, [&](const Image& image) { return image.rgb != before.rgb; });
    const Image settled = grab_settled(p);
    EXPECT_NE(settled.rgb, before.rgb) << "the input changed nothing";
    return settled;
}

// The steps on plain X with the classic SDL 1.2 and on `p`, started, with its own inputs where `own` gives them: `p`
// shows plain X's picture at the start and after each step (within its reach).
void expect_as_on_plain_x(Platform& p, const std::vector<Step>& steps, const std::vector<Step>& own = {})
{
    auto x = make_platform(PLATFORMS[0]);
    ASSERT_EQ(x->start(), "");
    Image want = grab_settled(*x);
    for (size_t i = 0; i <= steps.size(); ++i) {
        const std::string what = i == 0 ? "start" : steps[i - 1].name;
        if (i > 0) {
            SCOPED_TRACE(what + " on plain X");
            want = after(*x, steps[i - 1].input);
            (own.empty() ? steps : own)[i - 1].input(p);
        }
        // A compositor fades a new window in, and on a busy machine may pause in between.
        const int reach = p.picture_reach();
        const Image got = grab_until(p, [&](const Image& image) { return unmatched_pixels(image, want, reach) == 0; });
        EXPECT_EQ(differing_pixels(got, want, what, reach), 0) << what;
    }
    expect_clean_close(*x);
}

// --- The cases, each on every platform ---------------------------------------

// The platform of the case, or a skip saying why it cannot run here.
class OnPlatform : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        platform = make_platform(GetParam());
        TURNFAN_SKIP_IF(platform->unavailable());
    }

    std::unique_ptr<Platform> platform;
};

// Cases whose viewer must not start.
class FailedStart : public OnPlatform { };
// Cases that start the viewer and take its first picture.
class Scenario : public OnPlatform {
protected:
    void SetUp() override
    {
        OnPlatform::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(platform->start(), "");
        started = true;
        // A compositor may still be fading the window in: wait for the outline, then for the picture to settle.
        grab_until(*platform, [](const Image& i) { return bool(outline_at(i, predict_outline(Scene{}))); });
        start_picture = grab_settled(*platform);
        ASSERT_TRUE(outline_at(start_picture, predict_outline(Scene{})));
    }

    void TearDown() override
    {
        if (HasFailure() && started)
            save_png(platform->grab(), artifact("last.png"));
    }

    Image wait_for(const Image& want)
    {
        return grab_until(*platform, [&](const Image& i) { return i.rgb == want.rgb; });
    }

    bool started = false;
    Image start_picture;
};

const auto PLATFORM_NAME = [](const testing::TestParamInfo<std::string>& info) { return info.param; };
INSTANTIATE_TEST_SUITE_P(On, Scenario, testing::ValuesIn(PLATFORMS), PLATFORM_NAME);
INSTANTIATE_TEST_SUITE_P(On, FailedStart, testing::ValuesIn(PLATFORMS), PLATFORM_NAME);

TEST_P(Scenario, StartLinesThenTheQuitLineAfterAWindowClose)
{
    // The axes from the centre: red to the right edge, green to the top, blue at the eye (at most the centre's pixel);
    // nothing the other way. The fan white.
    EXPECT_GT(count(start_picture, 255, 0, 0, 330, 237, WINDOW_WIDTH - 1, 242), 250);
    EXPECT_EQ(count(start_picture, 255, 0, 0), count(start_picture, 255, 0, 0, 318, 237, WINDOW_WIDTH - 1, 242));
    EXPECT_GT(count(start_picture, 0, 255, 0, 317, 0, 322, 230), 200);
    EXPECT_EQ(count(start_picture, 0, 255, 0), count(start_picture, 0, 255, 0, 317, 0, 322, 242));
    EXPECT_LE(count(start_picture, 0, 0, 255), 1);
    EXPECT_EQ(count(start_picture, 255, 255, 0), 0);
    // The first rectangle's outline is 2 pixels wide (outline_at), the 45-degree one beside it 1 pixel: its top edge at
    // the middle, where lines are drawn as on X.
    const WindowPoint fan = project_to_window({std::sqrt(0.5), HALF_HEIGHT, -EYE_DISTANCE - std::sqrt(0.5)});
    const int fan_x = static_cast<int>(fan.x), fan_y = static_cast<int>(fan.y);
    if (platform->picture_reach() == 0) {
        EXPECT_EQ(count(start_picture, 255, 255, 255, fan_x, fan_y - 4, fan_x, fan_y + 4), 1);
    }
    // The start-up lines are out while it runs, though its output is not a terminal.
    EXPECT_EQ(platform->out(), started_banner());
    TURNFAN_SKIP_IF(platform->has_window() ? "" : "skipped: no window to close");
    expect_clean_close(*platform);
}

TEST_P(Scenario, EscQuitsWithStatusZeroWithoutAWord)
{
    tap(*platform, "Escape");
    expect_clean_end(platform->wait_exit(), started_banner());
}

// Keys and modifier drags, one after another, put the first rectangle where the projection of the state they reach puts
// it.
TEST_P(Scenario, KeysAndDragsMoveTheFirstRectangleAsProjected)
{
    const struct {
        const char* what;
        std::function<void(Platform&)> input;
        Scene reached;
        bool home; // then the very start picture
    } rows[] = {
        {"w x30", [](Platform& p) { tap(p, "w", 30); }, {30.0, 0, 0, 0}, false},
        {"a, e and s, then r",
            [](Platform& p) {
                tap(p, "a", 7);
                tap(p, "e", 9);
                tap(p, "s", 2);
                tap(p, "r");
            },
            {}, true},
        {"s x30", [](Platform& p) { tap(p, "s", 30); }, {-30.0, 0, 0, 0}, false},
        // Exactly thirty steps were taken: thirty back give the start picture.
        {"w x30", [](Platform& p) { tap(p, "w", 30); }, {}, true},
        {"Shift drag down (nearer)", [](Platform& p) { drag(p, 320, 100, 320, 292, 12, "Shift_L"); },
            {0, 0, 0, 192 * DEPTH_PER_PIXEL}, false},
        {"Ctrl drag (pan)", [](Platform& p) { drag(p, 320, 240, 384, 192, 10, "Control_L"); },
            {0, 64 * PAN_X_PER_PIXEL, 48 * PAN_Y_PER_PIXEL, 192 * DEPTH_PER_PIXEL}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.input(*platform);
        if (row.home) {
            EXPECT_EQ(differing_pixels(wait_for(start_picture), start_picture, "back"), 0);
            continue;
        }
        const Outline expected = predict_outline(row.reached);
        ASSERT_FALSE(outline_at(start_picture, expected)) << "the start picture would pass";
        EXPECT_TRUE(
            outline_at(grab_until(*platform, [&](const Image& i) { return bool(outline_at(i, expected)); }), expected));
    }
    // The axes moved with the scene: green from the origin upwards, none left of it.
    const Scene& last = rows[std::size(rows) - 1].reached;
    const WindowPoint origin = project_to_window({last.offset_x, last.offset_y, last.offset_z - EYE_DISTANCE});
    const Image moved = grab_settled(*platform);
    EXPECT_TRUE(near(moved, origin.x - 0.5, origin.y - 10.5, 0, 255, 0));
    EXPECT_EQ(count(moved, 0, 255, 0, 0, 0, static_cast<int>(origin.x) - 3), 0);
}

TEST_P(Scenario, MTurnsTheFanYellowAndBack)
{
    tap(*platform, "m");
    const Image expected = yellowed(start_picture);
    EXPECT_EQ(differing_pixels(wait_for(expected), expected, "yellow"), 0);

    tap(*platform, "m");
    EXPECT_EQ(wait_for(start_picture).rgb, start_picture.rgb);

    // Turned about x and z, the two modes place the fan differently: many pixels lit in one picture are dark in the
    // other.
    const Image chain = after(*platform, [](Platform& p) {
        tap(p, "w", 30);
        tap(p, "e", 20);
    });
    const Image quaternions = after(*platform, [](Platform& p) { tap(p, "m"); });
    EXPECT_GT(count(chain, 255, 255, 255), 500);
    EXPECT_GT(count(quaternions, 255, 255, 0), 500);
    EXPECT_EQ(count(quaternions, 255, 255, 255), 0);
    int moved = 0;
    for (int y = 0; y < WINDOW_HEIGHT; ++y)
        for (int x = 0; x < WINDOW_WIDTH; ++x)
            moved += count(chain, 255, 255, 255, x, y, x, y) && count(quaternions, 0, 0, 0, x, y, x, y);
    EXPECT_GT(moved, 200);
    if (GetParam() == PLATFORMS[0]) { // the README's two pictures
        EXPECT_TRUE(save_png(chain, build_dir() + "/chain-mode.png"));
        EXPECT_TRUE(save_png(quaternions, build_dir() + "/quaternion-mode.png"));
    }
}

TEST_P(Scenario, PlainDragTurnsTheBlueAxisOutOfEndOnView)
{
    drag(*platform, 320, 240, 420, 240);
    const Image turned = grab_until(*platform, [](const Image& i) { return count(i, 0, 0, 255) > 30; });
    EXPECT_GT(count(turned, 0, 0, 255), 30);
    // The scene's front followed the pointer to the right.
    EXPECT_GT(count(turned, 0, 0, 255, 321, 0), count(turned, 0, 0, 255, 0, 0, 320));
}

// The walk, and m back to the chain after it, pixel for pixel as on plain X (within one pixel in a browser, which
// rasterises lines its own way).
TEST_P(Scenario, PicturesEqualThoseOnPlainXPixelForPixel)
{
    if (GetParam() == PLATFORMS[0])
        GTEST_SKIP() << "skipped: the platform the others are compared with";
    std::vector<Step> steps = WALK;
    steps.push_back({"chain again", "", [](Platform& p) { tap(p, "m"); }});
    expect_as_on_plain_x(*platform, steps);
    if (platform->has_window())
        expect_clean_close(*platform);
}

// Starts that must fail, each with its message and status 1.
TEST_P(FailedStart, WithoutOpenGLOrWithoutAVideoDriver)
{
    const struct {
        const char* driver;
        const char* message;
    } cases[] = {
        {"dummy", MODE_SET_FAILED},      // SDL's dummy driver has video but no OpenGL
        {"no-such-driver", INIT_FAILED}, // no driver of that name
    };
    for (const auto& c : cases) {
        if (!platform->chooses_video_driver() && c.message == INIT_FAILED)
            continue; // a browser without WebGL stands for the dummy driver; no other stands for a missing one
        SCOPED_TRACE(c.driver);
        EXPECT_NE(platform->start({}, {std::string("SDL_VIDEODRIVER=") + c.driver}), "");
        expect_failed_start(platform->wait_exit(), c.message);
    }
}

// --- What only the web page has -----------------------------------------------
// Walks whose pictures must be those on plain X, with nothing thrown and nothing scrolled; what else the page answers;
// and how it says the program ended. Skipped, saying why, where there is no page.

// Driver commands on the page, in place of a step's keys and mouse.
Step on_page(std::vector<std::string> commands)
{
    return {"", "", [commands](Platform& p) {
                for (const std::string& c : commands)
                    EXPECT_EQ(static_cast<Browser&>(p).run(c), "ok") << c;
            }};
}

const struct {
    const char* what;
    const char* screen;      // the driver's command that opens the page there, or "" for a desktop's window
    std::vector<Step> steps; // on plain X, and on the page where `page` is empty
    std::vector<Step> page;
} PAGE_WALKS[] = {
    {"repeats and drags off the canvas", "",
        {
            {"w held", "",
                [](Platform& p) {
                    // A held key repeats as more presses: one step.
                    for (int i = 0; i < 5; ++i)
                        p.key("w", true);
                    p.key("w", false);
                }},
            {"right Shift drag (turns)", "", [](Platform& p) { drag(p, 300, 300, 360, 250, 10, "Shift_R"); }},
            {"right Ctrl drag (turns)", "", [](Platform& p) { drag(p, 360, 250, 330, 200, 10, "Control_R"); }},
            // Out over the right edge and back in below: positions held to the edges.
            {"drag leaving the window", "", [](Platform& p) { drag(p, 320, 240, 1000, 700); }},
        },
        {}},
    {"touch buttons and one-finger drags", "",
        {
            {"q three times, m", "",
                [](Platform& p) {
                    tap(p, "q", 3);
                    tap(p, "m");
                }},
            {"a drag", "", [](Platform& p) { drag(p, 320, 240, 360, 300); }},
            {"a Shift drag", "", [](Platform& p) { drag(p, 320, 200, 320, 260, 10, "Shift_L"); }},
            {"a Ctrl drag", "", [](Platform& p) { drag(p, 300, 240, 340, 220, 10, "Control_L"); }},
            {"a drag after them (turns)", "", [](Platform& p) { drag(p, 340, 300, 300, 320); }},
        },
        {
            on_page({"click [data-key=q]", "click [data-key=q]", "click [data-key=q]", "click [data-key=m]"}),
            on_page({"touch-drag 320 240 360 300 10"}),
            on_page({"click [data-hold=Shift]", "touch-drag 320 200 320 260 10"}), // held for the next drag only
            on_page({"click [data-hold=Control]", "touch-drag 300 240 340 220 10"}),
            on_page({"touch-drag 340 300 300 320 10"}),
        }},
    {"2 device pixels to one (every other one compared)", "open 1280 800 2",
        {{"w three times", "", [](Platform& p) { tap(p, "w", 3); }}, {"m", "", [](Platform& p) { tap(p, "m"); }},
            {"a drag", "", [](Platform& p) { drag(p, 320, 240, 360, 300); }}},
        {}},
    {"a reload with the network off", "", {{"m", "", [](Platform& p) { tap(p, "m"); }}},
        {on_page({"offline-reload", "key m down", "key m up"})}},
};

const char* const PHONE = "open 390 844 3 touch";
// The scroll position and the readout, once the readout shows the last change (at most twice a second).
const char* const READOUT =
    "js new Promise(r => setTimeout(r, 1500)).then(() => [scrollY, document.getElementById('readout').textContent])";

const struct {
    const char* what;
    const char* screen; // as in PAGE_WALKS
    std::vector<std::string> commands;
    std::string probe, want; // where `want` is empty: the probe's answer after `alike` on a new page
    std::vector<std::string> alike;
} PAGE_CHECKS[] = {
    {"a phone's screen holds the canvas at 4:3, nothing scrolls sideways or is zoomed out", PHONE, {},
        "js (r => r.left >= 0 && r.right <= innerWidth && r.width * 3 == r.height * 4 && innerWidth == 390 && "
        "document.documentElement.scrollWidth <= 390)(document.getElementById('screen').getBoundingClientRect())",
        "ok true", {}},
    {"a finger on a scrolled phone page turns the scene as the mouse does", PHONE,
        {"js scrollTo(0, 40)", "touch-drag 320 240 420 300 4"}, READOUT, "",
        {"js scrollTo(0, 40)", "move 320 240", "button down", "move 345 255", "move 370 270", "move 395 285",
            "move 420 300", "button up"}},
    {"2 device pixels to one: the canvas holds them", "open 1280 800 2", {},
        "js (c => [c.width, c.height])(document.getElementById('screen'))", "ok [1280,960]", {}},
    {"the readout after keys", "",
        {"key w down", "key w up", "key w down", "key w up", "key w down", "key w up", "key a down", "key a up",
            "key e down", "key e up", "key e down", "key e up"},
        READOUT,
        "ok [0,\"Angles: x 3°, y -1°, z 2°\\nMethod: chain of rotations (white)\\nTrackball: x 0.000, y 0.000, z "
        "0.000, w 1.000\"]",
        {}},
    {"the readout after m", "", {"key s down", "key s up", "key m down", "key m up"}, READOUT,
        "ok [0,\"Angles: x -1°, y 0°, z 0°\\nMethod: quaternion product (yellow)\\nTrackball: x 0.000, y 0.000, z "
        "0.000, w 1.000\"]",
        {}},
    {"a lost WebGL context: a line that says so and a way to start again", "",
        {"js document.getElementById('screen').getContext('webgl').getExtension('WEBGL_lose_context').loseContext()"},
        "js new Promise(r => setTimeout(r, 500)).then(() => document.getElementById('output').textContent)",
        "ok \"Initializing SDL.\\ninitializing display to 32-bit 640 by 480\\nThe browser took the canvas's WebGL "
        "context away, as it may do when the page is in the background; the picture cannot come back without a new "
        "start.\\nStart again\"",
        {}},
};

class Page : public testing::Test {
protected:
    void SetUp() override { TURNFAN_SKIP_IF(page.unavailable()); }

    void expect_page_untouched()
    {
        EXPECT_EQ(page.run("scroll"), "ok 0 0") << "the program's input scrolled the page";
        EXPECT_EQ(page.run("errors"), "ok []");
    }

    Browser page;
};

TEST_F(Page, WalksActAsOnTheDesktop)
{
    for (const auto& walk : PAGE_WALKS) {
        SCOPED_TRACE(walk.what);
        ASSERT_EQ(page.start(), "");
        if (*walk.screen) {
            ASSERT_EQ(page.run(walk.screen), "ok");
        }
        expect_as_on_plain_x(page, walk.steps, walk.page);
        expect_page_untouched();
    }
}

TEST_F(Page, AnswersOnAPhoneInItsReadoutAndAfterALostContext)
{
    for (const auto& check : PAGE_CHECKS) {
        SCOPED_TRACE(check.what);
        std::string answers[2];
        for (int i = 0; i < (check.want.empty() ? 2 : 1); ++i) {
            ASSERT_EQ(page.start(), "");
            if (*check.screen) {
                ASSERT_EQ(page.run(check.screen), "ok");
            }
            for (const std::string& c : i == 0 ? check.commands : check.alike)
                EXPECT_EQ(page.run(c).substr(0, 2), "ok") << c;
            answers[i] = page.run(check.probe);
        }
        EXPECT_EQ(answers[0], check.want.empty() ? answers[1] : check.want);
        if (check.want.empty()) {
            EXPECT_TRUE(
                answers[0].find("Trackball") != std::string::npos && answers[0].find("w 1.000") == std::string::npos)
                << "nothing turned";
        }
        EXPECT_EQ(page.run("errors"), "ok []");
    }
}

TEST_F(Page, SaysHowTheProgramEndedAndOffersToStartItAgain)
{
    const struct {
        const char* what;
        std::vector<std::string> env;
        int status;
    } ends[] = {
        {"Esc", {}, 0},
        {"no WebGL", {"SDL_VIDEODRIVER=dummy"}, 1},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.what);
        const bool started = page.start({}, end.env) == "";
        EXPECT_EQ(started, end.status == 0);
        if (started)
            tap(page, "Escape");
        const ExitResult r = page.wait_exit();
        EXPECT_EQ(r.status, end.status);
        const std::string text = page.page_text();
        EXPECT_EQ(text.substr(0, r.out.size()), r.out);
        const std::string last = "turnfan ended with status " + std::to_string(end.status) + ".\nStart again";
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), last.size())), last) << text;
        expect_page_untouched();
    }
}

} // namespace
