// The browser's SDL 1.2 where turnfan needs it to act as on a desktop. These
// definitions take the place of emscripten's JavaScript ones, and the mode set
// is wrapped at link time (--wrap=SDL_SetVideoMode): both are public ways to
// change a library function, whichever release of emscripten arranges its own.
#include <SDL.h>
#include <emscripten/html5_webgl.h>

#include <cstring>

#include "immediate.h"

extern "C" {
void sdl_browser_canvas_format(int* bytes, int* width, int* height);
double sdl_browser_device_pixels(int width, int height);
void sdl_browser_next_frame();
void sdl_browser_quiet(bool quiet);
SDL_Surface* __real_SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
SDL_Surface* __wrap_SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
}

namespace {
// Why the last call failed, as a desktop's SDL_GetError says; emscripten's knows nothing of the mode set's failure.
const char* error_message = "";
} // namespace

// The display's pixel format, which the browser's SDL leaves out of its video
// information: the canvas's own.
const SDL_VideoInfo* SDL_GetVideoInfo()
{
    static SDL_PixelFormat format;
    static SDL_VideoInfo info;
    int bytes = 0, width = 0, height = 0;
    sdl_browser_canvas_format(&bytes, &width, &height);
    std::memset(&format, 0, sizeof format);
    format.BytesPerPixel = static_cast<Uint8>(bytes);
    format.BitsPerPixel = static_cast<Uint8>(8 * bytes);
    // Red first, as the canvas orders its bytes.
    format.Rmask = 0x000000ff;
    format.Gmask = 0x0000ff00;
    format.Bmask = 0x00ff0000;
    format.Amask = 0xff000000;
    std::memset(&info, 0, sizeof info);
    info.vfmt = &format;
    info.current_w = width;
    info.current_h = height;
    return &info;
}

// Without WebGL emscripten's SDL still hands out a surface, and the first GL
// call throws; a desktop's SDL fails the mode set and says why. The GL
// emulation's notes as it starts are not the program's words.
SDL_Surface* __wrap_SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    sdl_browser_quiet(true);
    SDL_Surface* surface = __real_SDL_SetVideoMode(width, height, bpp, flags);
    sdl_browser_quiet(false);
    if ((flags & SDL_OPENGL) && emscripten_webgl_get_current_context() == 0) {
        error_message = "this browser gives the page no WebGL context";
        return nullptr;
    }
    if (surface && (flags & SDL_OPENGL))
        web_gl_pixel_ratio(sdl_browser_device_pixels(width, height));
    return surface;
}

const char* SDL_GetError()
{
    return error_message;
}

// The buffer swap gives the browser its turn: it shows the frame and delivers
// input only between turns of the program's endless loop. The frame's lines
// are drawn first, all at once (web/gl).
void SDL_GL_SwapBuffers()
{
    web_gl_swap();
    sdl_browser_next_frame();
}

// Nothing to shut down in the page, and nothing to say about it on standard output.
void SDL_Quit()
{
}
