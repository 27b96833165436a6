// Frame rate of the real viewer binary, unchanged, against the bare loop
// program, both counted by the swap-counting LD_PRELOAD shim on one private X
// server. Each cycle starts each program once, in an order that rotates from
// cycle to cycle, lets it settle, counts its swaps over a round of fixed
// length and kills it.
//
// usage: viewer_fps_bench VIEWER BARE_LOOP SHIM [--cycles N] [--seconds S] [--no-flush NO_FLUSH_SHIM]
//   --no-flush adds a third program to every cycle: the viewer with glFlush
//   made a no-op by the second shim.
#include <signal.h>

#include <algorithm>
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

constexpr double SETTLE = 0.5; // seconds between the first picture and the round

// Swaps per second between the first and the last shim report inside [from, to];
// 0 if there are fewer than two.
double swap_rate(const std::string& reports, double from, double to)
{
    const SwapSpan span = swaps_reported(reports, from, to);
    if (span.last <= span.first)
        return 0.0;
    return static_cast<double>(span.swaps) / (span.last - span.first);
}

// One round of one program; frames per second, or 0 if it did not come up.
double round_fps(
    const std::string& display, const std::string& binary, const std::string& shim, bool draws_picture, double seconds)
{
    Viewer program(display, binary, {}, {"LD_PRELOAD=" + shim});
    if (!program.wait_for_window(20.0, draws_picture))
        return 0.0;
    pause_seconds(SETTLE);
    // The shim's reports are on the same clock.
    const double from = now_seconds();
    pause_seconds(seconds);
    const double to = now_seconds();
    kill(program.pid(), SIGKILL);
    return swap_rate(program.wait_exit().err, from, to);
}

struct Program {
    const char* name;
    std::string binary;
    std::string preload;
    bool draws_picture;
    std::vector<double> fps;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(
            stderr, "usage: %s VIEWER BARE_LOOP SHIM [--cycles N] [--seconds S] [--no-flush NO_FLUSH_SHIM]\n", argv[0]);
        return 2;
    }
    const std::string viewer = argv[1], bare = argv[2], shim = argv[3];
    int cycles = 7;
    double seconds = 3.0;
    std::string no_flush;
    for (int i = 4; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--cycles"))
            cycles = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--no-flush"))
            no_flush = argv[i + 1];
    }

    std::vector<Program> programs = {
        {"turnfan binary", viewer, shim, true, {}},
        {"bare loop binary", bare, shim, false, {}},
    };
    if (!no_flush.empty())
        programs.push_back({"turnfan, glFlush no-op", viewer, shim + ":" + no_flush, true, {}});
    const std::size_t kinds = programs.size();

    XvfbServer server;
    if (!server.ok()) {
        std::fprintf(stderr, "viewer_fps_bench: could not start Xvfb\n");
        return 1;
    }
    std::vector<std::vector<double>> ratios(kinds);
    for (int c = 0; c < cycles; ++c) {
        std::vector<double> fps(kinds);
        for (std::size_t i = 0; i < kinds; ++i) {
            const std::size_t k = (static_cast<std::size_t>(c) + i) % kinds;
            Program& p = programs[k];
            fps[k] = round_fps(server.display(), p.binary, p.preload, p.draws_picture, seconds);
            if (fps[k] <= 0.0) {
                std::fprintf(stderr, "viewer_fps_bench: %s showed no window or no swaps\n", p.name);
                return 1;
            }
            p.fps.push_back(fps[k]);
        }
        std::printf("cycle %d:", c + 1);
        for (std::size_t k = 0; k < kinds; ++k) {
            ratios[k].push_back(fps[k] / fps[1]);
            std::printf("  %s %.1f", programs[k].name, fps[k]);
        }
        std::printf(" frames/s\n");
        std::fflush(stdout);
    }
    std::printf("\nmedian of %d rounds of %.1f s each:\n", cycles, seconds);
    for (const Program& p : programs)
        std::printf("  %-24s %8.1f frames/s  (%.2f ms a frame)\n", p.name, median(p.fps), 1000.0 / median(p.fps));
    std::printf("median ratio to the bare loop in the same cycle:\n");
    for (std::size_t k = 0; k < kinds; ++k)
        if (k != 1)
            std::printf("  %-24s %.3f\n", programs[k].name, median(ratios[k]));
    return 0;
}
