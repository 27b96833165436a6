// The real binary on platforms that cannot give it what it needs: no display
// and no terminal, a display without OpenGL, an 8-bit screen. Each must end in
// the program's own behaviour or one of its three start-up messages with status
// 1, never a crash or a hang. Also checks which SDL 1.2 the viewer runs on.
//
// TURNFAN_SDL names the SDL 1.2 implementation the viewer is run against:
// "classic" (the default, libsdl1.2debian) or "compat" (libsdl1.2-compat over
// SDL2, through LD_LIBRARY_PATH). Where the two differ, each outcome is fixed here.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "expect.h"
#include "paths.h"
#include "platform.h"
#include "proc.h"

namespace {

// Whether the process has installed a handler for sig (SDL does for SIGTERM
// inside SDL_Init, and turns the signal into a quit event).
bool catches(pid_t pid, int sig)
{
    return (std::strtoull(proc_status(pid, "SigCgt").c_str(), nullptr, 16) >> (sig - 1)) & 1;
}

// Whether the process has ended (a zombie not yet waited for, or gone).
bool ended(pid_t pid)
{
    const std::string state = proc_stat(pid, 3);
    return state.empty() || state == "Z";
}

// Runs the viewer with these environment changes and no DISPLAY unless they
// name one, and waits for it to end by itself.
ExitResult run_to_exit(std::vector<std::string> env)
{
    env.insert(env.begin(), "DISPLAY=");
    Process viewer({viewer_binary()}, {env});
    return viewer.wait();
}

TEST(Platform, ViewerRunsOnTheSdlUnderTest)
{
    X11 x;
    ASSERT_EQ(x.start(), "");
    const std::string maps = proc_file(x.viewer().pid(), "maps");
    if (sdl_compat()) {
        EXPECT_NE(maps.find("/sdl12-compat/libSDL-1.2.so"), std::string::npos) << maps;
        EXPECT_NE(maps.find("libSDL2-2.0.so"), std::string::npos) << maps;
    } else {
        EXPECT_NE(maps.find("libSDL-1.2.so"), std::string::npos) << maps;
        EXPECT_EQ(maps.find("sdl12-compat"), std::string::npos) << maps;
        EXPECT_EQ(maps.find("libSDL2"), std::string::npos) << maps;
    }
    expect_clean_close(x);
}

// No DISPLAY, no TERM, no standard input: as in CI. Classic SDL falls back to
// its terminal drivers, and the curses library under one of them ends the
// process itself. The compatibility layer falls back to SDL2's offscreen
// driver: where EGL is installed that driver has OpenGL and the viewer runs
// without a window until a signal (which SDL turns into a quit event) ends it;
// without EGL the mode set fails. Either is the program's own behaviour.
TEST(Platform, NoDisplayAndNoTerminal)
{
    const std::vector<std::string> env = {"TERM=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR="};
    if (!sdl_compat()) {
        ExitResult r = run_to_exit(env);
        ASSERT_TRUE(r.exited) << "ended by signal " << r.signal;
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, INITIALIZING);
        EXPECT_EQ(r.err, "Error opening terminal: unknown.\n");
        return;
    }
    Process viewer({viewer_binary()}, {{"DISPLAY=", env[0], env[1], env[2]}});
    const pid_t pid = viewer.pid();
    ASSERT_GT(pid, 0);
    if (!wait_until([&] { return ended(pid); }, 3.0)) {
        ASSERT_TRUE(catches(pid, SIGTERM)) << "SDL never started";
        kill(pid, SIGTERM);
    }
    ExitResult r = viewer.wait();
    // libwayland's complaint while SDL2 probes for a Wayland display comes first.
    const std::string wayland = "error: XDG_RUNTIME_DIR is invalid or not set in the environment.\n";
    ASSERT_EQ(r.err.compare(0, wayland.size(), wayland), 0) << r.err;
    r.err.erase(0, wayland.size());
    if (r.exited && r.status == 0)
        expect_clean_end(r, started_banner() + QUIT_LINE);
    else
        expect_failed_start(r, r.out == INITIALIZING ? INIT_FAILED : MODE_SET_FAILED);
}

// An X server without the GLX extension.
TEST(Platform, DisplayWithoutOpenGL)
{
    XvfbServer server(24, {"-extension", "GLX"});
    ASSERT_TRUE(server.ok());
    ExitResult r = run_to_exit({"DISPLAY=" + server.display()});
    expect_failed_start(r, MODE_SET_FAILED);
    EXPECT_EQ(r.out, started_banner());
    const std::string reason = sdl_compat() ? "GLX is not supported\n" : "Couldn't find matching GLX visual\n";
    EXPECT_EQ(r.err, MODE_SET_FAILED + reason);
}

// An 8-bit PseudoColor screen: the depth is printed and asked for, and no GL
// visual has it.
TEST(Platform, EightBitScreen)
{
    XvfbServer server(8);
    ASSERT_TRUE(server.ok());
    ExitResult r = run_to_exit({"DISPLAY=" + server.display()});
    expect_failed_start(r, MODE_SET_FAILED);
    // The compatibility layer reports no depth for a palette screen.
    EXPECT_EQ(r.out, started_banner(sdl_compat() ? 0 : 8));
    const std::string reason = sdl_compat() ? "GLX is not supported\n" : "Couldn't find matching GLX visual\n";
    EXPECT_EQ(r.err, MODE_SET_FAILED + reason);
}

} // namespace
