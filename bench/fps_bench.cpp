// Frame rate of whole programs, unchanged, one at a time on one private X
// server: the viewer, a bare loop that only clears and swaps, the viewer with
// glFlush made a no-op, and the Windows build's exe under Wine. Frames are
// counted by the X server, so any program can be measured: with Mesa's
// software OpenGL on Xvfb every buffer swap ends in one image put of the back
// buffer onto the program's window (MIT-SHM's PutImage, or the core one), and
// nothing else puts images there. The RECORD extension reports each such request.
//
// Each repetition of a benchmark is one round: start the program, wait for its
// window, let it settle, count its frames for ROUND_SECONDS, kill it. Run with
// --benchmark_repetitions and --benchmark_enable_random_interleaving, so that
// the rounds of the programs compared alternate; counter fps is the figure.
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "process.h"
#include "x_driver.h"
#include "xvfb.h"

namespace {

constexpr double SETTLE_SECONDS = 1.0; // between the first picture and the round
constexpr double ROUND_SECONDS = 3.0;
constexpr int X_SHM_PUT_IMAGE = 3;

// Counts the image puts onto one window, from any client.
class PutCounter {
public:
    explicit PutCounter(const std::string& display)
        : control_(XOpenDisplay(display.c_str()))
        , data_(XOpenDisplay(display.c_str()))
    {
        int shm_major, event, error;
        if (!control_ || !data_ || !XQueryExtension(control_, "MIT-SHM", &shm_major, &event, &error))
            return;
        XRecordRange* range = XRecordAllocRange();
        range->core_requests.first = range->core_requests.last = X_PutImage;
        range->ext_requests.ext_major.first = range->ext_requests.ext_major.last = static_cast<uint8_t>(shm_major);
        range->ext_requests.ext_minor.first = range->ext_requests.ext_minor.last = X_SHM_PUT_IMAGE;
        XRecordClientSpec clients = XRecordAllClients;
        context_ = XRecordCreateContext(control_, 0, &clients, 1, &range, 1);
        XFree(range);
        XSync(control_, False);
    }

    bool ok() const { return context_ != 0; }

    // The puts onto `window` over `seconds` from now; their rate.
    double rate(unsigned long window, double seconds)
    {
        window_ = window;
        puts_ = 0;
        ended_ = false;
        XRecordEnableContextAsync(data_, context_, on_request, reinterpret_cast<XPointer>(this));
        XFlush(data_);
        const double from = now_seconds();
        wait_until([&] { return XRecordProcessReplies(data_), false; }, seconds, 0.01);
        XRecordDisableContext(control_, context_);
        XSync(control_, False);
        const double to = now_seconds();
        wait_until([&] { return XRecordProcessReplies(data_), ended_; }, 5.0, 0.001);
        return static_cast<double>(puts_) / (to - from);
    }

private:
    static void on_request(XPointer self_pointer, XRecordInterceptData* d)
    {
        auto* self = reinterpret_cast<PutCounter*>(self_pointer);
        self->ended_ = self->ended_ || d->category == XRecordEndOfData;
        if (d->category == XRecordFromClient && d->data_len >= 3) {
            // The drawable follows the 16-bit length, or the 32-bit one when that is 0 (BIG-REQUESTS).
            uint16_t length;
            uint32_t drawable;
            std::memcpy(&length, d->data + 2, sizeof length);
            std::memcpy(&drawable, d->data + (length == 0 ? 8 : 4), sizeof drawable);
            self->puts_ += drawable == self->window_;
        }
        XRecordFreeData(d);
    }

    Display* control_;
    Display* data_;
    XRecordContext context_ = 0;
    unsigned long window_ = 0;
    long puts_ = 0;
    bool ended_ = false;
};

struct Program {
    std::vector<std::string> argv;
    std::vector<std::string> env;
    bool draws_picture; // the bare loop's window stays black
};

void BM_fps(benchmark::State& state, const Program& p)
{
    static XvfbServer server;
    static PutCounter counter(server.display());
    if (!server.ok() || !counter.ok()) {
        state.SkipWithError("no X server that records requests (Xvfb with RECORD and MIT-SHM)");
        return;
    }
    std::vector<std::string> files = {p.argv.back()};
    for (const std::string& e : p.env)
        files.push_back(e.substr(e.find('=') + 1));
    for (const std::string& file : files)
        if (!std::filesystem::exists(file)) {
            state.SkipWithError(("no " + file).c_str());
            return;
        }
    for (auto _ : state) {
        std::vector<std::string> env = p.env;
        env.push_back("DISPLAY=" + server.display());
        Process program(p.argv, {env});
        XDriver screen(server.display());
        if (!wait_for_picture(screen, program, 60.0, p.draws_picture)) {
            state.SkipWithError("the program showed no window");
            return;
        }
        pause_seconds(SETTLE_SECONDS);
        const double fps = counter.rate(screen.window, ROUND_SECONDS);
        state.SetIterationTime(ROUND_SECONDS);
        state.counters["fps"] = fps;
    }
}

const char* const WINE = std::getenv("TURNFAN_WINE") ? std::getenv("TURNFAN_WINE") : "wine";

} // namespace

// The paths come from the build (bench/CMakeLists.txt); Wine's prefix from the environment.
BENCHMARK_CAPTURE(BM_fps, turnfan, Program{{TURNFAN_VIEWER}, {}, true})->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_fps, bare_loop, Program{{TURNFAN_BARE_LOOP}, {}, false})->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_fps, turnfan_glflush_noop, Program{{TURNFAN_VIEWER}, {"LD_PRELOAD=" TURNFAN_NO_FLUSH}, true})
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_fps, turnfan_exe_wine, Program{{WINE, TURNFAN_WINDOWS_EXE}, {}, true})
    ->UseManualTime()
    ->Iterations(1);

BENCHMARK_MAIN();
