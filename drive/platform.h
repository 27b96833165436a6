// Where the viewer runs: a platform says only how to start it, drive it, grab
// its picture and end it; the tour and the tests say what to do with it. Input
// is given in pixels of the 640x480 picture.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image.h"
#include "paths.h"
#include "process.h"
#include "x_driver.h"
#include "xvfb.h"

// The one skip rule: "" when `tool` is on PATH, else the line a skipped test says.
std::string missing_tool(const std::string& tool);

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
    // Closes the window as its user would (a window manager's close, a title
    // bar's button); "" when it could, else why not.
    virtual std::string close() = 0;
    // Whether there is a window for close() to close, and a video driver for
    // SDL_VIDEODRIVER to choose (a web page has neither).
    virtual bool has_window() const { return true; }
    virtual bool chooses_video_driver() const { return true; }
    // How far, in pixels, its pictures may lie from plain X's: 1 where lines are
    // rasterised another way (a browser's WebGL).
    virtual int picture_reach() const { return 0; }
    // Waits for the viewer to end; kills it after `seconds`.
    virtual ExitResult wait_exit(double seconds = 20.0) = 0;
};

// The platforms, by name: "x11" (the SDL 1.2 the environment gives, classic on
// Debian 12), "x11_compat" (Debian's compatibility layer over SDL2), "xwayland"
// (weston, the system's SDL 1.2 through Xwayland), "wayland" (weston, the
// compatibility layer on SDL2's Wayland driver), "wine" (the Windows exe
// that TURNFAN_WINDOWS_EXE names, under Wine) and "browser" (the web page that
// TURNFAN_WEB_SITE holds, in headless Chromium).
std::unique_ptr<Platform> make_platform(const std::string& name);
extern const std::vector<std::string> PLATFORMS;

// The viewer on a private X server (of this depth, with these arguments), with
// nothing between them.
class X11 : public Platform {
public:
    explicit X11(
        int depth = 24, const std::vector<std::string>& env = {}, const std::vector<std::string>& server_args = {});
    std::string unavailable() const override;
    std::string start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {}) override;
    void key(const char* keysym_name, bool press) override { ::key(screen_, keysym_name, press); }
    void move_pointer(int x, int y) override { ::move_pointer(screen_, x, y); }
    void button(int number, bool press) override { ::button(screen_, number, press); }
    Image grab() override { return ::grab(screen_); }
    std::string out() override { return viewer_ ? viewer_->out() : ""; }
    std::string close() override
    {
        close_window(screen_);
        return "";
    }
    ExitResult wait_exit(double seconds = 20.0) override;

    const XvfbServer& server() const { return server_; }
    XDriver& screen() { return screen_; }
    pid_t pid() const { return viewer_ ? viewer_->pid() : -1; }

    // The viewer, the command that starts it (a shell that rewires its output
    // first, say: the viewer is its first argument after `launcher`), and how
    // long its first picture may take.
    std::string viewer = viewer_binary();
    std::vector<std::string> launcher;
    double start_seconds = 20.0;

protected:
    virtual std::vector<std::string> command(const std::vector<std::string>& args) const;

    XvfbServer server_;
    XDriver screen_;
    std::vector<std::string> env_; // the platform's own environment changes
    std::unique_ptr<Process> viewer_;
};

// turnfan's web page (the site in TURNFAN_WEB_SITE, which scripts/test-web
// builds) in headless Chromium, driven through driver.mjs with real
// key, mouse and touch events, one command a line. Its pictures are in the
// program's pixels, also where the screen has 2 or 3 device pixels to one. A
// page has no window to close and no video driver to choose; a browser without
// WebGL stands for SDL's dummy driver, video without OpenGL.
class Browser : public Platform {
public:
    ~Browser() override;
    std::string unavailable() const override;
    std::string start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {}) override;
    void key(const char* keysym_name, bool press) override;
    void move_pointer(int x, int y) override;
    void button(int number, bool press) override;
    Image grab() override;
    std::string out() override;
    std::string close() override { return "a page has no window to close"; }
    bool has_window() const override { return false; }
    bool chooses_video_driver() const override { return false; }
    int picture_reach() const override { return 1; }
    ExitResult wait_exit(double seconds = 20.0) override;

    // The driver's answer to one of its commands (driver.mjs): "ok ..." or "error ...".
    std::string run(const std::string& command);
    // Every line under the canvas, the page's own too.
    std::string page_text();

private:
    static std::string site();
    static std::string chromium();
    // The text of an "ok <JSON string>" answer.
    static std::string json_text(const std::string& answer);
    std::string answer(double seconds);
    void end_driver();

    std::unique_ptr<Process> driver_;
    size_t read_ = 0; // of the driver's output, the answers taken
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

// A step of a walk through the viewer: its name, what it shows, the input.
struct Step {
    std::string name;
    std::string caption;
    std::function<void(Platform&)> input;
};
// The walk the guided tour shows and the scenario takes on every platform:
// angle keys, m to quaternions, then drags plain, with Shift and with Ctrl.
extern const std::vector<Step> WALK;
