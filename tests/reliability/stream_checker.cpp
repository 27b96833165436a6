#include "stream_checker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "app/events.h"
#include "compose_probe.h"
#include "gl_recorder.h"
#include "input_events.h"
#include "render/frame.h"
#include "rotation.h"

// Last: it brings in Xlib, whose macros (None, Bool) clash with GoogleTest.
#include <SDL_syswm.h>

namespace {

// Five rectangles of five compositions each, all counted by the shared counter.
constexpr int COMPOSES_PER_QUATERNION_FRAME = 25;

// SDL copies the message a window-manager event points to when it queues it.
SDL_SysWMmsg wm_message;

} // namespace

StreamChecker::StreamChecker()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) { // a failed start fails the first push
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_Init(SDL_INIT_VIDEO);
        SDL_SetEventFilter(accept_all_events);
    }
    reset_view();
    compose_phase_ = compose_normalises() ? 0 : 1;
}

std::string StreamChecker::feed(SDL_Event e)
{
    const std::string error = check_event(e);
    return error.empty() ? "" : "event type " + std::to_string(e.type) + ": " + error;
}

std::string StreamChecker::check_event(SDL_Event& e)
{
    if (e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE))
        return "it ends the process: it must not be fed";
    if (e.type == SDL_SYSWMEVENT)
        e.syswm.msg = &wm_message;
    const ViewState before = view;
    recorder_reset();
    if (SDL_PushEvent(&e) != 0)
        return "SDL_PushEvent failed: " + std::string(SDL_GetError());
    {
        MustNotExit carry_on;
        process_events();
    }
    ++events_;

    // Which fields the event may change: the rest must stay as they were.
    ViewState expected = before;
    bool drew = false;
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        std::tie(expected.angle_z, expected.angle_x, expected.angle_y, expected.quaternion_mode, expected.shift_held,
            expected.ctrl_held) =
            std::tie(view.angle_z, view.angle_x, view.angle_y, view.quaternion_mode, view.shift_held, view.ctrl_held);
        break;
    case SDL_ACTIVEEVENT:
        drew = (e.active.state & SDL_APPACTIVE) && e.active.gain;
        break;
    case SDL_MOUSEBUTTONDOWN:
        std::tie(expected.button_down, expected.last_mouse_x, expected.last_mouse_y) =
            std::make_tuple(true, e.button.x, e.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        expected.button_down = false;
        break;
    case SDL_MOUSEMOTION:
        if (!before.button_down)
            break;
        if (e.motion.state == 0) { // a lost release: the drag ends
            expected.button_down = false;
            break;
        }
        // The gesture's own results are free to change.
        if (before.shift_held) {
            expected.offset_z = view.offset_z;
        } else if (before.ctrl_held) {
            std::tie(expected.offset_x, expected.offset_y) = std::tie(view.offset_x, view.offset_y);
        } else {
            std::copy(view.scene_rotation, view.scene_rotation + 4, expected.scene_rotation);
            std::copy(view.drag_rotation, view.drag_rotation + 4, expected.drag_rotation);
            compose_phase_ = 1 - compose_phase_;
            unnormalised_steps_ = compose_phase_ == 0 ? 0 : unnormalised_steps_ + 1;
        }
        std::tie(expected.last_mouse_x, expected.last_mouse_y) = std::make_tuple(e.motion.x, e.motion.y);
        break;
    default:
        break;
    }
    if (const testing::AssertionResult same = same_view(expected, view); !same)
        return same.message();
    if (!drew && !recorded().calls.empty())
        return "drew although it was no regained activation";
    const std::string error = drew ? check_frame_calls() : "";
    return error.empty() ? check_view() : error;
}

std::string StreamChecker::frame()
{
    const ViewState before = view;
    recorder_reset();
    draw_frame();
    if (const testing::AssertionResult same = same_view(before, view); !same)
        return "a frame changed the view: " + std::string(same.message());
    return check_frame_calls();
}

std::string StreamChecker::check_frame_calls()
{
    ++frames_;
    if (view.quaternion_mode)
        compose_phase_ = (compose_phase_ + COMPOSES_PER_QUATERNION_FRAME) % 2;
    const auto finite = [](double v) { return std::isfinite(v); };
    int swaps = 0;
    for (const GlCall& call : recorded().calls) {
        swaps += call.name == "SDL_GL_SwapBuffers";
        if (!std::all_of(call.args.begin(), call.args.end(), finite))
            return call.name + " was handed a value that is not finite";
    }
    for (const Point& p : recorded().vertices)
        if (!std::all_of(p.begin(), p.end(), finite))
            return "a vertex left the modelview matrix not finite";
    if (swaps != 1)
        return "a frame swapped " + std::to_string(swaps) + " times";
    return "";
}

std::string StreamChecker::check_view()
{
    for (float f : {view.scene_rotation[0], view.scene_rotation[1], view.scene_rotation[2], view.scene_rotation[3],
             view.drag_rotation[0], view.drag_rotation[1], view.drag_rotation[2], view.drag_rotation[3], view.angle_z,
             view.angle_x, view.angle_y, view.offset_x, view.offset_y, view.offset_z})
        if (!std::isfinite(f))
            return "a rotation, angle or offset is not finite";
    if (view.shift_held && view.ctrl_held)
        return "shift_held and ctrl_held are both true";

    const double error = std::fabs(quaternion_length(quaternion_of(view.scene_rotation)) - 1.0);
    const double allowed = NORM_BASE + static_cast<double>(unnormalised_steps_) * NORM_STEP;
    if (error <= allowed)
        return "";
    char text[120];
    std::snprintf(text, sizeof text, "scene_rotation's length is off by %.3g after %ld steps without renormalisation",
        error, unnormalised_steps_);
    return text;
}
