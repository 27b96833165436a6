#include "xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

XvfbServer::XvfbServer(int depth)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    std::string fd_arg = std::to_string(fds[1]);
    std::string screen = "1280x1024x" + std::to_string(depth);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        // -noreset: the server must not reset when its last client leaves, or a
        // client that reconnects at once (SDL does inside SDL_Init) may fail.
        execlp("Xvfb", "Xvfb", "-displayfd", fd_arg.c_str(), "-screen", "0", screen.c_str(), "-noreset", "-nolisten",
            "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        return;
    }
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty())
        display_ = ":" + number;
}

XvfbServer::~XvfbServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

void XvfbServer::export_display() const
{
    setenv("DISPLAY", display_.c_str(), 1);
}
