// Drives the real viewer binary on a private X server: real X input through
// XTest, screenshots read back from the screen, a window close as a window
// manager sends it, and the process's exact output and exit status.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;
struct _XImage;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // row by row from the top, 3 bytes a pixel

    const uint8_t* at(int x, int y) const { return &rgb[3 * (static_cast<size_t>(y) * width + x)]; }
    // Writes a PNG (through ImageMagick's convert); true on success.
    bool save_png(const std::string& path) const;
};

// The picture in an XImage of any visual, each channel scaled to 8 bits.
Image image_from_ximage(_XImage* xi);

struct ExitResult {
    bool exited = false; // false: still running at the timeout (then killed) or killed by a signal
    int status = -1;     // exit status when exited
    int signal = 0;      // the signal that ended it, if any
    std::string out;     // everything written to standard output
    std::string err;     // everything written to standard error
};

// Runs `binary args...` with DISPLAY set to `display` and extra environment
// entries ("NAME=value"; "NAME=" removes NAME), stdin from /dev/null.
class Viewer {
public:
    Viewer(const std::string& display, const std::string& binary, const std::vector<std::string>& args = {},
        const std::vector<std::string>& env = {});
    ~Viewer();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    pid_t pid() const { return pid_; }
    // Waits until the viewer's window is mapped and has drawn a non-black frame
    // (or, with need_picture false, is merely mapped). False on timeout or exit.
    bool wait_for_window(double seconds = 20.0, bool need_picture = true);
    unsigned long window() const { return window_; }
    // For a viewer on a nested compositor whose desktop is one window of the
    // private server (weston's x11 backend): waits until that window shows the
    // viewer's 640x480 picture, found by its black background, and from then on
    // aims input and grabs at the picture. The pointer then leaves the desktop
    // window and comes back to a spot outside the picture, because the
    // compositor learns where the pointer is only when it enters.
    bool wait_for_nested_window(double seconds = 20.0);
    // Puts the pointer back on that spot, off the picture.
    void park_pointer();
    // How far below its window's top the picture lies: 0, or in a nested desktop its place there.
    int picture_top() const { return origin_y_; }

    void move_pointer(int x, int y); // pixels of the viewer's picture
    void button(int number, bool press);
    void key(const char* keysym_name, bool press);
    void tap(const char* keysym_name, int times = 1);
    // Switches the X server's own key auto-repeat on, for every client of it, at
    // this delay and rate (a desktop's xset r rate 250 60 is 250, 60).
    void set_server_key_repeat(int delay_ms, int per_second);
    // Drags with button 1 from (x0, y0) to (x1, y1) in steps of a few pixels.
    void drag(int x0, int y0, int x1, int y1, int steps = 10);
    // Presses button 1 at (x, y), moves `motions` times to and fro beside it and
    // releases, all at once: faster than any program empties its event queue.
    void drag_burst(int x, int y, int motions);

    // The window's 640x480 area as it is on the screen now.
    Image grab();
    // Grabs until two grabs in a row, a short pause apart, are the same picture.
    Image grab_settled(double seconds = 10.0);
    // Sends WM_DELETE_WINDOW to the top-level window, as a window manager's close button does.
    void close_window();
    // Waits for the process to end; kills it after `seconds`.
    ExitResult wait_exit(double seconds = 20.0);

private:
    void sync();
    void drain_output();

    _XDisplay* dpy_ = nullptr;
    pid_t pid_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    unsigned long window_ = 0; // the 640x480 drawing area, or a nested desktop holding it
    unsigned long top_ = 0;    // the top-level window holding it, which a close request goes to
    // Where the picture lies in window_, and the parking spot (root pixels).
    int origin_x_ = 0, origin_y_ = 0;
    int park_x_ = 0, park_y_ = 0;
    std::string out_, err_;
};

// Starts the binary and waits for it to end by itself: for runs that must fail at start-up.
ExitResult run_to_exit(const std::string& display, const std::string& binary, const std::vector<std::string>& args,
    const std::vector<std::string>& env, double seconds = 20.0);

// Runs argv[0] (looked up in PATH) with these arguments and waits; true if it
// ended with status 0. No shell is involved, so arguments need no quoting.
bool run_program(const std::vector<std::string>& argv);

// Seconds on CLOCK_MONOTONIC, for timeouts, waits and timed rounds; other
// processes on the machine can read the same clock.
double now_seconds();
// Sleeps for a while; for waits on the viewer, whose loop runs on its own.
void pause_seconds(double seconds);
