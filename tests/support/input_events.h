// Real SDL_Event records for the input and dispatch tests, and a known starting view.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/view_state.h"
#include "input/keyboard.h"
#include "input/mouse.h"

// A key event as SDL fills it; mod and unicode as a typist would produce them.
inline SDL_Event key_event(Uint8 type, SDLKey sym, SDLMod mod = KMOD_NONE, Uint16 unicode = 0)
{
    SDL_Event e = {};
    // type, device, state, {scancode, sym, mod, unicode}
    e.key = {type, 0, static_cast<Uint8>(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED), {0, sym, mod, unicode}};
    return e;
}

// A motion event to (x, y), with button 1 held unless state says otherwise; xrel
// and yrel nonsense, as the handler must measure from the stored position.
inline SDL_Event motion_event(Uint16 x, Uint16 y, Uint8 state = SDL_BUTTON(1))
{
    SDL_Event e = {};
    e.motion = {SDL_MOUSEMOTION, 0, state, x, y, 123, -77}; // type, device, buttons, x, y, xrel, yrel
    return e;
}

inline void set_quat(float* q, float x, float y, float z, float w)
{
    const float v[] = {x, y, z, w};
    std::copy(v, v + 4, q);
}

// The view after display setup with no input yet; every test starts from here.
inline void reset_view()
{
    view = ViewState();
    view.scene_rotation[3] = 1.0f;
}

// A key event, pressed or released, handed to handle_key.
inline void hand_key(Uint8 type, SDLKey sym)
{
    SDL_Event e = key_event(type, sym);
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
    // Binds every field: a new one of ViewState stops this compiling until it is listed below too.
    [[maybe_unused]] const auto& [f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16] = a;
#define TURNFAN_FIELD(field) {#field, offsetof(ViewState, field), sizeof a.field},
    constexpr struct {
        const char* name;
        size_t at, size;
    } fields[] = {TURNFAN_FIELD(window_width) TURNFAN_FIELD(window_height) TURNFAN_FIELD(scene_rotation)
            TURNFAN_FIELD(drag_rotation) TURNFAN_FIELD(angle_z) TURNFAN_FIELD(angle_x) TURNFAN_FIELD(angle_y)
                TURNFAN_FIELD(quaternion_mode) TURNFAN_FIELD(button_down) TURNFAN_FIELD(last_mouse_x)
                    TURNFAN_FIELD(last_mouse_y) TURNFAN_FIELD(shift_held) TURNFAN_FIELD(ctrl_held)
                        TURNFAN_FIELD(offset_x) TURNFAN_FIELD(offset_y) TURNFAN_FIELD(offset_z)};
#undef TURNFAN_FIELD
    static_assert(sizeof fields / sizeof fields[0] == 16, "every field bound above is compared");
    for (const auto& f : fields)
        if (std::memcmp(reinterpret_cast<const char*>(&a) + f.at, reinterpret_cast<const char*>(&b) + f.at, f.size))
            return testing::AssertionFailure() << f.name << " differs";
    return testing::AssertionSuccess();
}

// quit_program ends the process with status 0, which CTest counts as a pass: while
// one of these lives, an exit fails with status 1 instead.
struct MustNotExit {
    static inline bool armed = false;
    MustNotExit()
    {
        [[maybe_unused]] static const int once = std::atexit([] {
            if (armed) {
                std::fputs("the process ended where it must carry on\n", stderr);
                std::_Exit(1);
            }
        });
        armed = true;
    }
    ~MustNotExit() { armed = false; }
};
