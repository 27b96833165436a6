// The real binary on platforms that cannot give it what it needs: no display,
// a display without OpenGL, an 8-bit screen. Each must end in
// the program's own behaviour or one of its three start-up messages with status
// 1, never a crash or a hang. Also checks which SDL 1.2 the viewer runs on.
//
// TURNFAN_SDL names the SDL 1.2 implementation the viewer is run against:
// "classic" (the default, libsdl1.2debian) or "compat" (libsdl1.2-compat over
// SDL2, through LD_LIBRARY_PATH). Where the two differ, each outcome is fixed here.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "paths.h"
#include "proc.h"
#include "session.h"

namespace {

TEST(Platform, ViewerRunsOnTheSdlUnderTest)
{
    Session s;
    ASSERT_TRUE(shows_first_frame(s));
    const std::string maps = proc_file(s.viewer->pid(), "maps");
    if (sdl_compat()) {
        EXPECT_NE(maps.find("/sdl12-compat/libSDL-1.2.so"), std::string::npos) << maps;
        EXPECT_NE(maps.find("libSDL2-2.0.so"), std::string::npos) << maps;
    } else {
        EXPECT_NE(maps.find("libSDL-1.2.so"), std::string::npos) << maps;
        EXPECT_EQ(maps.find("sdl12-compat"), std::string::npos) << maps;
        EXPECT_EQ(maps.find("libSDL2"), std::string::npos) << maps;
    }
    expect_clean_close(*s.viewer);
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
        ExitResult r = run_to_exit(row.display, viewer_binary(), {}, row.env, 10.0);
        expect_failed_start(r, INIT_FAILED);
        EXPECT_EQ(r.out, INITIALIZING);
    }
}

// An X server without the GLX extension.
TEST(Platform, DisplayWithoutOpenGL)
{
    // XvfbServer starts "Xvfb" from PATH: put one first that adds -extension GLX.
    char dir_template[] = "/tmp/turnfan-noglx-XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    const std::string wrapper = dir + "/Xvfb";
    const std::string path = std::getenv("PATH");
    std::ofstream(wrapper) << "#!/bin/sh\nPATH='" << path << "' exec Xvfb \"$@\" -extension GLX\n";
    chmod(wrapper.c_str(), 0755);
    setenv("PATH", (dir + ":" + path).c_str(), 1);
    XvfbServer server;
    setenv("PATH", path.c_str(), 1);
    std::remove(wrapper.c_str());
    rmdir(dir.c_str());
    ASSERT_TRUE(server.ok());

    ExitResult r = run_to_exit(server.display(), viewer_binary(), {}, {});
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
    ExitResult r = run_to_exit(server.display(), viewer_binary(), {}, {});
    expect_failed_start(r, MODE_SET_FAILED);
    // The compatibility layer reports no depth for a palette screen.
    EXPECT_EQ(r.out, started_banner(sdl_compat() ? 0 : 8));
    const std::string reason = sdl_compat() ? "GLX is not supported\n" : "Couldn't find matching GLX visual\n";
    EXPECT_EQ(r.err, MODE_SET_FAILED + reason);

    // With standard error closed the reason is lost, and the failure still ends it at once.
    r = run_to_exit(server.display(), "/bin/sh", {"-c", "exec \"$0\" 2>&-", viewer_binary()}, {}, 10.0);
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal;
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, started_banner(sdl_compat() ? 0 : 8));
}

} // namespace
