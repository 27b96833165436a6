#include "x_driver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <vector>

namespace {

// Swallows X errors: windows are looked up that another client may destroy at any moment.
int ignore_x_error(Display*, XErrorEvent*)
{
    return 0;
}

// The mapped children of a window, bottom first.
std::vector<Window> viewable_children(Display* dpy, Window parent)
{
    std::vector<Window> out;
    Window root_return, parent_return, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, parent, &root_return, &parent_return, &children, &count))
        return out;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable)
            out.push_back(children[i]);
    }
    XFree(children);
    return out;
}

bool has_viewer_size(Display* dpy, Window w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) && a.width == PICTURE_WIDTH && a.height == PICTURE_HEIGHT;
}

bool has_colour(const Image& image)
{
    for (uint8_t v : image.rgb)
        if (v != 0)
            return true;
    return false;
}

void sync(XDriver& screen)
{
    XSync(screen.dpy, False);
}

// A point of the picture in root coordinates.
void to_root(XDriver& screen, int x, int y, int* root_x, int* root_y)
{
    Window child;
    XTranslateCoordinates(
        screen.dpy, screen.window, DefaultRootWindow(screen.dpy), screen.x + x, screen.y + y, root_x, root_y, &child);
}

} // namespace

XDriver::XDriver(const std::string& display)
    : dpy(XOpenDisplay(display.c_str()))
{
    // Xlib's own handler ends the process: a window the viewer has closed
    // must make a grab or a move fail, not end the tour or a test.
    XSetErrorHandler(ignore_x_error);
}

XDriver::~XDriver()
{
    if (dpy)
        XCloseDisplay(dpy);
}

bool find_viewer_window(XDriver& screen)
{
    if (!screen.dpy)
        return false;
    screen.window = screen.top = 0;
    screen.x = screen.y = 0;
    // SDL creates and destroys windows while it starts: one listed here may be
    // gone by the time it is asked about (BadWindow).
    XSync(screen.dpy, False);
    for (Window top : viewable_children(screen.dpy, DefaultRootWindow(screen.dpy))) {
        if (has_viewer_size(screen.dpy, top))
            screen.window = screen.top = top;
        for (Window inner : viewable_children(screen.dpy, top))
            if (has_viewer_size(screen.dpy, inner)) {
                screen.window = inner;
                screen.top = top;
            }
    }
    XSync(screen.dpy, False);
    return screen.window != 0;
}

bool wait_for_picture(XDriver& screen, Process& viewer, double seconds, bool need_picture)
{
    bool shown = false;
    wait_until(
        [&] {
            shown = find_viewer_window(screen) && (!need_picture || has_colour(grab(screen)));
            return shown || !viewer.running();
        },
        seconds);
    return shown;
}

void move_pointer(XDriver& screen, int x, int y)
{
    int root_x = 0, root_y = 0;
    to_root(screen, x, y, &root_x, &root_y);
    XTestFakeMotionEvent(screen.dpy, -1, root_x, root_y, CurrentTime);
    sync(screen);
}

void button(XDriver& screen, int number, bool press)
{
    XTestFakeButtonEvent(screen.dpy, static_cast<unsigned>(number), press, CurrentTime);
    sync(screen);
}

void key(XDriver& screen, const char* keysym_name, bool press)
{
    const KeyCode code = XKeysymToKeycode(screen.dpy, XStringToKeysym(keysym_name));
    XTestFakeKeyEvent(screen.dpy, code, press, CurrentTime);
    sync(screen);
}

Image grab_root(XDriver& screen, int x, int y, int width, int height)
{
    XImage* xi = XGetImage(screen.dpy, DefaultRootWindow(screen.dpy), x, y, static_cast<unsigned>(width),
        static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!xi)
        return {};
    Image image = image_from_ximage(xi);
    XDestroyImage(xi);
    return image;
}

Image grab(XDriver& screen)
{
    int x = 0, y = 0;
    to_root(screen, 0, 0, &x, &y);
    return grab_root(screen, x, y, PICTURE_WIDTH, PICTURE_HEIGHT);
}

void close_window(XDriver& screen)
{
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = screen.top;
    ev.xclient.message_type = XInternAtom(screen.dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(screen.dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(screen.dpy, screen.top, False, NoEventMask, &ev);
    sync(screen);
}
