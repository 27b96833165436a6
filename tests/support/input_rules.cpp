#include "input_rules.h"

// The modifier pressed last wins; a release clears only its own flag.
const KeyRule KEY_RULES[10] = {
    {SDLK_e, [](ViewState& v) { v.angle_z += 1.0f; }, nullptr},
    {SDLK_q, [](ViewState& v) { v.angle_z -= 1.0f; }, nullptr},
    {SDLK_w, [](ViewState& v) { v.angle_x += 1.0f; }, nullptr},
    {SDLK_s, [](ViewState& v) { v.angle_x -= 1.0f; }, nullptr},
    {SDLK_d, [](ViewState& v) { v.angle_y += 1.0f; }, nullptr},
    {SDLK_a, [](ViewState& v) { v.angle_y -= 1.0f; }, nullptr},
    {SDLK_r, [](ViewState& v) { v.angle_z = v.angle_x = v.angle_y = 0.0f; }, nullptr},
    {SDLK_m, [](ViewState& v) { v.quaternion_mode = !v.quaternion_mode; }, nullptr},
    {SDLK_LSHIFT,
        [](ViewState& v) {
            v.shift_held = true;
            v.ctrl_held = false;
        },
        [](ViewState& v) { v.shift_held = false; }},
    {SDLK_LCTRL,
        [](ViewState& v) {
            v.ctrl_held = true;
            v.shift_held = false;
        },
        [](ViewState& v) { v.ctrl_held = false; }},
};

void apply_key_rule(ViewState& v, const SDL_Event& e)
{
    for (const KeyRule& rule : KEY_RULES) {
        void (*change)(ViewState&) = e.type == SDL_KEYDOWN ? rule.press : rule.release;
        if (rule.sym == e.key.keysym.sym && change)
            change(v);
    }
}

Dispatched apply_dispatch_rule(ViewState& v, const SDL_Event& e)
{
    switch (e.type) {
    case SDL_ACTIVEEVENT: // only regaining the whole application draws
        return (e.active.state & SDL_APPACTIVE) && e.active.gain ? Dispatched::FRAME : Dispatched::NOTHING;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return Dispatched::KEY;
    case SDL_MOUSEMOTION: // only while a button is down; with none held it ends the drag
        if (v.button_down && e.motion.state == 0)
            v.button_down = false;
        return v.button_down ? Dispatched::MOTION : Dispatched::NOTHING;
    case SDL_MOUSEBUTTONDOWN: // any button, the latest press wins
        v.last_mouse_x = e.button.x;
        v.last_mouse_y = e.button.y;
        v.button_down = true;
        return Dispatched::NOTHING;
    case SDL_MOUSEBUTTONUP:
        v.button_down = false;
        return Dispatched::NOTHING;
    case SDL_QUIT:
        return Dispatched::QUIT;
    default:
        return Dispatched::NOTHING;
    }
}
