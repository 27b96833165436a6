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

// The depth printed is the one SDL reports for the desktop, and the window
// opens there: on a 15-bit screen classic SDL reports 16, the compatibility
// layer 15, which it then refuses for the window until asked for its own choice.
TEST(Shell, WindowOpensAtTheDesktopsDepth)
{
    const struct {
        int screen, classic, compat;
    } rows[] = {{16, 16, 16}, {15, 16, 15}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.screen);
        Session s(row.screen);
        ASSERT_TRUE(shows_first_frame(s));
        expect_clean_close(*s.viewer, started_banner(sdl_compat() ? row.compat : row.classic) + QUIT_LINE);
    }
}

// Launchers that close a standard stream or read only the first line: the
// window opens and keeps running. `$0` is the viewer, started by a shell that
// rewires its output first.
TEST(Shell, WindowRunsWhateverItsOutputIsConnectedTo)
{
    XvfbServer server;
    ASSERT_TRUE(server.ok());
    {
        SCOPED_TRACE("standard output closed");
        Viewer viewer(server.display(), "/bin/sh", {"-c", "exec \"$0\" >&-", viewer_binary()});
        ASSERT_TRUE(viewer.wait_for_window());
        viewer.move_pointer(600, 40); // no window manager: the keyboard follows the pointer
        viewer.tap("Escape");
        expect_clean_end(viewer.wait_exit(), "");
    }
    {
        SCOPED_TRACE("a reader that takes the first line and goes");
        Viewer viewer(server.display(), "/bin/bash", {"-c", "exec \"$0\" > >(head -n 1)", viewer_binary()});
        ASSERT_TRUE(viewer.wait_for_window());
        expect_clean_close(viewer, INITIALIZING);
    }
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
