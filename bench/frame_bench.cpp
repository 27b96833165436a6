// The viewer's loop body, process_events() and draw_frame() as main() runs them,
// frame after frame in one window on a private X server with Mesa's software
// OpenGL, next to a bare loop that only clears and swaps. Each benchmark draws
// FRAMES frames: scripts/bench runs one at a time under callgrind, which counts
// the instructions inside draw_frames only (--toggle-collect='draw_frames*').
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>

#include <benchmark/benchmark.h>

#include "app/display.h"
#include "app/events.h"
#include "app/view_state.h"
#include "drag.h"
#include "math/trackball.h"
#include "render/frame.h"
#include "xvfb.h"

namespace {

constexpr int FRAMES = 200;

enum Kind { CHAIN, QUATERNION, BARE };

void frame(Kind kind)
{
    if (kind == BARE) {
        // The least a frame can be on this stack: clear the same buffers, present.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        return;
    }
    process_events();
    draw_frame();
}

} // namespace

// A state a user reaches after a few key presses and a short drag; with
// `dragging` one motion event of a rotating drag is queued before each frame,
// button held since where the drag starts. Out of line and uncloned, under a
// plain name, so that callgrind finds it.
__attribute__((noinline, noclone)) void draw_frames(benchmark::State& state, Kind kind, bool dragging)
{
    view.angle_z = 20.0f;
    view.angle_x = 30.0f;
    view.angle_y = 15.0f;
    view.quaternion_mode = kind == QUATERNION;
    trackball_rotation(view.scene_rotation, 0.0f, 0.0f, 0.25f, -0.125f);
    view.button_down = dragging;
    view.last_mouse_x = 440;
    view.last_mouse_y = 240;
    int step = 0;
    for (auto _ : state) {
        if (dragging) {
            SDL_Event e = drag_step(step++);
            SDL_PushEvent(&e);
        }
        frame(kind);
    }
}

namespace {

void BM_frames(benchmark::State& state, Kind kind, bool dragging)
{
    draw_frames(state, kind, dragging);
}

} // namespace

BENCHMARK_CAPTURE(BM_frames, chain, CHAIN, false)->Iterations(FRAMES);
BENCHMARK_CAPTURE(BM_frames, quaternion, QUATERNION, false)->Iterations(FRAMES);
BENCHMARK_CAPTURE(BM_frames, chain_dragging, CHAIN, true)->Iterations(FRAMES);
BENCHMARK_CAPTURE(BM_frames, quaternion_dragging, QUATERNION, true)->Iterations(FRAMES);
BENCHMARK_CAPTURE(BM_frames, bare, BARE, false)->Iterations(FRAMES);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    XvfbServer server;
    server.export_display();
    if (!server.ok() || SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "frame_bench: no X server or no SDL: %s\n", SDL_GetError());
        return 1;
    }
    init_display();
    SDL_SetEventFilter(accept_all_events);
    // Warm up outside the counted frames: shader compilation, first mapping.
    for (int i = 0; i < 10; ++i)
        frame(CHAIN);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
