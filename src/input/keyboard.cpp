// Keyboard commands: press and release tables acting on the view state.
#include "input/keyboard.h"

#include "app/quit.h"
#include "app/view_state.h"

namespace {

constexpr double ANGLE_STEP = 1.0; // degrees per press

// Adds delta in double and stores the float result.
void step_angle(float* angle, double delta)
{
    *angle = static_cast<float>(static_cast<double>(*angle) + delta);
}

void handle_press(SDLKey sym)
{
    switch (sym) {
    case SDLK_ESCAPE:
        // Unlike a window close, Esc leaves without a word.
        quit_program(0);
    case SDLK_a:
        step_angle(&view.angle_y, -ANGLE_STEP);
        break;
    case SDLK_d:
        step_angle(&view.angle_y, ANGLE_STEP);
        break;
    case SDLK_e:
        step_angle(&view.angle_z, ANGLE_STEP);
        break;
    case SDLK_m:
        view.quaternion_mode = !view.quaternion_mode;
        break;
    case SDLK_q:
        step_angle(&view.angle_z, -ANGLE_STEP);
        break;
    case SDLK_r:
        // Only the angles: rotation, offsets and mode stay.
        view.angle_y = 0.0f;
        view.angle_x = 0.0f;
        view.angle_z = 0.0f;
        break;
    case SDLK_s:
        step_angle(&view.angle_x, -ANGLE_STEP);
        break;
    case SDLK_w:
        step_angle(&view.angle_x, ANGLE_STEP);
        break;
    // The modifier pressed last wins, so at most one flag is ever set.
    case SDLK_LSHIFT:
        view.shift_held = true;
        view.ctrl_held = false;
        break;
    case SDLK_LCTRL:
        view.ctrl_held = true;
        view.shift_held = false;
        break;
    default:
        break;
    }
}

void handle_release(SDLKey sym)
{
    // A release clears only its own flag; the other one is not brought back.
    switch (sym) {
    case SDLK_LSHIFT:
        view.shift_held = false;
        break;
    case SDLK_LCTRL:
        view.ctrl_held = false;
        break;
    default:
        break;
    }
}

} // namespace

void handle_key(const SDL_Event* event)
{
    // Only the type and the key symbol count: letters act alike whatever
    // modifiers or Caps Lock are on.
    if (event->type == SDL_KEYUP)
        handle_release(event->key.keysym.sym);
    else
        handle_press(event->key.keysym.sym);
}
