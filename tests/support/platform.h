// Where the end-to-end scenario runs the real viewer. A platform says only how
// to start it, drive it, grab its picture and end it; everything else is the
// scenario's. Input is given in pixels of the 640x480 picture.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "image.h"
#include "process.h"
#include "x_driver.h"
#include "xvfb.h"

// The one skip rule: "" when `tool` is on PATH, else the line a skipped test says.
std::string missing_tool(const std::string& tool);
// Skips the test, saying why, when `reason` is not "".
#define TURNFAN_SKIP_IF(reason)                                                                                        \
    if (const std::string turnfan_skip_reason = (reason); !turnfan_skip_reason.empty())                                \
    GTEST_SKIP() << turnfan_skip_reason

class Platform {
public:
    virtual ~Platform() = default;
    // Why it cannot run here ("skipped: ..."), or "".
    virtual std::string unavailable() const = 0;
    // Starts the viewer with these arguments and environment changes ("NAME=value",
    // "NAME=" removes NAME) and waits for its first picture; "" when it shows
    // one, else why not. Then input reaches the viewer.
    virtual std::string start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {}) = 0;
    virtual void key(const char* keysym_name, bool press) = 0;
    virtual void move_pointer(int x, int y) = 0;
    virtual void button(int number, bool press) = 0;
    virtual Image grab() = 0;
    // What the viewer has written on standard output so far.
    virtual std::string out() = 0;
    // Closes the window as its user would (a window manager's close, a title bar's button).
    virtual void close() = 0;
    // Waits for the viewer to end; kills it after `seconds`.
    virtual ExitResult wait_exit(double seconds = 20.0) = 0;
};

// The platforms, by name: "x11" (the SDL 1.2 the environment gives, classic by
// default), "x11_compat" (Debian's compatibility layer over SDL2), "xwayland"
// (weston, the classic SDL through Xwayland), "wayland" (weston, the
// compatibility layer on SDL2's Wayland driver) and "wine" (the Windows exe
// that TURNFAN_WINDOWS_EXE names, under Wine).
std::unique_ptr<Platform> make_platform(const std::string& name);
extern const std::vector<std::string> PLATFORMS;

// The viewer on a private X server, with nothing between them.
class X11 : public Platform {
public:
    explicit X11(int depth = 24, const std::vector<std::string>& env = {});
    std::string unavailable() const override;
    std::string start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {}) override;
    void key(const char* keysym_name, bool press) override { ::key(screen_, keysym_name, press); }
    void move_pointer(int x, int y) override { ::move_pointer(screen_, x, y); }
    void button(int number, bool press) override { ::button(screen_, number, press); }
    Image grab() override { return ::grab(screen_); }
    std::string out() override { return viewer_ ? viewer_->out() : ""; }
    void close() override { close_window(screen_); }
    ExitResult wait_exit(double seconds = 20.0) override;

    const XvfbServer& server() const { return server_; }
    XDriver& screen() { return screen_; }
    Process& viewer() { return *viewer_; }

protected:
    // The command that runs the viewer, and how long its first picture may take.
    virtual std::vector<std::string> command(const std::vector<std::string>& args) const;
    virtual double start_seconds() const { return 20.0; }

    XvfbServer server_;
    XDriver screen_;
    std::vector<std::string> env_; // the platform's own environment changes
    std::unique_ptr<Process> viewer_;
};

// Helpers on any platform.
void tap(Platform& p, const char* keysym_name, int times = 1);
// Drags with button 1 in steps of a few pixels, holding `modifier` (a keysym name) if given.
void drag(Platform& p, int x0, int y0, int x1, int y1, int steps = 10, const char* modifier = nullptr);
// Longest wait for the viewer to show what the input asks for.
constexpr double SETTLE_SECONDS = 15.0;
// Grabs until the picture satisfies `wanted` or the time is up; the last grab.
Image grab_until(Platform& p, const std::function<bool(const Image&)>& wanted, double seconds = SETTLE_SECONDS);
// Grabs until two grabs in a row, a short pause apart, are the same.
Image grab_settled(Platform& p);
