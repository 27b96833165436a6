// A private X server for tests: Xvfb on a display number it picks itself.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
public:
    // Starts Xvfb with a screen of the given depth; ok() tells whether it came up.
    explicit XvfbServer(int depth = 24);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool ok() const { return pid_ > 0 && !display_.empty(); }
    // ":N", for DISPLAY.
    const std::string& display() const { return display_; }
    // Points this process's DISPLAY at the server.
    void export_display() const;

private:
    pid_t pid_ = -1;
    std::string display_;
};
