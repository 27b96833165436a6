// The display's pixel format, which the browser's SDL leaves out of its video
// information: the canvas's own.
#include <SDL.h>

#include <cstring>

extern "C" void sdl_browser_canvas_format(int* bytes, int* width, int* height);

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
