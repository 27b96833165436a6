// The real binary on a private X server, where X alone can set the scene: what
// it prints, how it ends, and input no other platform can give.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros would clash with its names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/resource.h>

#include <list>
#include <vector>

#include "expect.h"
#include "sdl_under_test.h"

namespace {

// Ctrl-\ ends it at once every time by the signal's default action, its
// start-up lines out before, though stdout is a pipe.
TEST(Shell, SigquitEndsItEveryTimeWithItsLinesOut)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    const rlimit no_core = {0, 0};
    ASSERT_EQ(setrlimit(RLIMIT_CORE, &no_core), 0);
    X11 x;
    for (int run = 0; run < 8; ++run) {
        ASSERT_EQ(x.start(), "");
        kill(x.pid(), SIGQUIT);
        ExitResult r = x.wait_exit(10.0);
        EXPECT_EQ(r.signal, SIGQUIT) << "run " << run;
        EXPECT_EQ(r.out, started_banner()) << "run " << run;
    }
}

// Arguments are ignored. The window opens at the depth SDL reports for the desktop, which it prints, also where the SDL
// under test reports 15 bits. It runs under launchers (`$0`: the viewer) that close its output or read one line.
TEST(Shell, WindowRunsAtTheDesktopsDepthWhateverItsArgumentsAndOutput)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    const struct {
        const char* what;
        int screen;
        std::vector<std::string> args, launcher;
        const char* end_key; // else a window close
        std::string out;
    } rows[] = {
        {"arguments", 24, {"--help", "-fullscreen", "800", "600", "no-such-file"}, {}, nullptr,
            started_banner() + QUIT_LINE},
        {"16 bits", 16, {}, {}, nullptr, started_banner(16) + QUIT_LINE},
        {"15 bits", 15, {}, {}, nullptr, started_banner(sdl_under_test().depth_on_15_bits) + QUIT_LINE},
        {"standard output closed", 24, {}, {"/bin/sh", "-c", "exec \"$0\" >&-"}, "Escape", ""},
        {"a reader that takes the first line and goes", 24, {}, {"/bin/bash", "-c", "exec \"$0\" > >(head -n 1)"},
            nullptr, INITIALIZING},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        X11 x(row.screen);
        x.launcher = row.launcher;
        ASSERT_EQ(x.start(row.args), "");
        if (row.end_key)
            tap(x, row.end_key);
        else
            EXPECT_EQ(x.close(), "");
        expect_clean_end(x.wait_exit(), row.out);
    }
}

// A key held with the server repeating it every millisecond, while three other
// viewers keep the machine busy: neither its repeats nor SDL's add a step.
TEST(Shell, KeyHeldForASecondStepsOnceUnderLoad)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    X11 x;
    ASSERT_EQ(x.start(), "");
    const Image start = grab_settled(x);
    Display* dpy = x.screen().dpy;
    XAutoRepeatOn(dpy);
    XkbSetAutoRepeatRate(dpy, XkbUseCoreKbd, 250, 1);
    XSync(dpy, False);
    XvfbServer elsewhere;
    ASSERT_TRUE(elsewhere.ok());
    std::list<Process> load;
    for (int i = 0; i < 3; ++i)
        load.emplace_back(
            std::vector<std::string>{viewer_binary()}, ProcessOptions{{"DISPLAY=" + elsewhere.display()}});
    for (int hold = 0; hold < 6; ++hold) {
        x.key("w", true);
        const Image moved = grab_until(x, [&](const Image& i) { return i.rgb != start.rgb; });
        ASSERT_NE(moved.rgb, start.rgb);
        // Held on purpose: the length of the hold is what is tested.
        pause_seconds(1.0);
        x.key("w", false);
        // One step back: only a single step forward brings the start picture back.
        tap(x, "s");
        const Image back = grab_until(x, [&](const Image& i) { return i.rgb == start.rgb; });
        ASSERT_EQ(back.rgb, start.rgb) << "hold " << hold;
    }
}

// SDL drops what overflows its queue, the release too: the pointer moving
// afterwards with no button held must not turn the scene.
TEST(Shell, BurstThatOverflowsTheQueueLeavesNoDragBehind)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    X11 x;
    ASSERT_EQ(x.start(), "");
    Display* dpy = x.screen().dpy;
    for (int burst = 0; burst < 4; ++burst) {
        // Button 1 down, 3000 motions, up, all at once.
        x.move_pointer(320, 240);
        int root_x = 0, root_y = 0;
        Window child;
        XTranslateCoordinates(dpy, x.screen().window, DefaultRootWindow(dpy), 320, 240, &root_x, &root_y, &child);
        XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
        for (int i = 1; i <= 3000; ++i)
            XTestFakeMotionEvent(dpy, -1, root_x + i % 40, root_y + i % 30, CurrentTime);
        XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
        XSync(dpy, False);
        const Image after = grab_settled(x);
        for (int i = 0; i < 10; ++i) {
            x.move_pointer(100 + 40 * i, 100 + 25 * i);
            pause_seconds(0.02);
        }
        const Image moved = grab_settled(x);
        ASSERT_EQ(moved.rgb, after.rgb) << "burst " << burst;
    }
}

} // namespace
