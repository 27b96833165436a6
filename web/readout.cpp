// The page's readout (web/page.js) reads the program's own view state here, so
// that the page keeps no copy of the key rules.
#include "app/view_state.h"

// One value of the view state: 0 to 2 the angles about x, y and z in degrees,
// 3 the method in use (1 for the quaternion product, 0 for the chain of
// rotations), 4 to 7 the trackball's quaternion (x, y, z, w); 0 for any other.
extern "C" double turnfan_readout(int field)
{
    switch (field) {
    case 0:
        return static_cast<double>(view.angle_x);
    case 1:
        return static_cast<double>(view.angle_y);
    case 2:
        return static_cast<double>(view.angle_z);
    case 3:
        return view.quaternion_mode ? 1.0 : 0.0;
    case 4:
    case 5:
    case 6:
    case 7:
        return static_cast<double>(view.scene_rotation[field - 4]);
    default:
        return 0.0;
    }
}
