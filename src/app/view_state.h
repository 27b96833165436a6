// The one record through which input talks to drawing: handlers write it,
// the renderer only reads it.
#pragma once

#include <cstdint>

#include "math/quat.h"

struct ViewState {
    int32_t window_width = 640; // pixels, fixed
    int32_t window_height = 480;
    Quat scene_rotation; // accumulated trackball rotation of the whole scene
    Quat drag_rotation;  // the latest drag step, before it is composed on
    float angle_z;       // degrees, unbounded
    float angle_x;
    float angle_y;
    bool quaternion_mode; // false: fixed-axis chain; true: quaternion product
    bool button_down;
    int32_t last_mouse_x; // window pixels, y down
    int32_t last_mouse_y;
    bool shift_held; // left Shift: drags move along z
    bool ctrl_held;  // left Ctrl: drags pan
    float offset_x;
    float offset_y;
    float offset_z; // added to the fixed eye distance
};

// The one instance; every field but the window size starts at zero.
extern ViewState view;
