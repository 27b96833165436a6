// Feeds events one at a time through SDL's real queue, process_events and the
// real handlers, draws frames through the recording GL layer, and checks after
// every event and frame what must hold whatever the input:
//  - every float of the view state and every argument handed to GL is finite;
//  - scene_rotation stays of unit length, within NORM_BASE + k * NORM_STEP,
//    where k counts the rotating steps since quat_compose last renormalised it
//    (its counter is shared with the frames, so k is followed here too);
//  - shift_held and ctrl_held are never both true;
//  - keys change only the angles, the mode and the modifiers; a button press
//    only the drag and its position, a release only the drag; motion during a
//    drag only its gesture's results and the position; nothing else changes the
//    view, and only a regained activation draws;
//  - no event ends the process (CTest would count that exit as a pass);
//  - a frame changes nothing in the view.
// Needs SDL initialised with a video driver and accept_all_events installed.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "app/view_state.h"

// 2^-22: rounding left by a renormalisation.
constexpr double NORM_BASE = 0x1p-22;
// 2^-21, 8 float roundings: more than one unnormalised composition with a unit
// drag step moves the length (at most 3.1 roundings in 20 million random steps).
constexpr double NORM_STEP = 0x1p-21;

class StreamChecker {
public:
    // Puts the view in its state after display setup and learns the phase of
    // quat_compose's shared renormalisation counter.
    StreamChecker();

    // Pushes e, drains the queue and checks; "" when every invariant holds,
    // otherwise what broke. e must not be SDL_QUIT or an Esc press.
    std::string feed(SDL_Event e);
    // Draws one frame as the main loop does and checks it.
    std::string frame();

    long events() const { return events_; }
    long frames() const { return frames_; }
    long matrices() const { return matrices_; }
    // Largest |length - 1| of scene_rotation seen, and the longest run of
    // rotating steps without a renormalisation.
    double worst_norm_error() const { return worst_norm_error_; }
    long longest_unnormalised_run() const { return longest_run_; }

private:
    std::string check_frame_calls(bool quaternion_mode);
    std::string check_view();

    int compose_phase_ = 0; // quat_compose's counter: 0 or 1
    long unnormalised_steps_ = 0;

    long events_ = 0, frames_ = 0, matrices_ = 0;
    double worst_norm_error_ = 0.0;
    long longest_run_ = 0;
};
