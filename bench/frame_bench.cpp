// Frame rate of the viewer's own loop body against a bare clear-and-swap loop,
// in one window on a private X server with Mesa's software OpenGL.
//
// usage: frame_bench [--cycles N] [--seconds S]
//          Timed rounds, interleaved: each cycle runs one round of the real
//          loop body in chain mode, one in quaternion mode and one of the bare
//          loop, in an order that rotates from cycle to cycle.
//        frame_bench --frames N [--quaternion] [--drag] [--bare]
//          Draws N frames of the real loop body (or, with --bare, of the bare
//          loop) inside profiled_frames() and exits: for callgrind with
//          --toggle-collect='profiled_frames*'. --drag queues one motion event
//          of a rotating drag before each frame.
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/display.h"
#include "app/events.h"
#include "app/view_state.h"
#include "math/trackball.h"
#include "render/frame.h"
#include "viewer.h"
#include "xvfb.h"

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// A state a user reaches after a few key presses and a short drag.
void set_scene(bool quaternion)
{
    view.angle_z = 20.0f;
    view.angle_x = 30.0f;
    view.angle_y = 15.0f;
    view.quaternion_mode = quaternion;
    trackball_rotation(view.scene_rotation, 0.0f, 0.0f, 0.25f, -0.125f);
}

// What main() does on every turn of its loop.
void real_frame()
{
    process_events();
    draw_frame();
}

// The least a frame can be on this stack: clear the same buffers, present.
void bare_frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}

// Frames per second of `frame` over a round of `seconds`.
double timed_round(void (*frame)(), double seconds)
{
    glFinish();
    long frames = 0;
    const double start = now_seconds();
    double elapsed = 0.0;
    do {
        frame();
        ++frames;
        elapsed = now_seconds() - start;
    } while (elapsed < seconds);
    return static_cast<double>(frames) / elapsed;
}

enum Kind { CHAIN, QUATERNION, BARE, KINDS };
const char* const KIND_NAMES[KINDS] = {"viewer, chain mode", "viewer, quaternion mode", "bare clear + swap"};

int run_rounds(int cycles, double seconds)
{
    // One untimed round of each first: shader compilation, first mapping.
    for (int k = 0; k < KINDS; ++k) {
        set_scene(k == QUATERNION);
        timed_round(k == BARE ? bare_frame : real_frame, 0.5);
    }

    std::vector<double> fps[KINDS];
    std::vector<double> ratio_chain, ratio_quaternion;
    for (int c = 0; c < cycles; ++c) {
        double round_fps[KINDS];
        for (int i = 0; i < KINDS; ++i) {
            const int k = (c + i) % KINDS;
            set_scene(k == QUATERNION);
            round_fps[k] = timed_round(k == BARE ? bare_frame : real_frame, seconds);
            fps[k].push_back(round_fps[k]);
        }
        ratio_chain.push_back(round_fps[CHAIN] / round_fps[BARE]);
        ratio_quaternion.push_back(round_fps[QUATERNION] / round_fps[BARE]);
        std::printf("cycle %d: chain %.1f  quaternion %.1f  bare %.1f frames/s\n", c + 1, round_fps[CHAIN],
            round_fps[QUATERNION], round_fps[BARE]);
        std::fflush(stdout);
    }

    std::printf("\nmedian of %d rounds of %.1f s each:\n", cycles, seconds);
    for (int k = 0; k < KINDS; ++k)
        std::printf(
            "  %-24s %8.1f frames/s  (%.2f ms a frame)\n", KIND_NAMES[k], median(fps[k]), 1000.0 / median(fps[k]));
    std::printf("median ratio to the bare loop in the same cycle:\n");
    std::printf("  chain mode       %.3f\n", median(ratio_chain));
    std::printf("  quaternion mode  %.3f\n", median(ratio_quaternion));
    return 0;
}

// Queues one step of a circular drag about the window centre.
void push_drag_step(int step)
{
    const double angle = 0.05 * step;
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEMOTION;
    e.motion.state = SDL_BUTTON(1);
    e.motion.x = static_cast<Uint16>(320.0 + 120.0 * std::cos(angle));
    e.motion.y = static_cast<Uint16>(240.0 + 120.0 * std::sin(angle));
    SDL_PushEvent(&e);
}

} // namespace

// Kept out of line and unmangled-simple so callgrind can start collecting on it.
__attribute__((noinline)) void profiled_frames(int frames, bool drag, void (*frame)())
{
    for (int i = 0; i < frames; ++i) {
        if (drag)
            push_drag_step(i);
        frame();
    }
}

int main(int argc, char** argv)
{
    int cycles = 7;
    double seconds = 2.0;
    int frames = 0;
    bool quaternion = false;
    bool drag = false;
    bool bare = false;
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (!std::strcmp(argv[i], "--cycles") && has_value)
            cycles = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--seconds") && has_value)
            seconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--frames") && has_value)
            frames = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--quaternion"))
            quaternion = true;
        else if (!std::strcmp(argv[i], "--drag"))
            drag = true;
        else if (!std::strcmp(argv[i], "--bare"))
            bare = true;
        else {
            std::fprintf(stderr, "usage: %s [--cycles N] [--seconds S] | --frames N [--quaternion] [--drag] [--bare]\n",
                argv[0]);
            return 2;
        }
    }

    // Static, so that the server also goes when init_display() ends the process.
    static XvfbServer server;
    if (!server.ok()) {
        std::fprintf(stderr, "frame_bench: could not start Xvfb\n");
        return 1;
    }
    server.export_display();
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "frame_bench: %s\n", SDL_GetError());
        return 1;
    }
    init_display();
    SDL_SetEventFilter(accept_all_events);
    std::printf("GL_RENDERER %s, GL_VERSION %s\n", glGetString(GL_RENDERER), glGetString(GL_VERSION));

    int status = 0;
    if (frames > 0) {
        set_scene(quaternion);
        // The drag starts where its first motion event is, button held.
        view.button_down = drag;
        view.last_mouse_x = 440;
        view.last_mouse_y = 240;
        void (*frame)() = bare ? bare_frame : real_frame;
        // Warm up outside the profiled call: shader compilation, first mapping.
        for (int i = 0; i < 10; ++i)
            frame();
        profiled_frames(frames, drag, frame);
        std::printf("drew %d %s frames%s\n", frames,
            bare             ? "bare"
                : quaternion ? "quaternion-mode"
                             : "chain-mode",
            drag ? ", one drag motion event before each" : "");
    } else {
        status = run_rounds(cycles, seconds);
    }
    SDL_Quit();
    return status;
}
