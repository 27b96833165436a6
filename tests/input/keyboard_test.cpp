// Keyboard commands, driven with real SDL key events.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "input_events.h"

namespace {

// A step of a row: `times` events of one kind. An odd key carries Shift and Caps
// Lock, a capital, and scancode and state bytes that contradict its type.
struct Keys {
    Uint8 type;
    SDLKey sym;
    int times = 1;
    bool odd = false;
};

constexpr Uint8 DOWN = SDL_KEYDOWN, UP = SDL_KEYUP;
enum Flags { NONE = 0, QUATERNIONS = 1, SHIFT = 2, CTRL = 4 };

std::vector<Keys> unlisted_keys()
{
    std::vector<Keys> keys = {{DOWN, SDLK_LSHIFT}};
    for (SDLKey sym :
        {SDLK_b, SDLK_z, SDLK_SPACE, SDLK_RETURN, SDLK_UP, SDLK_CAPSLOCK, SDLK_F1, SDLK_KP_PLUS, SDLK_1, SDLK_LALT,
            SDLK_RALT, SDLK_LMETA, SDLK_LSUPER, SDLK_MODE, SDLK_RSHIFT, SDLK_RCTRL, SDLK_TAB, SDLK_BACKSPACE})
        keys.insert(keys.end(), {{DOWN, sym}, {UP, sym}});
    return keys;
}

} // namespace

// Each row starts from angles (z, x, y) = (10, 20, 30), offsets and rotations, and
// ends with the angles, mode and modifiers held it names; nothing else may change.
TEST(HandleKey, EachRowEndsAsItSays)
{
    const struct {
        const char* what;
        std::vector<Keys> keys;
        float z, x, y;
        int flags;
    } rows[] = {
        {"each letter by one degree",
            {{DOWN, SDLK_e}, {DOWN, SDLK_w, 2}, {DOWN, SDLK_d, 3}, {DOWN, SDLK_q, 2}, {DOWN, SDLK_s}, {DOWN, SDLK_a}},
            9, 21, 32, NONE},
        {"never wrapped", {{DOWN, SDLK_e, 360}, {DOWN, SDLK_q}, {DOWN, SDLK_s, 400}}, 369, -380, 30, NONE},
        {"m switches the mode, the angles stay", {{DOWN, SDLK_w}, {DOWN, SDLK_m}, {DOWN, SDLK_d}}, 10, 21, 31,
            QUATERNIONS},
        {"m twice switches back", {{DOWN, SDLK_m}, {DOWN, SDLK_m}}, 10, 20, 30, NONE},
        {"r only zeroes the angles", {{DOWN, SDLK_m}, {DOWN, SDLK_LSHIFT}, {DOWN, SDLK_r}}, 0, 0, 0,
            QUATERNIONS | SHIFT},
        {"released commands, Esc's too",
            {{UP, SDLK_ESCAPE}, {UP, SDLK_a}, {UP, SDLK_d}, {UP, SDLK_e}, {UP, SDLK_m}, {UP, SDLK_q}, {UP, SDLK_r},
                {UP, SDLK_s}, {UP, SDLK_w}},
            10, 20, 30, NONE},
        {"known by the symbol alone",
            {{DOWN, SDLK_LSHIFT}, {DOWN, SDLK_a, 1, true}, {DOWN, SDLK_LCTRL}, {DOWN, SDLK_e, 1, true}}, 11, 20, 29,
            CTRL},
        {"unlisted keys", unlisted_keys(), 10, 20, 30, SHIFT},
        // The modifier pressed last wins; a release does not bring the other back.
        {"shift, ctrl, release ctrl", {{DOWN, SDLK_LSHIFT}, {DOWN, SDLK_LCTRL}, {UP, SDLK_LCTRL}}, 10, 20, 30, NONE},
        {"ctrl, shift, release shift", {{DOWN, SDLK_LCTRL}, {DOWN, SDLK_LSHIFT}, {UP, SDLK_LSHIFT}}, 10, 20, 30, NONE},
        {"shift, ctrl, release shift", {{DOWN, SDLK_LSHIFT}, {DOWN, SDLK_LCTRL}, {UP, SDLK_LSHIFT}}, 10, 20, 30, CTRL},
        {"ctrl, shift, release ctrl", {{DOWN, SDLK_LCTRL}, {DOWN, SDLK_LSHIFT}, {UP, SDLK_LCTRL}}, 10, 20, 30, SHIFT},
        // Right modifiers neither set a flag nor clear a left one.
        {"right modifiers", {{DOWN, SDLK_RSHIFT}, {DOWN, SDLK_RCTRL}, {UP, SDLK_RSHIFT}, {UP, SDLK_RCTRL}}, 10, 20, 30,
            NONE},
        {"right ones after left shift", {{DOWN, SDLK_LSHIFT}, {DOWN, SDLK_RCTRL}, {UP, SDLK_RSHIFT}}, 10, 20, 30,
            SHIFT},
        {"right ones after left ctrl", {{DOWN, SDLK_LCTRL}, {UP, SDLK_RCTRL}, {UP, SDLK_RSHIFT}}, 10, 20, 30, CTRL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        reset_view();
        std::tie(view.angle_z, view.angle_x, view.angle_y, view.offset_x, view.offset_y, view.offset_z) =
            std::make_tuple(10.0f, 20.0f, 30.0f, 0.5f, -0.25f, 1.5f);
        set_quat(view.scene_rotation, 0.0f, 0.6f, 0.0f, 0.8f);
        set_quat(view.drag_rotation, 0.6f, 0.0f, 0.0f, 0.8f);
        ViewState expected = view;
        MustNotExit carry_on;
        for (const Keys& k : row.keys)
            for (int n = 0; n < k.times; ++n) {
                SDL_Event e = key_event(k.type, k.sym);
                if (k.odd)
                    e.key = {k.type, 0, SDL_RELEASED, {200, k.sym, static_cast<SDLMod>(KMOD_LSHIFT | KMOD_CAPS), 'A'}};
                handle_key(&e);
            }
        std::tie(expected.angle_z, expected.angle_x, expected.angle_y) = std::tie(row.z, row.x, row.y);
        expected.quaternion_mode = row.flags & QUATERNIONS;
        expected.shift_held = row.flags & SHIFT;
        expected.ctrl_held = row.flags & CTRL;
        EXPECT_TRUE(same_view(view, expected));
    }
}

TEST(HandleKeyDeathTest, EscQuitsAtOnceWithStatusZeroAndPrintsNothing)
{
    // Standard output goes to the captured standard error, so "^$" checks both.
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            reset_view();
            hand_key(SDL_KEYDOWN, SDLK_ESCAPE);
            std::fprintf(stderr, "handle_key returned\n");
            std::exit(2);
        },
        testing::ExitedWithCode(0), "^$");
}
