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

// Each reads the event as its own kind, so an event handed to the wrong one shows.
void handle_key(const SDL_Event* event)
{
    record(std::string(event->type == SDL_KEYUP ? "key up " : "key down ") + std::to_string(event->key.keysym.sym));
}

void handle_mouse_motion(const SDL_Event* event)
{
    record("motion " + std::to_string(event->motion.x) + " " + std::to_string(event->motion.y));
}
