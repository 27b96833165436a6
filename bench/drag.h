// One step of the circular drag about the window centre that the benchmarks
// send: button 1 held, about six pixels a step.
#pragma once

#include <SDL.h>

#include <cmath>
#include <cstring>

inline SDL_Event drag_step(int step)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    const double angle = 0.05 * step;
    e.type = SDL_MOUSEMOTION;
    e.motion.state = SDL_BUTTON(1);
    e.motion.x = static_cast<Uint16>(320.0 + 120.0 * std::cos(angle));
    e.motion.y = static_cast<Uint16>(240.0 + 120.0 * std::sin(angle));
    return e;
}
