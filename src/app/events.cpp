#include "app/events.h"

#include <cstdio>

#include "app/quit.h"
#include "app/view_state.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "render/frame.h"

int accept_all_events(const SDL_Event*)
{
    return 1;
}

void process_events()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_ACTIVEEVENT:
            // Only regaining the application as a whole redraws; focus changes alone do not.
            if ((event.active.state & SDL_APPACTIVE) && event.active.gain)
                draw_frame();
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            handle_key(&event);
            break;
        case SDL_MOUSEMOTION:
            if (!view.button_down)
                break;
            // SDL drops what overflows its queue, a release too; motion with no
            // button held ends the drag as that release would have.
            if (event.motion.state == 0)
                view.button_down = false;
            else
                handle_mouse_motion(&event);
            break;
        case SDL_MOUSEBUTTONDOWN:
            // Any button starts a drag from where it went down.
            view.button_down = true;
            view.last_mouse_x = event.button.x;
            view.last_mouse_y = event.button.y;
            break;
        case SDL_MOUSEBUTTONUP:
            view.button_down = false;
            break;
        case SDL_QUIT:
            printf("Quit requested, quitting.\n");
            quit_program(0);
        default:
            break;
        }
    }
}
