// A private Wayland compositor for tests: weston on a private X server. Its x11
// backend draws the desktop into one window there and turns that server's
// input, XTest included, into Wayland input; it runs Xwayland for X clients.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class WestonServer {
public:
    // Starts weston on the X server at `x_display` (":N") in a private runtime
    // directory; ok() tells whether it came up with Xwayland listening.
    explicit WestonServer(const std::string& x_display);
    ~WestonServer();
    WestonServer(const WestonServer&) = delete;
    WestonServer& operator=(const WestonServer&) = delete;

    bool ok() const { return pid_ > 0 && !xwayland_display_.empty(); }
    // Environment entries for a client of this session (for Viewer): the
    // Wayland socket, the runtime directory and Xwayland's DISPLAY.
    std::vector<std::string> session_environment() const;
    // What weston and Xwayland wrote so far, for failure messages.
    std::string log() const;

private:
    pid_t pid_ = -1;
    std::string runtime_dir_;
    std::string xwayland_display_;
};
