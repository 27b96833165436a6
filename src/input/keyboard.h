// Keyboard commands: the three angles, the orientation mode, the drag modifiers, Esc.
#pragma once

#include <SDL.h>

// Handles an SDL_KEYDOWN or SDL_KEYUP event.
void handle_key(const SDL_Event* event);
