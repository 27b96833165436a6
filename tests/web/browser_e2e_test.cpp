// What only the web page has, in headless Chromium next to the viewer on plain
// X (the shared scenario runs on the page too): keys that repeat and a drag that
// leaves the canvas act as on the desktop, the touch buttons and one-finger
// drags do what keys and the mouse do, and the page says how the program ended,
// with nothing thrown and nothing scrolled.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "expect.h"
#include "platform.h"

namespace {

// The same input on both; pictures within one pixel.
struct Step {
    const char* what;
    std::function<void(Platform&)> input;
};

void hold_w(Platform& p)
{
    // A held key repeats as more presses: one step.
    for (int i = 0; i < 5; ++i)
        p.key("w", true);
    p.key("w", false);
}

const std::vector<Step> DESKTOP_STEPS = {
    {"w held", hold_w},
    {"right Shift drag (turns)", [](Platform& p) { drag(p, 300, 300, 360, 250, 10, "Shift_R"); }},
    {"right Ctrl drag (turns)", [](Platform& p) { drag(p, 360, 250, 330, 200, 10, "Control_R"); }},
    // Out over the right edge and back in below: positions held to the edges.
    {"drag leaving the window", [](Platform& p) { drag(p, 320, 240, 1000, 700); }},
};

// The touch buttons and one-finger drags against the keys and the mouse.
const std::vector<Step> TOUCH_STEPS = {
    {"q three times, m",
        [](Platform& p) {
            tap(p, "q", 3);
            tap(p, "m");
        }},
    {"a drag", [](Platform& p) { drag(p, 320, 240, 360, 300); }},
    {"a Shift drag", [](Platform& p) { drag(p, 320, 200, 320, 260, 10, "Shift_L"); }},
    {"a Ctrl drag", [](Platform& p) { drag(p, 300, 240, 340, 220, 10, "Control_L"); }},
    {"a drag after them (turns)", [](Platform& p) { drag(p, 340, 300, 300, 320); }},
};
const std::vector<std::vector<std::string>> TOUCHES = {
    {"click [data-key=q]", "click [data-key=q]", "click [data-key=q]", "click [data-key=m]"},
    {"touch-drag 320 240 360 300 10"},
    {"click [data-hold=Shift]", "touch-drag 320 200 320 260 10"}, // held for the next drag only
    {"click [data-hold=Control]", "touch-drag 300 240 340 220 10"},
    {"touch-drag 340 300 300 320 10"},
};

// The pictures on plain X after each step.
std::vector<Image> desktop_pictures(const std::vector<Step>& steps)
{
    std::vector<Image> pictures;
    auto x = make_platform("x11");
    if (x->start() != "")
        return pictures;
    for (const Step& step : steps) {
        const Image before = grab_settled(*x);
        step.input(*x);
        grab_until(*x, [&](const Image& i) { return i.rgb != before.rgb; });
        pictures.push_back(grab_settled(*x));
    }
    expect_clean_close(*x);
    return pictures;
}

class Page : public testing::Test {
protected:
    void SetUp() override { TURNFAN_SKIP_IF(page.unavailable()); }

    // Within one pixel of the desktop's, waiting for the page to get there.
    void expect_picture(const Image& want, const std::string& what)
    {
        const Image got =
            grab_until(page, [&](const Image& i) { return unmatched_pixels(i, want, page.picture_reach()) == 0; });
        EXPECT_EQ(differing_pixels(got, want, "page " + what, page.picture_reach()), 0) << what;
    }

    void expect_page_untouched()
    {
        EXPECT_EQ(page.run("scroll"), "ok 0 0") << "the program's input scrolled the page";
        EXPECT_EQ(page.run("errors"), "ok []");
    }

    Browser page;
};

TEST_F(Page, RepeatsAndDragsOffTheCanvasActAsOnTheDesktop)
{
    const std::vector<Image> want = desktop_pictures(DESKTOP_STEPS);
    ASSERT_EQ(want.size(), DESKTOP_STEPS.size());
    ASSERT_EQ(page.start(), "");
    for (size_t i = 0; i < DESKTOP_STEPS.size(); ++i) {
        DESKTOP_STEPS[i].input(page);
        expect_picture(want[i], DESKTOP_STEPS[i].what);
    }
    expect_page_untouched();
}

TEST_F(Page, TouchButtonsAndOneFingerDragsDoWhatKeysAndTheMouseDo)
{
    const std::vector<Image> want = desktop_pictures(TOUCH_STEPS);
    ASSERT_EQ(want.size(), TOUCH_STEPS.size());
    ASSERT_EQ(page.start(), "");
    for (size_t i = 0; i < TOUCHES.size(); ++i) {
        for (const std::string& touch : TOUCHES[i])
            ASSERT_EQ(page.run(touch), "ok") << touch;
        expect_picture(want[i], TOUCH_STEPS[i].what);
    }
    expect_page_untouched();
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
