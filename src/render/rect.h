// One wireframe 4:3 rectangle, one unit in front of the current origin, turned
// by the view's three angles plus three extra ones (degrees).
#pragma once

void draw_oriented_rect(float extra_z, float extra_x, float extra_y);
