// Where the viewer's projection puts a point of eye space in its window.
#pragma once

#include <array>

#include "promises.h"

using EyePoint = std::array<double, 3>; // x right, y up, z towards the eye

// Window position: x from the left edge, y down from the top edge, in pixels;
// pixel (i, j) covers [i, i + 1) x [j, j + 1), so its centre is (i + 0.5, j + 0.5).
struct WindowPoint {
    double x;
    double y;
};

// Through a 60-degree vertical field of view at aspect 4:3 onto the whole
// window as the viewport.
WindowPoint project_to_window(const EyePoint& eye);
