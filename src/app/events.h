// The way through the process: event dispatch and the one way out.
#pragma once

#include <SDL.h>

// Shuts SDL down and ends the process with code.
[[noreturn]] void quit_program(int code);
// Event filter that lets every event into the queue.
int accept_all_events(const SDL_Event* event);
// Drains the event queue, handing each event to its handler.
void process_events();
