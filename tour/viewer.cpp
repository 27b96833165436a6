#include "viewer.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

// The environment of this process with `changes` applied.
std::vector<std::string> child_environment(const std::string& display, const std::vector<std::string>& changes)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.push_back(*e);
    std::vector<std::string> all = {"DISPLAY=" + display};
    all.insert(all.end(), changes.begin(), changes.end());
    for (const std::string& change : all) {
        std::string name = change.substr(0, change.find('=') + 1);
        for (size_t i = 0; i < env.size();)
            if (env[i].compare(0, name.size(), name) == 0)
                env.erase(env.begin() + static_cast<long>(i));
            else
                ++i;
        if (change.size() > name.size())
            env.push_back(change);
    }
    return env;
}

std::vector<char*> c_strings(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    out.reserve(strings.size() + 1);
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

void read_available(int fd, std::string* into)
{
    char buf[4096];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            return;
        into->append(buf, static_cast<size_t>(n));
    }
}

// 8-bit value of the channel under `mask` in `pixel`.
uint8_t channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    unsigned long max = mask >> shift;
    unsigned long value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

// Swallows X errors: for lookups of windows that another client may destroy
// at any moment.
int ignore_x_error(Display*, XErrorEvent*)
{
    return 0;
}

// The mapped children of a window, bottom first.
std::vector<unsigned long> viewable_children(Display* dpy, Window parent)
{
    std::vector<unsigned long> out;
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
    return XGetWindowAttributes(dpy, w, &a) && a.width == WIDTH && a.height == HEIGHT;
}

bool has_colour(const Image& image)
{
    for (uint8_t v : image.rgb)
        if (v != 0)
            return true;
    return false;
}

// The screen's pixels in an area of the root window: what is shown there,
// whatever visual the windows on it use.
Image grab_root(Display* dpy, int x, int y, int width, int height)
{
    XImage* xi = XGetImage(dpy, DefaultRootWindow(dpy), x, y, static_cast<unsigned>(width),
        static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!xi)
        return {};
    Image image = image_from_ximage(xi);
    XDestroyImage(xi);
    return image;
}

// Black runs at least this long in a row belong to the viewer's background:
// a compositor's desktop, frames and title bars have none.
constexpr int MIN_BLACK_RUN = 100;

// Finds the viewer's picture in a grab of a desktop: the bounding box of the
// long black runs, if it has the picture's size.
bool find_picture(const Image& desktop, int* x, int* y)
{
    int left = desktop.width, right = -1, top = desktop.height, bottom = -1;
    for (int row = 0; row < desktop.height; ++row) {
        int run = 0;
        for (int col = 0; col <= desktop.width; ++col) {
            const uint8_t* p = col < desktop.width ? desktop.at(col, row) : nullptr;
            if (p && p[0] == 0 && p[1] == 0 && p[2] == 0) {
                ++run;
                continue;
            }
            if (run >= MIN_BLACK_RUN) {
                left = std::min(left, col - run);
                right = std::max(right, col - 1);
                top = std::min(top, row);
                bottom = std::max(bottom, row);
            }
            run = 0;
        }
    }
    *x = left;
    *y = top;
    return right - left + 1 == WIDTH && bottom - top + 1 == HEIGHT;
}

} // namespace

bool Image::save_png(const std::string& path) const
{
    std::string ppm = path + ".ppm";
    FILE* f = std::fopen(ppm.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    std::fwrite(rgb.data(), 1, rgb.size(), f);
    std::fclose(f);
    bool ok = run_program({"convert", ppm, path});
    std::remove(ppm.c_str());
    return ok;
}

Image image_from_ximage(XImage* xi)
{
    Image image;
    image.width = xi->width;
    image.height = xi->height;
    image.rgb.resize(static_cast<size_t>(xi->width) * static_cast<size_t>(xi->height) * 3);
    for (int row = 0; row < xi->height; ++row)
        for (int col = 0; col < xi->width; ++col) {
            unsigned long p = XGetPixel(xi, col, row);
            uint8_t* out = &image.rgb[3 * (static_cast<size_t>(row) * static_cast<size_t>(xi->width) + col)];
            out[0] = channel(p, xi->red_mask);
            out[1] = channel(p, xi->green_mask);
            out[2] = channel(p, xi->blue_mask);
        }
    return image;
}

Viewer::Viewer(const std::string& display, const std::string& binary, const std::vector<std::string>& args,
    const std::vector<std::string>& env)
{
    dpy_ = XOpenDisplay(display.c_str());

    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);

    std::vector<std::string> argv_strings = {binary};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<std::string> env_strings = child_environment(display, env);
    std::vector<char*> argv = c_strings(argv_strings);
    std::vector<char*> envp = c_strings(env_strings);
    if (posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);

    close(out[1]);
    close(err[1]);
    out_fd_ = out[0];
    err_fd_ = err[0];
    fcntl(out_fd_, F_SETFL, O_NONBLOCK);
    fcntl(err_fd_, F_SETFL, O_NONBLOCK);
}

Viewer::~Viewer()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (out_fd_ >= 0)
        close(out_fd_);
    if (err_fd_ >= 0)
        close(err_fd_);
    if (dpy_)
        XCloseDisplay(dpy_);
}

bool Viewer::wait_for_window(double seconds, bool need_picture)
{
    if (!dpy_ || pid_ <= 0)
        return false;
    double end = now_seconds() + seconds;
    while (now_seconds() < end) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        // The private server runs no other client, so the viewer's window is
        // the one mapped top-level window of its size, or the one child of
        // that size of a top-level window whose frame the toolkit draws itself
        // (Wine without a window manager).
        window_ = 0;
        top_ = 0;
        // SDL creates and destroys windows while it starts: one listed here
        // may be gone by the time it is asked about (BadWindow).
        XSync(dpy_, False);
        XErrorHandler previous = XSetErrorHandler(ignore_x_error);
        for (unsigned long top : viewable_children(dpy_, DefaultRootWindow(dpy_))) {
            if (has_viewer_size(dpy_, top)) {
                window_ = top;
                top_ = top;
            }
            for (unsigned long inner : viewable_children(dpy_, top))
                if (has_viewer_size(dpy_, inner)) {
                    window_ = inner;
                    top_ = top;
                }
        }
        XSync(dpy_, False);
        XSetErrorHandler(previous);
        if (window_ && (!need_picture || has_colour(grab())))
            return true;
        pause_seconds(0.05);
    }
    return false;
}

bool Viewer::wait_for_nested_window(double seconds)
{
    if (!dpy_ || pid_ <= 0)
        return false;
    const Window root = DefaultRootWindow(dpy_);
    double end = now_seconds() + seconds;
    while (now_seconds() < end) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        // The desktop is the one mapped top-level window of the private server.
        Window root_return, parent, *children = nullptr;
        unsigned count = 0;
        XWindowAttributes desktop = {};
        window_ = 0;
        if (XQueryTree(dpy_, root, &root_return, &parent, &children, &count)) {
            for (unsigned i = 0; i < count; ++i) {
                XWindowAttributes a;
                if (XGetWindowAttributes(dpy_, children[i], &a) && a.map_state == IsViewable) {
                    window_ = children[i];
                    desktop = a;
                }
            }
            XFree(children);
        }
        if (window_ &&
            find_picture(
                grab_root(dpy_, desktop.x, desktop.y, desktop.width, desktop.height), &origin_x_, &origin_y_)) {
            // Park in the desktop's corner farthest from the picture, which the
            // picture never reaches; enter it from just beyond.
            constexpr int INSET = 8;
            const bool right = origin_x_ + WIDTH / 2 < desktop.width / 2;
            const bool below = origin_y_ + HEIGHT / 2 < desktop.height / 2;
            park_x_ = desktop.x + (right ? desktop.width - INSET : INSET);
            park_y_ = desktop.y + (below ? desktop.height - INSET : INSET);
            XTestFakeMotionEvent(
                dpy_, -1, desktop.x + desktop.width + INSET, desktop.y + desktop.height + INSET, CurrentTime);
            sync();
            pause_seconds(0.05);
            park_pointer();
            return true;
        }
        pause_seconds(0.05);
    }
    return false;
}

void Viewer::park_pointer()
{
    XTestFakeMotionEvent(dpy_, -1, park_x_, park_y_, CurrentTime);
    sync();
}

void Viewer::sync()
{
    XSync(dpy_, False);
}

void Viewer::move_pointer(int x, int y)
{
    int root_x = 0, root_y = 0;
    Window child;
    XTranslateCoordinates(
        dpy_, window_, DefaultRootWindow(dpy_), origin_x_ + x, origin_y_ + y, &root_x, &root_y, &child);
    XTestFakeMotionEvent(dpy_, -1, root_x, root_y, CurrentTime);
    sync();
}

void Viewer::button(int number, bool press)
{
    XTestFakeButtonEvent(dpy_, static_cast<unsigned>(number), press, CurrentTime);
    sync();
}

void Viewer::key(const char* keysym_name, bool press)
{
    KeyCode code = XKeysymToKeycode(dpy_, XStringToKeysym(keysym_name));
    XTestFakeKeyEvent(dpy_, code, press, CurrentTime);
    sync();
}

void Viewer::tap(const char* keysym_name, int times)
{
    // Keep presses apart in time: a release followed at once by a press of the
    // same key looks like auto-repeat to SDL, which then drops both.
    for (int i = 0; i < times; ++i) {
        key(keysym_name, true);
        pause_seconds(0.02);
        key(keysym_name, false);
        pause_seconds(0.02);
    }
}

void Viewer::set_server_key_repeat(int delay_ms, int per_second)
{
    XKeyboardControl control = {};
    control.auto_repeat_mode = AutoRepeatModeOn;
    XChangeKeyboardControl(dpy_, KBAutoRepeatMode, &control);
    XkbSetAutoRepeatRate(
        dpy_, XkbUseCoreKbd, static_cast<unsigned>(delay_ms), static_cast<unsigned>(1000 / per_second));
    sync();
}

void Viewer::drag(int x0, int y0, int x1, int y1, int steps)
{
    move_pointer(x0, y0);
    pause_seconds(0.05);
    button(1, true);
    pause_seconds(0.05);
    for (int i = 1; i <= steps; ++i) {
        move_pointer(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        pause_seconds(0.02);
    }
    pause_seconds(0.05);
    button(1, false);
    pause_seconds(0.05);
}

void Viewer::drag_burst(int x, int y, int motions)
{
    move_pointer(x, y);
    int root_x = 0, root_y = 0;
    Window child;
    XTranslateCoordinates(
        dpy_, window_, DefaultRootWindow(dpy_), origin_x_ + x, origin_y_ + y, &root_x, &root_y, &child);
    XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
    for (int i = 1; i <= motions; ++i)
        XTestFakeMotionEvent(dpy_, -1, root_x + i % 40, root_y + i % 30, CurrentTime);
    XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
    sync();
}

Image Viewer::grab()
{
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(dpy_, window_, DefaultRootWindow(dpy_), origin_x_, origin_y_, &x, &y, &child);
    return grab_root(dpy_, x, y, WIDTH, HEIGHT);
}

Image Viewer::grab_settled(double seconds)
{
    double end = now_seconds() + seconds;
    Image last = grab();
    while (now_seconds() < end) {
        pause_seconds(0.15);
        Image next = grab();
        if (next.rgb == last.rgb)
            return next;
        last = next;
    }
    return last;
}

void Viewer::close_window()
{
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = top_;
    ev.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy_, top_, False, NoEventMask, &ev);
    sync();
}

void Viewer::drain_output()
{
    read_available(out_fd_, &out_);
    read_available(err_fd_, &err_);
}

ExitResult Viewer::wait_exit(double seconds)
{
    ExitResult r;
    double end = now_seconds() + seconds;
    int status = 0;
    while (pid_ > 0) {
        drain_output();
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            r.exited = WIFEXITED(status);
            r.status = r.exited ? WEXITSTATUS(status) : -1;
            r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            break;
        }
        if (now_seconds() > end) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            break;
        }
        pause_seconds(0.01);
    }
    // The write ends closed with the process: read to the end.
    fcntl(out_fd_, F_SETFL, 0);
    fcntl(err_fd_, F_SETFL, 0);
    read_available(out_fd_, &out_);
    read_available(err_fd_, &err_);
    r.out = out_;
    r.err = err_;
    return r;
}

ExitResult run_to_exit(const std::string& display, const std::string& binary, const std::vector<std::string>& args,
    const std::vector<std::string>& env, double seconds)
{
    Viewer v(display, binary, args, env);
    return v.wait_exit(seconds);
}

bool run_program(const std::vector<std::string>& argv)
{
    std::vector<std::string> strings = argv;
    std::vector<char*> args = c_strings(strings);
    pid_t pid;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double now_seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void pause_seconds(double seconds)
{
    timespec t;
    t.tv_sec = static_cast<time_t>(seconds);
    t.tv_nsec = static_cast<long>((seconds - static_cast<double>(t.tv_sec)) * 1e9);
    nanosleep(&t, nullptr);
}
