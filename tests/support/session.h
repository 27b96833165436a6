// The real viewer of this build on a private X server: its start, its end,
// the lines it prints on the way and the wait for a picture it should show,
// as the end-to-end tests expect them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "viewer.h"
#include "xvfb.h"

// The fixed texts the viewer prints.
constexpr char INITIALIZING[] = "Initializing SDL.\n";          // first, before SDL starts
constexpr char QUIT_LINE[] = "Quit requested, quitting.\n";     // when it is asked to quit
constexpr char INIT_FAILED[] = "Video initialization failed: "; // the error line when SDL cannot start
constexpr char MODE_SET_FAILED[] = "Video mode set failed: ";   // ... when the window's mode cannot be set
// INITIALIZING and the line that says the display's depth and the window's size.
std::string started_banner(int depth = 32);

// A private X server of `depth` bits with this build's viewer started on it
// (no viewer when the server did not come up).
struct Session {
    explicit Session(int depth = 24, const std::vector<std::string>& args = {});

    XvfbServer server;
    std::unique_ptr<Viewer> viewer;
};

// The server came up and the viewer has drawn its first frame; otherwise why
// not, with what the viewer printed.
testing::AssertionResult shows_first_frame(Session& session);

// A clean end: status 0, `out` on standard output, nothing on standard error.
void expect_clean_end(const ExitResult& r, const std::string& out);
// Closes the window as a window manager does and expects a clean end with
// `out`: by default the banner of a 32-bit desktop and the quit line.
void expect_clean_close(Viewer& viewer, const std::string& out = started_banner() + QUIT_LINE);

// Longest wait for the viewer to show what the input asks for.
constexpr double SETTLE_SECONDS = 15.0;
// Grabs until the picture satisfies `wanted` or the time is up; the last grab.
Image grab_until(Viewer& viewer, const std::function<bool(const Image&)>& wanted, double seconds = SETTLE_SECONDS);
// How many pixels of the picture have exactly this colour.
int count(const Image& image, uint8_t r, uint8_t g, uint8_t b);

// A failed start: status 1; standard output holds INITIALIZING and, when
// `message` is MODE_SET_FAILED, a display line of any depth; standard error
// holds one line, `message` followed by SDL's reason.
void expect_failed_start(const ExitResult& r, const std::string& message);
