// Real SDL_Event records for the input and dispatch tests, and a known starting view.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/view_state.h"
#include "input/keyboard.h"
#include "input/mouse.h"

// A key event as SDL fills it; mod and unicode as a typist would produce them.
inline SDL_Event key_event(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE, Uint16 unicode = 0)
{
    SDL_Event e = {};
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    e.key.keysym.unicode = unicode;
    return e;
}

// A motion event to (x, y), with button 1 held unless state says otherwise.
// xrel and yrel are filled with nonsense on purpose: the handler must measure
// from the stored position.
inline SDL_Event motion_event(Uint16 x, Uint16 y, Uint8 state = SDL_BUTTON(1))
{
    SDL_Event e = {};
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.state = state;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = 123;
    e.motion.yrel = -77;
    return e;
}

inline void set_quat(float* q, float x, float y, float z, float w)
{
    q[0] = x;
    q[1] = y;
    q[2] = z;
    q[3] = w;
}

// The state after display setup with no input yet (all zero but the window
// size and the scene rotation's w); the view is process-wide, so every test
// starts from here.
inline void reset_view()
{
    view = ViewState();
    view.scene_rotation[3] = 1.0f;
}

inline void press(SDLKey sym, SDLMod mod = KMOD_NONE)
{
    SDL_Event e = key_event(SDL_KEYDOWN, sym, mod);
    handle_key(&e);
}

inline void release(SDLKey sym, SDLMod mod = KMOD_NONE)
{
    SDL_Event e = key_event(SDL_KEYUP, sym, mod);
    handle_key(&e);
}

// Stores the press position, as a button press does.
inline void start_drag(int x, int y)
{
    view.button_down = true;
    view.last_mouse_x = x;
    view.last_mouse_y = y;
}

// One motion event, as the dispatcher hands it on while a button is held.
inline void move_to(int x, int y)
{
    SDL_Event e = motion_event(static_cast<Uint16>(x), static_cast<Uint16>(y));
    handle_mouse_motion(&e);
}

// Field-by-field equality of two view states, naming the first field that differs.
inline testing::AssertionResult same_view(const ViewState& a, const ViewState& b)
{
#define TURNFAN_SAME(field)                                                                                            \
    if (std::memcmp(&a.field, &b.field, sizeof a.field) != 0)                                                          \
        return testing::AssertionFailure() << #field " differs";
    TURNFAN_SAME(window_width)
    TURNFAN_SAME(window_height)
    TURNFAN_SAME(scene_rotation)
    TURNFAN_SAME(drag_rotation)
    TURNFAN_SAME(angle_z)
    TURNFAN_SAME(angle_x)
    TURNFAN_SAME(angle_y)
    TURNFAN_SAME(quaternion_mode)
    TURNFAN_SAME(button_down)
    TURNFAN_SAME(last_mouse_x)
    TURNFAN_SAME(last_mouse_y)
    TURNFAN_SAME(shift_held)
    TURNFAN_SAME(ctrl_held)
    TURNFAN_SAME(offset_x)
    TURNFAN_SAME(offset_y)
    TURNFAN_SAME(offset_z)
#undef TURNFAN_SAME
    return testing::AssertionSuccess();
}
