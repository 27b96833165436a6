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
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "paths.h"
#include "viewer.h"
#include "xvfb.h"

namespace {

const std::string INITIALIZING = "Initializing SDL.\n";
const std::string QUIT = "Quit requested, quitting.\n";

bool compat()
{
    const char* impl = std::getenv("TURNFAN_SDL");
    return impl && std::string(impl) == "compat";
}

std::string display_line(int depth)
{
    return "initializing display to " + std::to_string(depth) + "-bit 640 by 480\n";
}

// A failed start: status 1, standard output holds the first line and, when
// the mode was tried, the display line; standard error holds one line, the
// message of the step that failed with SDL's reason.
void expect_failed_start(const ExitResult& r)
{
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.out << r.err;
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.out.compare(0, INITIALIZING.size(), INITIALIZING), 0) << r.out;
    const std::string rest = r.out.substr(INITIALIZING.size());
    const std::string prefix = rest.empty() ? "Video initialization failed: " : "Video mode set failed: ";
    if (!rest.empty()) {
        const std::string head = "initializing display to ", tail = "-bit 640 by 480\n";
        ASSERT_GT(rest.size(), head.size() + tail.size()) << rest;
        EXPECT_EQ(rest.compare(0, head.size(), head), 0) << rest;
        EXPECT_EQ(rest.compare(rest.size() - tail.size(), tail.size(), tail), 0) << rest;
        EXPECT_EQ(rest.find('\n'), rest.size() - 1) << rest;
    }
    ASSERT_EQ(r.err.compare(0, prefix.size(), prefix), 0) << r.err;
    EXPECT_GT(r.err.size(), prefix.size() + 1) << "SDL's reason is missing";
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

// Whether the process has installed a handler for sig (SDL does for SIGTERM
// inside SDL_Init, and turns the signal into a quit event).
bool catches(pid_t pid, int sig)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 7, "SigCgt:") == 0)
            return (std::strtoull(line.c_str() + 7, nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

// Whether the process has ended (a zombie not yet waited for, or gone).
bool ended(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t paren = stat.rfind(')');
    return paren == std::string::npos || paren + 2 >= stat.size() || stat[paren + 2] == 'Z';
}

std::string maps_of(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/maps");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Platform, ViewerRunsOnTheSdlUnderTest)
{
    XvfbServer server;
    ASSERT_TRUE(server.ok());
    Viewer viewer(server.display(), viewer_binary());
    ASSERT_TRUE(viewer.wait_for_window());
    const std::string maps = maps_of(viewer.pid());
    if (compat()) {
        EXPECT_NE(maps.find("/sdl12-compat/libSDL-1.2.so"), std::string::npos) << maps;
        EXPECT_NE(maps.find("libSDL2-2.0.so"), std::string::npos) << maps;
    } else {
        EXPECT_NE(maps.find("libSDL-1.2.so"), std::string::npos) << maps;
        EXPECT_EQ(maps.find("sdl12-compat"), std::string::npos) << maps;
        EXPECT_EQ(maps.find("libSDL2"), std::string::npos) << maps;
    }
    viewer.close_window();
    ExitResult r = viewer.wait_exit();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, INITIALIZING + display_line(32) + QUIT);
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
    if (!compat()) {
        ExitResult r = run_to_exit("", viewer_binary(), {}, env);
        ASSERT_TRUE(r.exited) << "ended by signal " << r.signal;
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, INITIALIZING);
        EXPECT_EQ(r.err, "Error opening terminal: unknown.\n");
        return;
    }
    Viewer viewer("", viewer_binary(), {}, env);
    const pid_t pid = viewer.pid();
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 60 && !ended(pid); ++i)
        pause_seconds(0.05);
    if (!ended(pid)) {
        ASSERT_TRUE(catches(pid, SIGTERM)) << "SDL never started";
        kill(pid, SIGTERM);
    }
    ExitResult r = viewer.wait_exit();
    // libwayland's complaint while SDL2 probes for a Wayland display comes first.
    const std::string wayland = "error: XDG_RUNTIME_DIR is invalid or not set in the environment.\n";
    ASSERT_EQ(r.err.compare(0, wayland.size(), wayland), 0) << r.err;
    r.err.erase(0, wayland.size());
    if (r.exited && r.status == 0) {
        EXPECT_EQ(r.out, INITIALIZING + display_line(32) + QUIT);
        EXPECT_EQ(r.err, "");
    } else {
        expect_failed_start(r);
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
    expect_failed_start(r);
    EXPECT_EQ(r.out, INITIALIZING + display_line(32));
    const std::string reason = compat() ? "GLX is not supported\n" : "Couldn't find matching GLX visual\n";
    EXPECT_EQ(r.err, "Video mode set failed: " + reason);
}

// An 8-bit PseudoColor screen: the depth is printed and asked for, and no GL
// visual has it.
TEST(Platform, EightBitScreen)
{
    XvfbServer server(8);
    ASSERT_TRUE(server.ok());
    ExitResult r = run_to_exit(server.display(), viewer_binary(), {}, {});
    expect_failed_start(r);
    // The compatibility layer reports no depth for a palette screen.
    EXPECT_EQ(r.out, INITIALIZING + display_line(compat() ? 0 : 8));
    const std::string reason = compat() ? "GLX is not supported\n" : "Couldn't find matching GLX visual\n";
    EXPECT_EQ(r.err, "Video mode set failed: " + reason);
}

} // namespace
