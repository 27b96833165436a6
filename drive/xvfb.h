// A private X server: Xvfb on a display number it picks itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "process.h"

class XvfbServer {
public:
    // Starts Xvfb with a screen of the given depth and these extra arguments;
    // ok() tells whether it came up.
    explicit XvfbServer(int depth = 24, const std::vector<std::string>& extra = {});
    ~XvfbServer();

    bool ok() const { return !display_.empty(); }
    // ":N", for DISPLAY.
    const std::string& display() const { return display_; }
    // Points this process's DISPLAY at the server.
    void export_display() const;

private:
    std::unique_ptr<Process> process_;
    std::string display_;
};
