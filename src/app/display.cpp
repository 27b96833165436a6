#include "app/display.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <SDL_syswm.h>
#ifdef SDL_VIDEO_DRIVER_X11
#include <X11/XKBlib.h>
#endif

#include <cstdio>

#include "app/quit.h"
#include "app/view_state.h"
#include "math/trackball.h"

namespace {

// A fixed-size GL window (OPENGLBLIT holds OPENGL); neither FULLSCREEN nor RESIZABLE.
#ifdef __EMSCRIPTEN__
// The browser's SDL has no OPENGLBLIT; OPENGL is what asks it for WebGL.
constexpr Uint32 VIDEO_FLAGS = SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_OPENGL | SDL_SRCALPHA;
#else
constexpr Uint32 VIDEO_FLAGS = SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_OPENGLBLIT | SDL_SRCALPHA;
static_assert(VIDEO_FLAGS == 0x1000F, "the window's flags are fixed");
#endif

// A held key must step once. The X server repeats it as release/press pairs,
// which SDL 1.2 recognises only when both have arrived; under load a pair is
// split and counts as a new press. Asked for detectable repeat, the server
// repeats presses alone, and SDL drops a press that changes no key's state.
void repeat_presses_only()
{
#ifdef SDL_VIDEO_DRIVER_X11
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    if (SDL_GetWMInfo(&wm) != 1 || wm.subsystem != SDL_SYSWM_X11)
        return;
    if (wm.info.x11.lock_func)
        wm.info.x11.lock_func();
    XkbSetDetectableAutoRepeat(wm.info.x11.display, True, nullptr);
    if (wm.info.x11.unlock_func)
        wm.info.x11.unlock_func();
#endif
}

} // namespace

void init_display()
{
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info) {
        fprintf(stderr, "Video query failed: %s\n", SDL_GetError());
        quit_program(1);
    }
    // The window takes the desktop's depth; 0 (SDL's choice) where SDL reports no format.
    int bpp = info->vfmt ? info->vfmt->BitsPerPixel : 0;
    printf("initializing display to %d-bit %d by %d\n", bpp, view.window_width, view.window_height);

    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    // Some SDLs refuse a desktop depth they could still draw on (the compatibility
    // layer on a 15-bit screen): one more try at the depth SDL picks itself.
    if (!SDL_SetVideoMode(view.window_width, view.window_height, bpp, VIDEO_FLAGS) &&
        (bpp == 0 || !SDL_SetVideoMode(view.window_width, view.window_height, 0, VIDEO_FLAGS))) {
        fprintf(stderr, "Video mode set failed: %s\n", SDL_GetError());
        quit_program(1);
    }

    repeat_presses_only();

    // A drag of no length is the identity: the scene starts unturned.
    trackball_rotation(view.scene_rotation, 0.0f, 0.0f, 0.0f, 0.0f);
    init_gl(view.window_width, view.window_height);
}

void init_gl(int width, int height)
{
    static const GLfloat specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const GLfloat shininess[] = {50.0f};

    glShadeModel(GL_SMOOTH);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 1024.0);
    // Culling and lighting stay off, so these settle state but change no pixel.
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, shininess);
    glEnable(GL_DEPTH_TEST);
}
