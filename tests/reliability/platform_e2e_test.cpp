// The real binary on platforms that cannot give it what it needs: no display,
// a display without OpenGL, an 8-bit screen. Each must end in
// the program's own behaviour or one of its three start-up messages with status
// 1, never a crash or a hang. Also checks which SDL 1.2 the viewer runs on.
// Where SDL's words or depths are what it prints, they are those of the SDL
// under test (sdl_under_test.h).
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "expect.h"
#include "paths.h"
#include "platform.h"
#include "proc.h"
#include "sdl_under_test.h"

namespace {

// Runs `argv` (by default the viewer) with these environment changes, and no
// DISPLAY unless they name one, and waits for it to end by itself.
ExitResult run_to_exit(
    std::vector<std::string> env, double seconds = 20.0, const std::vector<std::string>& argv = {viewer_binary()})
{
    env.insert(env.begin(), "DISPLAY=");
    Process viewer(argv, {env});
    return viewer.wait(seconds);
}

TEST(Platform, ViewerRunsOnTheSdlUnderTest)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    X11 x;
    ASSERT_EQ(x.start(), "");
    const std::string maps = proc_file(x.viewer().pid(), "maps");
    const SdlUnderTest& sdl = sdl_under_test();
    EXPECT_NE(maps.find(sdl.library), std::string::npos) << maps;
    EXPECT_EQ(maps.find("libSDL2-2.0.so") != std::string::npos, sdl.compat) << maps;
    EXPECT_EQ(sdl.library.find("/sdl12-compat/") != std::string::npos, unpacked_compat_run()) << sdl.library;
    expect_clean_close(x);
}

// No display to be had: none named, none on the number named, with or without
// a terminal. SDL is asked for X11 then, so both SDLs end at once with the
// program's own line, instead of falling back to a terminal driver (escape
// codes on standard output) or an offscreen one (no window, full CPU).
TEST(Platform, NoDisplayEndsAtOnce)
{
    const std::string dead = ":196";
    ASSERT_NE(access("/tmp/.X11-unix/X196", F_OK), 0) << "a server answers on " << dead;
    const struct {
        std::string display;
        std::vector<std::string> env;
    } rows[] = {
        {"", {"TERM=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR="}},
        {"", {"TERM=xterm", "WAYLAND_DISPLAY="}},
        {dead, {"TERM=xterm", "WAYLAND_DISPLAY="}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("DISPLAY=" + row.display + (row.env[0] == "TERM=" ? ", no terminal" : ", " + row.env[0]));
        std::vector<std::string> env = row.env;
        env.push_back("DISPLAY=" + row.display);
        ExitResult r = run_to_exit(env, 10.0);
        expect_failed_start(r, INIT_FAILED);
        EXPECT_EQ(r.out, INITIALIZING);
    }
}

// An X server without the GLX extension.
TEST(Platform, DisplayWithoutOpenGL)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    XvfbServer server(24, {"-extension", "GLX"});
    ASSERT_TRUE(server.ok());
    ExitResult r = run_to_exit({"DISPLAY=" + server.display()});
    expect_failed_start(r, MODE_SET_FAILED);
    EXPECT_EQ(r.out, started_banner());
    EXPECT_EQ(r.err, MODE_SET_FAILED + sdl_under_test().no_fitting_glx_visual);
}

// An 8-bit PseudoColor screen: the depth is printed and asked for, and no GL
// visual has it.
TEST(Platform, EightBitScreen)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    XvfbServer server(8);
    ASSERT_TRUE(server.ok());
    ExitResult r = run_to_exit({"DISPLAY=" + server.display()});
    expect_failed_start(r, MODE_SET_FAILED);
    EXPECT_EQ(r.out, started_banner(sdl_under_test().palette_depth));
    EXPECT_EQ(r.err, MODE_SET_FAILED + sdl_under_test().no_fitting_glx_visual);

    // With standard error closed the reason is lost, and the failure still ends it at once.
    r = run_to_exit({"DISPLAY=" + server.display()}, 10.0, {"/bin/sh", "-c", "exec \"$0\" 2>&-", viewer_binary()});
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal;
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, started_banner(sdl_under_test().palette_depth));
}

} // namespace
