#include "standins.h"

#include <SDL.h>

#include <cstdio>

#include "input/keyboard.h"
#include "input/mouse.h"
#include "render/frame.h"

std::vector<std::string> calls;
bool print_calls = false;

namespace {

void record(const std::string& call)
{
    calls.push_back(call);
    if (print_calls)
        printf("%s\n", call.c_str());
}

} // namespace

void draw_frame()
{
    record("frame");
}

std::string call_of(const SDL_Event& event)
{
    if (event.type == SDL_MOUSEMOTION)
        return "motion " + std::to_string(event.motion.x) + " " + std::to_string(event.motion.y);
    return std::string(event.type == SDL_KEYUP ? "key up " : "key down ") + std::to_string(event.key.keysym.sym);
}

void handle_key(const SDL_Event* event)
{
    record(call_of(*event));
}

void handle_mouse_motion(const SDL_Event* event)
{
    record(call_of(*event));
}
