// Frame rate of the Windows build's exe under Wine next to the Linux build's
// binary, both unchanged, side by side on one private X server. The LD_PRELOAD
// swap counter cannot reach into Wine, so the frames are counted by the X server
// instead: with Mesa's software OpenGL on Xvfb every buffer swap ends in one
// image put of the whole back buffer onto the viewer's window (MIT-SHM's
// PutImage, or the core PutImage without shared memory), and nothing else puts
// images there. The RECORD extension reports each such request. A third program, the Linux
// binary with the swap counter, checks the method: both counts of its frames
// must agree.
//
// usage: wine_fps_bench VIEWER WINDOWS_EXE WINE SWAP_COUNTER [--cycles N] [--seconds S]
//   Wine's settings (WINEPREFIX, ...) come from the environment.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <signal.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "swap_reports.h"
#include "viewer.h"
#include "xvfb.h"

namespace {

constexpr double SETTLE = 1.0; // seconds between the first picture and the round
constexpr int X_SHM_PUT_IMAGE = 3;

// A field of a request, in the client's byte order, which is this machine's.
template <typename T> T field(const unsigned char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The X server's clock: CLOCK_MONOTONIC in whole milliseconds, 32 bits.
uint32_t server_time(double monotonic_seconds)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(monotonic_seconds * 1000.0));
}

// Counts the image puts onto one window, from any client.
class FramePutCounter {
public:
    explicit FramePutCounter(const std::string& display)
        : control_(XOpenDisplay(display.c_str()))
        , data_(XOpenDisplay(display.c_str()))
    {
        int event, error;
        if (!control_ || !data_ || !XQueryExtension(control_, "MIT-SHM", &shm_major_, &event, &error))
            return;
        XRecordRange* range = XRecordAllocRange();
        range->core_requests.first = X_PutImage;
        range->core_requests.last = X_PutImage;
        range->ext_requests.ext_major.first = static_cast<unsigned char>(shm_major_);
        range->ext_requests.ext_major.last = static_cast<unsigned char>(shm_major_);
        range->ext_requests.ext_minor.first = X_SHM_PUT_IMAGE;
        range->ext_requests.ext_minor.last = X_SHM_PUT_IMAGE;
        XRecordClientSpec clients = XRecordAllClients;
        // Each request comes with the server's time (milliseconds of CLOCK_MONOTONIC).
        context_ = XRecordCreateContext(control_, XRecordFromClientTime, &clients, 1, &range, 1);
        XFree(range);
        XSync(control_, False);
    }
    ~FramePutCounter()
    {
        if (context_)
            XRecordFreeContext(control_, context_);
        if (data_)
            XCloseDisplay(data_);
        if (control_)
            XCloseDisplay(control_);
    }
    FramePutCounter(const FramePutCounter&) = delete;
    FramePutCounter& operator=(const FramePutCounter&) = delete;

    bool ok() const { return context_ != 0; }

    // Starts counting the puts onto `window`; returns the time it started.
    double start(unsigned long window)
    {
        window_ = window;
        put_times_.clear();
        ended_ = false;
        XRecordEnableContextAsync(data_, context_, on_request, reinterpret_cast<XPointer>(this));
        XFlush(data_);
        return now_seconds();
    }

    // Takes in what has been recorded so far.
    void poll() { XRecordProcessReplies(data_); }

    // Stops counting; the puts since start().
    long stop()
    {
        XRecordDisableContext(control_, context_);
        XSync(control_, False);
        while (!ended_) {
            XRecordProcessReplies(data_);
            pause_seconds(0.001);
        }
        return static_cast<long>(put_times_.size());
    }

    // The puts counted by the server after `from` and up to `to` (CLOCK_MONOTONIC seconds).
    long puts_between(double from, double to) const
    {
        long n = 0;
        for (uint32_t t : put_times_)
            n += static_cast<int32_t>(t - server_time(from)) > 0 && static_cast<int32_t>(t - server_time(to)) <= 0;
        return n;
    }

private:
    static void on_request(XPointer self_pointer, XRecordInterceptData* d)
    {
        auto* self = reinterpret_cast<FramePutCounter*>(self_pointer);
        if (d->category == XRecordEndOfData)
            self->ended_ = true;
        if (d->category == XRecordFromClient && d->data_len >= 3) {
            const unsigned char* r = d->data;
            // A request whose 16-bit length is 0 carries a 32-bit one after it (BIG-REQUESTS).
            const int drawable_at = field<uint16_t>(r + 2) == 0 ? 8 : 4;
            if (field<uint32_t>(r + drawable_at) == self->window_)
                self->put_times_.push_back(static_cast<uint32_t>(d->server_time));
        }
        XRecordFreeData(d);
    }

    Display* control_;
    Display* data_;
    int shm_major_ = 0;
    XRecordContext context_ = 0;
    unsigned long window_ = 0;
    std::vector<uint32_t> put_times_; // server time of each put, milliseconds
    bool ended_ = false;
};

// The swaps that the LD_PRELOAD counter reports between its first and its last
// report inside [from, to].

struct Program {
    const char* name;
    std::string binary;
    std::vector<std::string> args;
    std::vector<std::string> env;
    std::vector<double> fps;
    std::vector<double> counted_by_swaps; // the swap counter's count over the X server's, where there is one
};

// One round of one program: frames per second, 0 if it did not come up.
double round_fps(const std::string& display, FramePutCounter& counter, Program& p, double seconds)
{
    Viewer program(display, p.binary, p.args, p.env);
    if (!program.wait_for_window(60.0))
        return 0.0;
    pause_seconds(SETTLE);
    const double from = counter.start(program.window());
    const double end = from + seconds;
    while (now_seconds() < end) {
        counter.poll();
        pause_seconds(0.01);
    }
    const long puts = counter.stop();
    const double to = now_seconds();
    kill(program.pid(), SIGKILL);
    const std::string reports = program.wait_exit().err;
    const double fps = static_cast<double>(puts) / (to - from);
    if (!p.env.empty()) {
        const SwapSpan span = swaps_reported(reports, from, to);
        p.counted_by_swaps.push_back(
            static_cast<double>(span.swaps) / static_cast<double>(counter.puts_between(span.first, span.last)));
    }
    return fps;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s VIEWER WINDOWS_EXE WINE SWAP_COUNTER [--cycles N] [--seconds S]\n", argv[0]);
        return 2;
    }
    int cycles = 7;
    double seconds = 3.0;
    for (int i = 5; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--cycles"))
            cycles = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::atof(argv[i + 1]);
    }
    std::vector<Program> programs = {
        {"Linux binary", argv[1], {}, {}, {}, {}},
        {"turnfan.exe under Wine", argv[3], {argv[2]}, {}, {}, {}},
        {"Linux, swap counter too", argv[1], {}, {std::string("LD_PRELOAD=") + argv[4]}, {}, {}},
    };

    XvfbServer server;
    if (!server.ok()) {
        std::fprintf(stderr, "wine_fps_bench: could not start Xvfb\n");
        return 1;
    }
    FramePutCounter counter(server.display());
    if (!counter.ok()) {
        std::fprintf(stderr, "wine_fps_bench: the X server records no requests (RECORD, MIT-SHM)\n");
        return 1;
    }
    std::vector<double> ratios;
    for (int c = 0; c < cycles; ++c) {
        std::vector<double> fps(programs.size());
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const std::size_t k = (static_cast<std::size_t>(c) + i) % programs.size();
            fps[k] = round_fps(server.display(), counter, programs[k], seconds);
            if (fps[k] <= 0.0) {
                std::fprintf(stderr, "wine_fps_bench: %s showed no window or no frames\n", programs[k].name);
                return 1;
            }
            programs[k].fps.push_back(fps[k]);
        }
        ratios.push_back(fps[1] / fps[0]);
        std::printf("cycle %d:", c + 1);
        for (std::size_t k = 0; k < programs.size(); ++k)
            std::printf("  %s %.1f", programs[k].name, fps[k]);
        std::printf(" frames/s\n");
        std::fflush(stdout);
    }
    std::printf("\nmedian of %d rounds of %.1f s each, frames counted by the X server:\n", cycles, seconds);
    for (const Program& p : programs)
        std::printf("  %-24s %8.1f frames/s  (%.2f ms a frame)\n", p.name, median(p.fps), 1000.0 / median(p.fps));
    std::printf("median ratio, Wine to Linux in the same cycle: %.3f\n", median(ratios));
    std::printf("the swap counter's count over the X server's, same frames: median %.4f, from %.4f to %.4f\n",
        median(programs[2].counted_by_swaps),
        *std::min_element(programs[2].counted_by_swaps.begin(), programs[2].counted_by_swaps.end()),
        *std::max_element(programs[2].counted_by_swaps.begin(), programs[2].counted_by_swaps.end()));
    return 0;
}
