// What the keys and the dispatcher do to the view, stated once for the unit
// tests and the event-stream checker, which compare the real code with them.
#pragma once

#include <SDL.h>

#include "app/view_state.h"

// A key with a command: what its press does to the view, and its release (or null).
struct KeyRule {
    SDLKey sym;
    void (*press)(ViewState&);
    void (*release)(ViewState&);
};
// Esc is not here: its press ends the process, its release does nothing.
extern const KeyRule KEY_RULES[10];

// handle_key on v: a key without a rule changes nothing.
void apply_key_rule(ViewState& v, const SDL_Event& e);

// What process_events does with one event besides its changes to v.
enum class Dispatched { NOTHING, KEY, MOTION, FRAME, QUIT };
Dispatched apply_dispatch_rule(ViewState& v, const SDL_Event& e);
