// turnfan: two ways of turning the same three angles into an orientation, side
// by side, and a virtual trackball that turns the whole scene.
#include <SDL.h>

#include <cstdio>

#include "app/display.h"
#include "app/events.h"
#include "app/quit.h"
#include "render/frame.h"

int main(int, char**)
{
    printf("Initializing SDL.\n");
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "Video initialization failed: %s\n", SDL_GetError());
        quit_program(1);
    }
    init_display();
    // Installing the filter also empties SDL's queue: input from before this point is dropped.
    SDL_SetEventFilter(accept_all_events);
    // Redraw without pause: every turn drains the queue and draws one frame.
    for (;;) {
        process_events();
        draw_frame();
    }
}
