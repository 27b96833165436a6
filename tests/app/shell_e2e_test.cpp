// The real binary on a private X server: what it prints, how it ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "paths.h"
#include "session.h"

namespace {

TEST(Shell, WindowCloseQuitsWithStatusZero)
{
    Session s;
    ASSERT_TRUE(shows_first_frame(s));
    pause_seconds(0.5);
    expect_clean_close(*s.viewer);
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
        EXPECT_EQ(r.out, started_banner()) << "run " << run;
    }
}

TEST(Shell, ArgumentsAreIgnored)
{
    Session s(24, {"--help", "-fullscreen", "800", "600", "no-such-file"});
    ASSERT_TRUE(shows_first_frame(s));
    expect_clean_close(*s.viewer);
}

// The depth printed is the desktop's, and it is the depth the window asks for.
TEST(Shell, SixteenBitDesktopGivesASixteenBitWindow)
{
    Session s(16);
    ASSERT_TRUE(shows_first_frame(s));
    expect_clean_close(*s.viewer, started_banner(16) + QUIT_LINE);
}

TEST(Shell, NoOpenGLMeansVideoModeSetFailed)
{
    // SDL's dummy driver has video but no OpenGL.
    expect_failed_start(run_to_exit("", viewer_binary(), {}, {"SDL_VIDEODRIVER=dummy"}), MODE_SET_FAILED);
}

TEST(Shell, UnknownVideoDriverMeansVideoInitializationFailed)
{
    expect_failed_start(run_to_exit("", viewer_binary(), {}, {"SDL_VIDEODRIVER=no-such-driver"}), INIT_FAILED);
}

} // namespace
