// Event dispatch: the filter and the pump that hands each event to its handler.
#pragma once

#include <SDL.h>

// Event filter that lets every event into the queue.
int accept_all_events(const SDL_Event* event);
// Drains the event queue, handing each event to its handler.
void process_events();
