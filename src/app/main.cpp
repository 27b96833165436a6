// turnfan: two ways of turning the same three angles into an orientation, side
// by side, and a virtual trackball that turns the whole scene.
#include <SDL.h>

#include <csignal>
#include <cstdio>

#include "app/display.h"
#include "app/events.h"
#include "app/quit.h"
#include "render/frame.h"

int main(int, char**)
{
    // Each progress line is out when printed, also into a log file or a pipe.
    setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    printf("Initializing SDL.\n");
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
