// The viewer's picture on an X server, worked as a person would: real input
// through XTest, the picture read back from the screen, and a window close as
// a window manager sends it.
#pragma once

#include <string>

#include "image.h"
#include "process.h"

struct _XDisplay;

// The viewer's picture, in pixels.
constexpr int PICTURE_WIDTH = 640;
constexpr int PICTURE_HEIGHT = 480;

// One connection to the server, aimed at the viewer's 640x480 picture.
struct XDriver {
    explicit XDriver(const std::string& display);
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    _XDisplay* dpy = nullptr;
    unsigned long window = 0; // the window that shows the picture
    unsigned long top = 0;    // the top-level window holding it, which a close request goes to
    int x = 0, y = 0;         // where the picture lies in `window`
};

// The viewer's window: the one mapped top-level window of the picture's size,
// or such a child of one whose frame the toolkit draws itself (Wine without a
// window manager). Aims `screen` at it; false if there is none.
bool find_viewer_window(XDriver& screen);
// Waits until `viewer` has mapped its window and drawn a non-black frame (or,
// with need_picture false, merely mapped it). False on timeout or exit.
bool wait_for_picture(XDriver& screen, Process& viewer, double seconds = 20.0, bool need_picture = true);

void move_pointer(XDriver& screen, int x, int y); // pixels of the picture
void button(XDriver& screen, int number, bool press);
void key(XDriver& screen, const char* keysym_name, bool press);

// An area of the root window as the screen shows it, whatever the visuals of the windows on it.
Image grab_root(XDriver& screen, int x, int y, int width, int height);
// The picture as it is on the screen now.
Image grab(XDriver& screen);
// Sends WM_DELETE_WINDOW to the top-level window, as a window manager's close button does.
void close_window(XDriver& screen);
