// Mouse drag gestures: move along z (left Shift), pan (left Ctrl) or turn the scene.
#pragma once

#include <SDL.h>

// Handles an SDL_MOUSEMOTION event while a button is held.
void handle_mouse_motion(const SDL_Event* event);
