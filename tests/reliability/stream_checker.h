// Feeds events one at a time through SDL's real queue, process_events and the real handlers, draws frames through the
// recording GL layer, and checks after each what must hold whatever the input: every float of the view and every GL
// argument finite; scene_rotation of unit length within NORM_BASE + k * NORM_STEP, k the rotating steps since
// quat_compose (whose counter the frames share) last renormalised; never both modifiers held; each event changes only
// its own fields of the view (keys the angles, mode and modifiers; a press the drag and its position; a release the
// drag; motion in a drag its gesture's results and the position), only a regained activation draws, no event ends the
// process, and a frame changes nothing. Without video up, it starts SDL's dummy driver and lets every event through.
#pragma once

#include <SDL.h>

#include <string>

constexpr double NORM_BASE = 0x1p-22; // rounding left by a renormalisation
// 8 float roundings: more than one unnormalised composition with a unit drag step moves the length (at most 3.1
// roundings in 20 million random steps).
constexpr double NORM_STEP = 0x1p-21;

class StreamChecker {
public:
    // Puts the view in its state after display setup; learns the phase of quat_compose's shared renormalisation
    // counter.
    StreamChecker();

    // Pushes e, drains the queue and checks; "" when every invariant holds,
    // otherwise what broke. e must not be SDL_QUIT or an Esc press.
    std::string feed(SDL_Event e);
    // Draws one frame as the main loop does and checks it.
    std::string frame();

    long events() const { return events_; }
    long frames() const { return frames_; }

private:
    std::string check_event(SDL_Event& e); // feed's checks, e made deliverable
    std::string check_frame_calls();
    std::string check_view();

    int compose_phase_ = 0; // quat_compose's counter: 0 or 1
    long unnormalised_steps_ = 0, events_ = 0, frames_ = 0;
};
