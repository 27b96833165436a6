// Display setup: the window, the GL context and the state the renderer expects.
#pragma once

// Opens the window; on failure prints the reason and quits with status 1.
void init_display();
// One-time GL state and projection for a window of this size.
void init_gl(int width, int height);
