// One frame of the scene: axes and the fan of five rectangles, then the swap.
#pragma once

void draw_frame();
void draw_axes();
