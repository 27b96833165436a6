// LD_PRELOAD shim that counts the buffer swaps of an SDL 1.2 program without
// changing it: every tenth of a second it writes "swaps N at T" on standard
// error, N the swaps so far and T the CLOCK_MONOTONIC time in seconds, which
// other processes on the machine read on the same clock.
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

constexpr double REPORT_INTERVAL = 0.1; // seconds

long swaps = 0;
double next_report = 0.0;

double monotonic_seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

extern "C" void SDL_GL_SwapBuffers()
{
    using SwapFunction = void (*)();
    static const SwapFunction real = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    real();
    ++swaps;
    const double now = monotonic_seconds();
    if (now >= next_report) {
        // One write a line, unbuffered: the process may be killed at any moment.
        char line[64];
        const int n = std::snprintf(line, sizeof line, "swaps %ld at %.6f\n", swaps, now);
        if (write(STDERR_FILENO, line, static_cast<size_t>(n)) < 0)
            return;
        next_report = now + REPORT_INTERVAL;
    }
}
