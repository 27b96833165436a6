// turnfan: two ways of turning the same three angles into an orientation, side
// by side, and a virtual trackball that turns the whole scene.
#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#ifndef _WIN32
#include <fcntl.h>
#endif

#include "app/display.h"
#include "app/events.h"
#include "app/quit.h"
#include "render/frame.h"

namespace {

// Started with a standard stream closed, the display connection would take its
// number and our lines would go into the X protocol: closed ones read and write
// /dev/null instead. open() takes the lowest free number, the one just found closed.
void open_standard_streams()
{
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1)
            open("/dev/null", O_RDWR);
#endif
}

// Without a usable display SDL would fall back to a terminal driver (escape codes
// into our output) or an offscreen one (no window, full CPU). Where SDL has X11 we
// ask for it, so that such a start fails at once; a driver the user names, and a
// Wayland-only session, keep SDL's own choice.
void prefer_x11_driver()
{
#ifdef SDL_VIDEO_DRIVER_X11
    auto is_set = [](const char* name) {
        const char* value = getenv(name);
        return value && *value;
    };
    if (!getenv("SDL_VIDEODRIVER") && !(is_set("WAYLAND_DISPLAY") && !is_set("DISPLAY")))
        setenv("SDL_VIDEODRIVER", "x11", 1);
#endif
}

} // namespace

int main(int, char**)
{
    open_standard_streams();
#ifdef SIGPIPE
    // A log reader that goes away takes our lines with it, not the window.
    signal(SIGPIPE, SIG_IGN);
#endif
    // Each progress line is out when printed, also into a log file or a pipe.
    setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    printf("Initializing SDL.\n");
    prefer_x11_driver();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Video initialization failed: %s\n", SDL_GetError());
        quit_program(1);
    }
#ifdef SIGQUIT
    // SDL's crash handler shuts SDL down inside the signal handler, which
    // deadlocks when the signal lands in an Xlib call: Ctrl-\ just ends us.
    signal(SIGQUIT, SIG_DFL);
#endif
    init_display();
#ifndef __EMSCRIPTEN__
    // Installing the filter also empties SDL's queue: input from before this point is dropped.
    // The browser's SDL has no event filter and queues every event.
    SDL_SetEventFilter(accept_all_events);
#endif
    // Redraw without pause: every turn drains the queue and draws one frame.
    for (;;) {
        process_events();
        draw_frame();
    }
}
