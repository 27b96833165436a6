// The real binary where the platform falls short, and which SDL 1.2 it runs on.
// Where it prints SDL's words or depths, they are the SDL under test's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "expect.h"
#include "proc.h"
#include "sdl_under_test.h"

namespace {

TEST(Platform, ViewerRunsOnTheSdlUnderTest)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    X11 x;
    ASSERT_EQ(x.start(), "");
    const std::string maps = proc_file(x.pid(), "maps");
    const SdlUnderTest& sdl = sdl_under_test();
    EXPECT_NE(maps.find(sdl.library), std::string::npos) << maps;
    EXPECT_EQ(maps.find("libSDL2-2.0.so") != std::string::npos, sdl.compat) << maps;
    EXPECT_EQ(sdl.library.find("/sdl12-compat/") != std::string::npos, unpacked_compat_run()) << sdl.library;
    expect_clean_close(x);
}

// Each ends at once with status 1 and its start-up message, never a crash or a hang, also with standard error closed.
// Without a display both SDLs end with the program's own line instead of falling back to a terminal driver (escape
// codes) or an offscreen one (no window, full CPU). Without GLX, or at 8 bits (no GL visual), SDL's reason is fixed.
TEST(Platform, StartsWithoutWhatItNeedsEndAtOnceWithStatusOne)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    const std::string dead = ":196";
    ASSERT_NE(access("/tmp/.X11-unix/X196", F_OK), 0) << "a server answers on " << dead;
    const std::string no_glx = MODE_SET_FAILED + sdl_under_test().no_fitting_glx_visual;
    const int palette_depth = sdl_under_test().palette_depth;
    const struct {
        const char* what;
        int depth;
        std::vector<std::string> server_args, env, launcher;
        std::string out, err; // err "": only SDL's own reason after the message
    } rows[] = {
        {"no display, no terminal", 24, {}, {"DISPLAY=", "TERM=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR="}, {},
            INITIALIZING, ""},
        {"no display, a terminal", 24, {}, {"DISPLAY=", "TERM=xterm", "WAYLAND_DISPLAY="}, {}, INITIALIZING, ""},
        {"a display nobody answers on", 24, {}, {"DISPLAY=" + dead, "TERM=xterm", "WAYLAND_DISPLAY="}, {}, INITIALIZING,
            ""},
        {"no GLX", 24, {"-extension", "GLX"}, {}, {}, started_banner(), no_glx},
        {"8 bits", 8, {}, {}, {}, started_banner(palette_depth), no_glx},
        {"8 bits, standard error closed", 8, {}, {}, {"/bin/sh", "-c", "exec \"$0\" 2>&-"},
            started_banner(palette_depth), ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        X11 x(row.depth, {}, row.server_args);
        x.launcher = row.launcher;
        EXPECT_NE(x.start({}, row.env), "");
        const ExitResult r = x.wait_exit(10.0);
        if (row.launcher.empty())
            expect_failed_start(r, row.out == INITIALIZING ? INIT_FAILED : MODE_SET_FAILED);
        EXPECT_TRUE(r.exited && r.status == 1) << "signal " << r.signal << ", status " << r.status;
        EXPECT_EQ(r.out, row.out);
        EXPECT_EQ(row.err.empty() ? "" : r.err, row.err);
    }
}

} // namespace
