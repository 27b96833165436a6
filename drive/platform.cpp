#include "platform.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Where scripts/sdl-compat unpacks the compatibility layer in this build, and
// the environment that runs the viewer on it.
const std::string COMPAT_LIBS = build_dir() + "/sdl12-compat/usr/lib/" TURNFAN_LIBRARY_ARCHITECTURE;
const std::vector<std::string> ON_COMPAT = {"LD_LIBRARY_PATH=" + COMPAT_LIBS + "/sdl12-compat:" + COMPAT_LIBS};

std::string compat_missing()
{
    if (std::filesystem::exists(COMPAT_LIBS + "/sdl12-compat/libSDL-1.2.so.0"))
        return "";
    return "skipped: the SDL 1.2 compatibility layer is not unpacked in " + build_dir() + " (scripts/sdl-compat)";
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Black runs at least this long in a row belong to the viewer's background: a
// compositor's desktop, frames and title bars have none.
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
    return right - left + 1 == PICTURE_WIDTH && bottom - top + 1 == PICTURE_HEIGHT;
}

// weston on the private X server: its x11 backend draws the desktop into one
// window there and turns that server's input, XTest included, into Wayland
// input; it runs Xwayland for X clients. The viewer runs through Xwayland, or
// with `native` on the compatibility layer's SDL2 Wayland driver.
class Weston : public X11 {
public:
    explicit Weston(bool native)
        : native_(native)
    {
        char dir_template[] = "/tmp/turnfan-weston-XXXXXX";
        if (!server_.ok() || !mkdtemp(dir_template)) // mode 0700, as a runtime directory must be
            return;
        runtime_dir_ = dir_template;
        // --no-config: a weston.ini of the machine's must not change the desktop;
        // --idle-time=0: no screen blanking. A group of its own, so that Xwayland
        // and the shell's clients end with it.
        ProcessOptions options;
        options.env = {
            "DISPLAY=" + server_.display(), "XDG_RUNTIME_DIR=" + runtime_dir_, "WAYLAND_DISPLAY=", "WAYLAND_SOCKET="};
        options.err_file = log_path();
        options.out_too = options.own_group = true;
        weston_ = std::make_unique<Process>(
            std::vector<std::string>{"weston", "--backend=x11-backend.so", "--use-pixman", "--xwayland", "--no-config",
                "--idle-time=0", std::string("--socket=") + SOCKET},
            options);
    }
    ~Weston() override
    {
        viewer_.reset();
        xwayland_.reset();
        if (weston_)
            weston_->stop(); // weston ends Xwayland and its clients and removes its X lock file
        std::error_code ignored;
        if (!runtime_dir_.empty())
            std::filesystem::remove_all(runtime_dir_, ignored);
    }

    std::string unavailable() const override
    {
        for (const char* tool : {"weston", "Xwayland"})
            if (std::string why = missing_tool(tool); !why.empty())
                return why;
        return native_ ? compat_missing() : X11::unavailable();
    }

    std::string start(const std::vector<std::string>& args, const std::vector<std::string>& env) override
    {
        const std::string xwayland = xwayland_display();
        if (xwayland.empty())
            return "weston did not come up:\n" + read_file(log_path());
        env_ = {std::string("WAYLAND_DISPLAY=") + SOCKET, "XDG_RUNTIME_DIR=" + runtime_dir_, "DISPLAY=" + xwayland};
        if (native_) {
            // SDL2 prefers X11 while DISPLAY is set.
            env_ = joined(env_, ON_COMPAT);
            env_.push_back("DISPLAY=");
            env_.push_back("SDL_VIDEODRIVER=wayland");
        }
        if (!native_ && !xwayland_) {
            xwayland_ = std::make_unique<XDriver>(xwayland);
            if (!xwayland_->dpy)
                xwayland_.reset();
        }
        viewer_ = std::make_unique<Process>(command(args), ProcessOptions{joined(env_, env)});
        // weston fades a new window in: until then no channel is at full intensity.
        const auto faded_in = [](const Image& i) { return std::find(i.rgb.begin(), i.rgb.end(), 255) != i.rgb.end(); };
        // A native window may still move when its frame arrives: aim again once it shows.
        if (!find_nested_picture() || !faded_in(grab_until(*this, faded_in, start_seconds)) || !find_nested_picture())
            return "no picture on weston's desktop; the viewer printed:\n" + wait_exit(1).err + read_file(log_path());
        return "";
    }

    // weston stamps a key with the time it hands it on, which on a busy machine
    // comes in batches; a release and a press of one key with one time look like
    // auto-repeat to SDL, which drops the press. Through Xwayland, each key waits
    // until Xwayland holds it, so the next one leaves weston later; a native
    // window's keys are only kept apart in time.
    void key(const char* keysym_name, bool press) override
    {
        X11::key(keysym_name, press);
        if (!xwayland_) {
            pause_seconds(0.2);
            return;
        }
        const KeyCode code = XKeysymToKeycode(xwayland_->dpy, XStringToKeysym(keysym_name));
        wait_until(
            [&] {
                char keys[32];
                XQueryKeymap(xwayland_->dpy, keys);
                return ((keys[code / 8] >> (code % 8)) & 1) == press;
            },
            KEY_SECONDS, 0.005);
        pause_seconds(0.005);
    }

    // weston 14 hands an X client a press only once the pointer has moved within
    // its window, not on entering it: coming from the parking place, go there
    // by way of the next pixel.
    void move_pointer(int x, int y) override
    {
        if (parked_) {
            X11::move_pointer(x + 1, y);
            pause_seconds(0.05);
            parked_ = false;
        }
        X11::move_pointer(x, y);
    }

    void button(int number, bool press) override
    {
        X11::button(number, press);
        // The compositor draws the pointer into the picture: keep it off there
        // while no button is held.
        if (!press) {
            pause_seconds(0.05);
            park_pointer();
        }
    }

    // Moves the window with weston's own binding (Super and drag), then closes
    // it with the close button in its title bar.
    std::string close() override
    {
        drag(*this, 320, 240, 320, 240 + MOVED_TOP - screen_.y, 10, "Super_L");
        if (!find_nested_picture())
            return "the window is gone from weston's desktop";
        if (screen_.y != MOVED_TOP)
            return "weston's binding moved the window's top to " + std::to_string(screen_.y);
        move_pointer(CLOSE_X, CLOSE_Y);
        pause_seconds(0.05);
        X11::button(1, true);
        pause_seconds(0.05);
        X11::button(1, false);
        return "";
    }

private:
    static constexpr const char* SOCKET = "turnfan";
    // Keys weston keeps for itself (its bindings' modifier) never reach Xwayland.
    static constexpr double KEY_SECONDS = 2.0;
    // Where the window's top goes before the close: clear of weston's panel
    // along the desktop's top, which may hide a new window's title bar.
    static constexpr int MOVED_TOP = 100;
    // The close button, in the title bar above the picture's top right corner:
    // weston's frame for an Xwayland window and libdecor's for a native one both have it here.
    static constexpr int CLOSE_X = 625;
    static constexpr int CLOSE_Y = -12;

    std::string log_path() const { return runtime_dir_ + "/weston.log"; }

    // The display number weston gave Xwayland (the first one free, so only its
    // log knows), once Xwayland and the Wayland socket are up.
    std::string xwayland_display()
    {
        const std::string mark = "xserver listening on display ";
        std::string display;
        wait_until(
            [&] {
                const std::string log = read_file(log_path());
                const size_t at = log.find(mark), end = log.find('\n', at);
                struct stat st;
                if (at != std::string::npos && end != std::string::npos &&
                    stat((runtime_dir_ + "/" + SOCKET).c_str(), &st) == 0)
                    display = log.substr(at + mark.size(), end - at - mark.size());
                return !display.empty() || !weston_->running();
            },
            20.0);
        return display;
    }

    // Waits until the desktop, the one mapped top-level window of the private
    // server, shows the viewer's picture; aims input and grabs at it. The
    // pointer then leaves the desktop and comes back to a spot outside the
    // picture, since the compositor learns where the pointer is only when it enters.
    bool find_nested_picture()
    {
        XWindowAttributes desktop = {};
        const bool found = wait_until(
            [&] {
                if (!viewer_->running() || !find_desktop(&desktop))
                    return !viewer_->running();
                Image grabbed = grab_root(screen_, desktop.x, desktop.y, desktop.width, desktop.height);
                return find_picture(grabbed, &screen_.x, &screen_.y);
            },
            20.0);
        if (!found || !viewer_->running())
            return false;
        // Park in the desktop's corner farthest from the picture, which the
        // picture never reaches; enter it from just beyond.
        constexpr int INSET = 8;
        const bool right = screen_.x + PICTURE_WIDTH / 2 < desktop.width / 2;
        const bool below = screen_.y + PICTURE_HEIGHT / 2 < desktop.height / 2;
        park_x_ = desktop.x + (right ? desktop.width - INSET : INSET);
        park_y_ = desktop.y + (below ? desktop.height - INSET : INSET);
        XTestFakeMotionEvent(
            screen_.dpy, -1, desktop.x + desktop.width + INSET, desktop.y + desktop.height + INSET, CurrentTime);
        XSync(screen_.dpy, False);
        pause_seconds(0.05);
        park_pointer();
        return true;
    }

    bool find_desktop(XWindowAttributes* desktop)
    {
        Window root_return, parent, *children = nullptr;
        unsigned count = 0;
        screen_.window = screen_.top = 0;
        if (!XQueryTree(screen_.dpy, DefaultRootWindow(screen_.dpy), &root_return, &parent, &children, &count))
            return false;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(screen_.dpy, children[i], &a) && a.map_state == IsViewable) {
                screen_.window = children[i];
                *desktop = a;
            }
        }
        XFree(children);
        return screen_.window != 0;
    }

    void park_pointer()
    {
        XTestFakeMotionEvent(screen_.dpy, -1, park_x_, park_y_, CurrentTime);
        XSync(screen_.dpy, False);
        parked_ = true;
    }

    bool native_;
    std::string runtime_dir_;
    std::unique_ptr<Process> weston_;
    std::unique_ptr<XDriver> xwayland_; // Xwayland's own view of the keys
    int park_x_ = 0, park_y_ = 0;
    bool parked_ = false;
};

// The Windows exe under Wine on the private X server. SDL's Windows start-up
// code sends the program's output to stdout.txt and stderr.txt beside the exe
// (CR LF line ends) and deletes either at exit if it stayed empty, so every
// start gets its own copy of the exe in a fresh folder. Wine's settings (the
// prefix) come from the environment.
class Wine : public X11 {
public:
    // SDL_STDIO_REDIRECT=0 would send the output to the pipes instead of the files.
    Wine()
        : X11(24, {"SDL_STDIO_REDIRECT="})
    {
        start_seconds = 60.0; // Wine's first start in a prefix brings up its services
    }
    ~Wine() override
    {
        viewer_.reset();
        remove_copy();
    }

    std::string unavailable() const override
    {
        if (std::string why = missing_tool(wine()); !why.empty())
            return why;
        if (exe().empty())
            return "skipped: no Windows exe in TURNFAN_WINDOWS_EXE (scripts/test-windows runs these)";
        return X11::unavailable();
    }

    std::string start(const std::vector<std::string>& args, const std::vector<std::string>& env) override
    {
        remove_copy();
        char pattern[] = "/tmp/turnfan-wine-XXXXXX";
        if (!mkdtemp(pattern))
            return "no folder for the exe";
        dir_ = pattern;
        std::error_code failed;
        std::filesystem::copy_file(exe(), dir_ + "/turnfan.exe", failed);
        if (failed)
            return "could not copy " + exe() + ": " + failed.message();
        return X11::start(args, env);
    }

    std::string out() override { return text(dir_ + "/stdout.txt"); }

    // The program's output from its files; the pipes must stay empty.
    ExitResult wait_exit(double seconds) override
    {
        ExitResult r = X11::wait_exit(seconds);
        const std::string past_the_file = r.out;
        r.out = out() + past_the_file;
        r.err = text(dir_ + "/stderr.txt");
        if (r.err.empty() && std::filesystem::exists(dir_ + "/stderr.txt"))
            r.err = "(an empty stderr.txt left behind)";
        return r;
    }

protected:
    std::vector<std::string> command(const std::vector<std::string>& args) const override
    {
        return joined({wine(), dir_ + "/turnfan.exe"}, args);
    }

private:
    static std::string wine()
    {
        const char* w = std::getenv("TURNFAN_WINE");
        return w ? w : "wine";
    }
    static std::string exe()
    {
        const char* e = std::getenv("TURNFAN_WINDOWS_EXE");
        return e ? e : "";
    }
    // A file's text with the CRs of CR LF line ends taken out; "" if there is no file.
    static std::string text(const std::string& path)
    {
        std::string t = read_file(path);
        t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
        return t;
    }
    void remove_copy()
    {
        std::error_code ignored;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ignored);
    }

    std::string dir_;
};

} // namespace

std::string missing_tool(const std::string& tool)
{
    const char* path = std::getenv("PATH");
    if (tool.find('/') != std::string::npos)
        return access(tool.c_str(), X_OK) == 0 ? "" : "skipped: " + tool + " is not installed";
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        dir.append("/").append(tool);
        if (dir.size() > tool.size() + 1 && access(dir.c_str(), X_OK) == 0)
            return "";
    }
    return "skipped: " + tool + " is not installed";
}

const std::vector<std::string> PLATFORMS = {"x11", "x11_compat", "xwayland", "wayland", "wine", "browser"};

std::unique_ptr<Platform> make_platform(const std::string& name)
{
    if (name == "x11_compat")
        return std::make_unique<X11>(24, ON_COMPAT);
    if (name == "xwayland" || name == "wayland")
        return std::make_unique<Weston>(name == "wayland");
    if (name == "wine")
        return std::make_unique<Wine>();
    if (name == "browser")
        return std::make_unique<Browser>();
    return std::make_unique<X11>();
}

X11::X11(int depth, const std::vector<std::string>& env, const std::vector<std::string>& server_args)
    : server_(depth, server_args)
    , screen_(server_.ok() ? server_.display() : ":none")
    , env_(env)
{
}

std::string X11::unavailable() const
{
    if (std::string why = missing_tool("Xvfb"); !why.empty())
        return why;
    const bool on_compat = !env_.empty() && env_[0] == ON_COMPAT[0];
    return on_compat ? compat_missing() : "";
}

std::vector<std::string> X11::command(const std::vector<std::string>& args) const
{
    return joined(joined(launcher, {viewer}), args);
}

std::string X11::start(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    if (!server_.ok())
        return "the private X server did not start";
    viewer_ = std::make_unique<Process>(
        command(args), ProcessOptions{joined(joined({"DISPLAY=" + server_.display()}, env_), env)});
    if (!wait_for_picture(screen_, *viewer_, start_seconds)) {
        const ExitResult r = viewer_->wait(5.0);
        return "the viewer showed no frame; it printed:\n" + r.out + r.err;
    }
    // No window manager: the keyboard follows the pointer.
    ::move_pointer(screen_, 600, 40);
    return "";
}

ExitResult X11::wait_exit(double seconds)
{
    return viewer_ ? viewer_->wait(seconds) : ExitResult{};
}

Browser::~Browser()
{
    end_driver();
}

std::string Browser::unavailable() const
{
    if (std::string why = missing_tool("node"); !why.empty())
        return why;
    if (std::string why = missing_tool(chromium()); !why.empty())
        return why;
    if (!std::filesystem::exists(site() + "/index.html"))
        return "skipped: no web page in TURNFAN_WEB_SITE (scripts/test-web builds and tests it)";
    return "";
}

std::string Browser::start(const std::vector<std::string>&, const std::vector<std::string>& env)
{
    end_driver();
    std::vector<std::string> argv = {"node", TURNFAN_DRIVE_DIR "/driver.mjs", site()};
    for (const std::string& e : env) {
        if (e == "SDL_VIDEODRIVER=dummy")
            argv.push_back("--no-webgl");
        else if (e.rfind("SDL_VIDEODRIVER=", 0) == 0)
            return "a page has no video driver to choose";
    }
    ProcessOptions options;
    options.input = true;
    options.own_group = true; // the browser's processes go with it
    driver_ = std::make_unique<Process>(argv, options);
    if (answer(60.0) != "ok ready")
        return "the page did not load; the driver said:\n" + driver_->out();
    if (page_text().find("ended with status") != std::string::npos)
        return "the program ended at once";
    const bool drawn = wait_until(
        [&] {
            const Image i = grab();
            return !i.rgb.empty() && std::any_of(i.rgb.begin(), i.rgb.end(), [](uint8_t c) { return c != 0; });
        },
        20.0);
    return drawn ? "" : "the page showed no frame";
}

void Browser::key(const char* keysym_name, bool press)
{
    // Playwright's names for the X keysyms the tests use.
    const std::string keysym = keysym_name;
    std::string name = keysym;
    if (keysym == "Shift_L")
        name = "Shift";
    else if (keysym == "Shift_R")
        name = "ShiftRight";
    else if (keysym == "Control_L")
        name = "Control";
    else if (keysym == "Control_R")
        name = "ControlRight";
    run("key " + name + (press ? " down" : " up"));
}

void Browser::move_pointer(int x, int y)
{
    run("move " + std::to_string(x) + " " + std::to_string(y));
}

void Browser::button(int, bool press)
{
    run(press ? "button down" : "button up"); // the left button, which is all drags use
}

Image Browser::grab()
{
    const std::string path = build_dir() + "/browser-grab.png";
    Image shot = run("grab " + path) == "ok" ? load_png(path) : Image();
    // On a dense screen, r device pixels a side for each of the program's: the first of each.
    const int r = shot.width / PICTURE_WIDTH;
    if (r < 2 || shot.width != PICTURE_WIDTH * r || shot.height != PICTURE_HEIGHT * r)
        return shot;
    Image image;
    image.width = PICTURE_WIDTH;
    image.height = PICTURE_HEIGHT;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.rgb.insert(image.rgb.end(), shot.at(r * x, r * y), shot.at(r * x, r * y) + 3);
    return image;
}

std::string Browser::out()
{
    return json_text(run("out"));
}

ExitResult Browser::wait_exit(double seconds)
{
    ExitResult r;
    const std::string end = run("wait-end " + std::to_string(seconds));
    if (end.rfind("ok ", 0) == 0) {
        r.exited = true;
        r.status = std::atoi(end.c_str() + 3);
    }
    r.out = out();
    r.err = json_text(run("err"));
    return r;
}

std::string Browser::run(const std::string& command)
{
    if (!driver_ || !driver_->send(command + "\n"))
        return "error no driver";
    return answer(120.0);
}

std::string Browser::page_text()
{
    return json_text(run("page-text"));
}

std::string Browser::site()
{
    const char* s = std::getenv("TURNFAN_WEB_SITE");
    return s ? s : "";
}

std::string Browser::chromium()
{
    const char* c = std::getenv("TURNFAN_CHROMIUM");
    return c ? c : "/usr/bin/chromium";
}

std::string Browser::json_text(const std::string& answer)
{
    std::string t;
    for (size_t i = 4; i + 1 < answer.size(); ++i) {
        if (answer[i] != '\\') {
            t += answer[i];
            continue;
        }
        const char c = answer[++i];
        t += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return t;
}

std::string Browser::answer(double seconds)
{
    std::string line;
    wait_until(
        [&] {
            const std::string& all = driver_->out();
            const size_t end = all.find('\n', read_);
            if (end == std::string::npos)
                return !driver_->running();
            line = all.substr(read_, end - read_);
            read_ = end + 1;
            return true;
        },
        seconds, 0.005);
    return line;
}

void Browser::end_driver()
{
    if (driver_) {
        driver_->send("quit\n");
        driver_->wait(30.0);
    }
    driver_.reset();
    read_ = 0;
}

void tap(Platform& p, const char* keysym_name, int times)
{
    // Keep presses apart in time: a release followed at once by a press of the
    // same key looks like auto-repeat to SDL, which then drops both.
    for (int i = 0; i < times; ++i) {
        p.key(keysym_name, true);
        pause_seconds(0.02);
        p.key(keysym_name, false);
        pause_seconds(0.02);
    }
}

void drag(Platform& p, int x0, int y0, int x1, int y1, int steps, const char* modifier)
{
    if (modifier)
        p.key(modifier, true);
    p.move_pointer(x0, y0);
    pause_seconds(0.05);
    p.button(1, true);
    pause_seconds(0.05);
    for (int i = 1; i <= steps; ++i) {
        p.move_pointer(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        pause_seconds(0.02);
    }
    pause_seconds(0.05);
    p.button(1, false);
    pause_seconds(0.05);
    if (modifier)
        p.key(modifier, false);
}

Image grab_until(Platform& p, const std::function<bool(const Image&)>& wanted, double seconds)
{
    Image image;
    wait_until(
        [&] {
            image = p.grab();
            return wanted(image);
        },
        seconds);
    return image;
}

Image grab_settled(Platform& p)
{
    Image last = p.grab();
    wait_until(
        [&] {
            pause_seconds(0.15);
            Image next = p.grab();
            const bool same = next.rgb == last.rgb;
            last = std::move(next);
            return same;
        },
        10.0, 0.0);
    return last;
}

const std::vector<Step> WALK = {
    {"chain-w30-e20-d15", "w x30, e x20, d x15: fixed-axis chain",
        [](Platform& p) {
            tap(p, "w", 30);
            tap(p, "e", 20);
            tap(p, "d", 15);
        }},
    {"quaternion-w30-e20-d15", "m: the same angles as quaternions (yellow)", [](Platform& p) { tap(p, "m"); }},
    {"after-rotating-drag", "drag: the trackball turns the scene", [](Platform& p) { drag(p, 320, 240, 400, 200); }},
    {"after-shift-drag", "Shift + drag down: nearer", [](Platform& p) { drag(p, 320, 160, 320, 300, 10, "Shift_L"); }},
    {"after-ctrl-drag", "Ctrl + drag: pan", [](Platform& p) { drag(p, 320, 240, 380, 280, 10, "Control_L"); }},
};
