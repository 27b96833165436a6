// The least a frame can be on this stack, as a program of its own: the viewer's
// display setup, then clear and swap for ever. Compared with the real viewer
// by fps_bench.
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>

#include "app/display.h"

int main(int, char**)
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "bare_loop: %s\n", SDL_GetError());
        return 1;
    }
    init_display();
    for (;;) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
    }
}
