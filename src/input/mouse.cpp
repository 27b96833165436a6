// Mouse drag gestures: each motion event is measured against the stored
// position, never against the event's relative members.
#include "input/mouse.h"

#include <cstdint>

#include "app/view_state.h"
#include "math/quat.h"
#include "math/trackball.h"

namespace {

constexpr float DRAG_TRANSLATE_GAIN = 3.0f; // unitless: a drag across the whole window moves 6 units

// Per-pixel scale factors, taken from the window size at the first motion
// event and kept; no later event divides by the window size.
bool factors_ready = false;
float two_over_width;  // per pixel, pans along x
float two_over_height; // per pixel, pans along y and moves along z
float one_over_width;  // trackball x
float one_over_height; // trackball y

void compute_factors()
{
    const double w = static_cast<double>(view.window_width);
    const double h = static_cast<double>(view.window_height);
    two_over_width = static_cast<float>(2.0 / w);
    two_over_height = static_cast<float>(2.0 / h);
    one_over_width = static_cast<float>(1.0 / w);
    one_over_height = static_cast<float>(1.0 / h);
    factors_ready = true;
}

// Dragging down brings the scene nearer; sideways movement is ignored.
void move_along_z(int32_t dy)
{
    const double step =
        static_cast<double>(dy) * static_cast<double>(two_over_height) * static_cast<double>(DRAG_TRANSLATE_GAIN);
    view.offset_z = static_cast<float>(static_cast<double>(view.offset_z) - step);
}

// The scene follows the pointer: right raises offset_x, up raises offset_y.
void pan(int32_t dx, int32_t dy)
{
    const double gain = static_cast<double>(DRAG_TRANSLATE_GAIN);
    const double step_x = static_cast<double>(dx) * static_cast<double>(two_over_width) * gain;
    view.offset_x = static_cast<float>(static_cast<double>(view.offset_x) - step_x);
    const double step_y = static_cast<double>(dy) * static_cast<double>(two_over_height) * gain;
    view.offset_y = static_cast<float>(static_cast<double>(view.offset_y) + step_y);
}

// Window pixels onto the square from -1 to +1, x to the right, y upwards.
float normalise_x(int32_t x)
{
    const int32_t centred = 2 * x - view.window_width;
    return static_cast<float>(static_cast<double>(centred) * static_cast<double>(one_over_width));
}

float normalise_y(int32_t y)
{
    const int32_t centred = view.window_height - 2 * y;
    return static_cast<float>(static_cast<double>(centred) * static_cast<double>(one_over_height));
}

void rotate(int32_t last_x, int32_t last_y, int32_t x, int32_t y)
{
    const float p1x = normalise_x(last_x);
    const float p1y = normalise_y(last_y);
    const float p2x = normalise_x(x);
    const float p2y = normalise_y(y);
    trackball_rotation(view.drag_rotation, p1x, p1y, p2x, p2y);
    // The drag step goes on the right of what has gathered so far.
    quat_compose(view.drag_rotation, view.scene_rotation, view.scene_rotation);
}

} // namespace

void handle_mouse_motion(const SDL_Event* event)
{
    if (!factors_ready)
        compute_factors();

    const int32_t x = event->motion.x;
    const int32_t y = event->motion.y;
    const int32_t last_x = view.last_mouse_x;
    const int32_t last_y = view.last_mouse_y;

    // Chosen afresh for every event, so a modifier may switch gestures mid-drag.
    if (view.shift_held)
        move_along_z(last_y - y);
    else if (view.ctrl_held)
        pan(last_x - x, last_y - y);
    else
        rotate(last_x, last_y, x, y);

    view.last_mouse_x = x;
    view.last_mouse_y = y;
}
