// Frame rate of the real viewer binary, unchanged, against the bare loop
// program, both counted by the swap-counting LD_PRELOAD shim on one private X
// server. Each cycle starts each program once, in an order that alternates,
// lets it settle, counts its swaps over a round of fixed length and kills it.
//
// usage: viewer_fps_bench VIEWER BARE_LOOP SHIM [--cycles N] [--seconds S]
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "viewer.h"
#include "xvfb.h"

namespace {

constexpr double SETTLE = 0.5; // seconds between the first picture and the round

double monotonic_seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// Swaps per second between the first and the last shim report inside [from, to];
// 0 if there are fewer than two.
double swap_rate(const std::string& reports, double from, double to)
{
    std::istringstream in(reports);
    std::string line;
    long first_n = -1, last_n = -1;
    double first_t = 0.0, last_t = 0.0;
    while (std::getline(in, line)) {
        long n = 0;
        double t = 0.0;
        if (std::sscanf(line.c_str(), "swaps %ld at %lf", &n, &t) != 2 || t < from || t > to)
            continue;
        if (first_n < 0) {
            first_n = n;
            first_t = t;
        }
        last_n = n;
        last_t = t;
    }
    if (first_n < 0 || last_t <= first_t)
        return 0.0;
    return static_cast<double>(last_n - first_n) / (last_t - first_t);
}

// One round of one program; frames per second, or 0 if it did not come up.
double round_fps(
    const std::string& display, const std::string& binary, const std::string& shim, bool draws_picture, double seconds)
{
    Viewer program(display, binary, {}, {"LD_PRELOAD=" + shim});
    if (!program.wait_for_window(20.0, draws_picture))
        return 0.0;
    pause_seconds(SETTLE);
    const double from = monotonic_seconds();
    pause_seconds(seconds);
    const double to = monotonic_seconds();
    kill(program.pid(), SIGKILL);
    return swap_rate(program.wait_exit().err, from, to);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s VIEWER BARE_LOOP SHIM [--cycles N] [--seconds S]\n", argv[0]);
        return 2;
    }
    const std::string viewer = argv[1], bare = argv[2], shim = argv[3];
    int cycles = 7;
    double seconds = 3.0;
    for (int i = 4; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--cycles"))
            cycles = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::atof(argv[i + 1]);
    }

    XvfbServer server;
    if (!server.ok()) {
        std::fprintf(stderr, "viewer_fps_bench: could not start Xvfb\n");
        return 1;
    }
    std::vector<double> viewer_fps, bare_fps, ratios;
    for (int c = 0; c < cycles; ++c) {
        double v = 0.0, b = 0.0;
        if (c % 2 == 0) {
            v = round_fps(server.display(), viewer, shim, true, seconds);
            b = round_fps(server.display(), bare, shim, false, seconds);
        } else {
            b = round_fps(server.display(), bare, shim, false, seconds);
            v = round_fps(server.display(), viewer, shim, true, seconds);
        }
        if (v <= 0.0 || b <= 0.0) {
            std::fprintf(stderr, "viewer_fps_bench: a program showed no window or no swaps\n");
            return 1;
        }
        viewer_fps.push_back(v);
        bare_fps.push_back(b);
        ratios.push_back(v / b);
        std::printf("cycle %d: viewer %.1f  bare %.1f frames/s\n", c + 1, v, b);
        std::fflush(stdout);
    }
    std::printf("\nmedian of %d rounds of %.1f s each:\n", cycles, seconds);
    std::printf("  %-24s %8.1f frames/s  (%.2f ms a frame)\n", "turnfan binary", median(viewer_fps),
        1000.0 / median(viewer_fps));
    std::printf(
        "  %-24s %8.1f frames/s  (%.2f ms a frame)\n", "bare loop binary", median(bare_fps), 1000.0 / median(bare_fps));
    std::printf("median ratio to the bare loop in the same cycle: %.3f\n", median(ratios));
    return 0;
}
