#include "xvfb.h"

#include <stdlib.h>

XvfbServer::XvfbServer(int depth, const std::vector<std::string>& extra)
{
    // -displayfd 1: the display number on standard output once it accepts
    // connections. -noreset: the server must not reset when its last client
    // leaves, or a client that reconnects at once (SDL does inside SDL_Init) may fail.
    std::vector<std::string> argv = {"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x" + std::to_string(depth),
        "-noreset", "-nolisten", "tcp"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    ProcessOptions quiet;
    quiet.err_file = "/dev/null";
    process_ = std::make_unique<Process>(argv, quiet);
    const std::string& out = process_->out();
    if (wait_until([&] { return process_->out().find('\n') != std::string::npos || !process_->running(); }, 20.0) &&
        out.find('\n') != std::string::npos)
        display_ = ":" + out.substr(0, out.find('\n'));
}

XvfbServer::~XvfbServer()
{
    process_->stop(); // SIGTERM: the server removes its lock file and socket
}

void XvfbServer::export_display() const
{
    setenv("DISPLAY", display_.c_str(), 1);
}
