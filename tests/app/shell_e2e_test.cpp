// The real binary on a private X server: what it prints, how it ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>

#include "paths.h"
#include "viewer.h"
#include "xvfb.h"

namespace {

const std::string STARTED = "Initializing SDL.\ninitializing display to 32-bit 640 by 480\n";

// One line on standard error: the fixed text, then SDL's reason.
void expect_one_error_line(const std::string& err, const std::string& prefix)
{
    ASSERT_EQ(err.compare(0, prefix.size(), prefix), 0) << err;
    EXPECT_GT(err.size(), prefix.size() + 1) << "SDL's reason is missing: " << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

TEST(Shell, WindowCloseQuitsWithStatusZero)
{
    XvfbServer server;
    ASSERT_TRUE(server.ok());
    Viewer viewer(server.display(), viewer_binary());
    ASSERT_TRUE(viewer.wait_for_window());
    pause_seconds(0.5);
    viewer.close_window();
    ExitResult r = viewer.wait_exit();
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, STARTED + "Quit requested, quitting.\n");
    EXPECT_EQ(r.err, "");
}

// Ctrl-\ ends the viewer at once every time, by the signal's own default
// action; the start-up lines were out before it, though stdout is a pipe.
TEST(Shell, SigquitEndsItEveryTimeWithItsLinesOut)
{
    const rlimit no_core = {0, 0};
    ASSERT_EQ(setrlimit(RLIMIT_CORE, &no_core), 0);
    XvfbServer server;
    ASSERT_TRUE(server.ok());
    for (int run = 0; run < 8; ++run) {
        Viewer viewer(server.display(), viewer_binary());
        ASSERT_TRUE(viewer.wait_for_window());
        kill(viewer.pid(), SIGQUIT);
        ExitResult r = viewer.wait_exit(10.0);
        EXPECT_EQ(r.signal, SIGQUIT) << "run " << run;
        EXPECT_EQ(r.out, STARTED) << "run " << run;
    }
}

TEST(Shell, ArgumentsAreIgnored)
{
    XvfbServer server;
    ASSERT_TRUE(server.ok());
    Viewer viewer(server.display(), viewer_binary(), {"--help", "-fullscreen", "800", "600", "no-such-file"});
    ASSERT_TRUE(viewer.wait_for_window());
    viewer.close_window();
    ExitResult r = viewer.wait_exit();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, STARTED + "Quit requested, quitting.\n");
    EXPECT_EQ(r.err, "");
}

// The depth printed is the desktop's, and it is the depth the window asks for.
TEST(Shell, SixteenBitDesktopGivesASixteenBitWindow)
{
    XvfbServer server(16);
    ASSERT_TRUE(server.ok());
    Viewer viewer(server.display(), viewer_binary());
    ASSERT_TRUE(viewer.wait_for_window());
    viewer.close_window();
    ExitResult r = viewer.wait_exit();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Initializing SDL.\ninitializing display to 16-bit 640 by 480\nQuit requested, quitting.\n");
    EXPECT_EQ(r.err, "");
}

TEST(Shell, NoOpenGLMeansVideoModeSetFailed)
{
    // SDL's dummy driver has video but no OpenGL.
    ExitResult r = run_to_exit("", viewer_binary(), {}, {"SDL_VIDEODRIVER=dummy"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    // Both lines are out before the mode is tried; the depth is whatever the driver reports.
    const std::string head = "Initializing SDL.\ninitializing display to ";
    const std::string tail = "-bit 640 by 480\n";
    ASSERT_GT(r.out.size(), head.size() + tail.size()) << r.out;
    EXPECT_EQ(r.out.compare(0, head.size(), head), 0) << r.out;
    EXPECT_EQ(r.out.compare(r.out.size() - tail.size(), tail.size(), tail), 0) << r.out;
    expect_one_error_line(r.err, "Video mode set failed: ");
}

TEST(Shell, UnknownVideoDriverMeansVideoInitializationFailed)
{
    ExitResult r = run_to_exit("", viewer_binary(), {}, {"SDL_VIDEODRIVER=no-such-driver"});
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Initializing SDL.\n");
    expect_one_error_line(r.err, "Video initialization failed: ");
}

} // namespace
