// How fast a burst of motion events of a rotating drag is handled: 100,000
// events, pushed into SDL's queue and drained by the real process_events().
// SDL 1.2's queue holds at most 127 events, so the burst goes through it in
// batches of 100: push 100, drain them all, repeat.
//
// Runs with SDL's dummy video driver: a working event queue, no window, no GL.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/events.h"
#include "app/view_state.h"
#include "drag.h"
#include "input/mouse.h"
#include "math/quat.h"

namespace {

constexpr int BURST = 100000; // motion events in one burst
constexpr int BATCH = 100;    // events queued at a time; the queue holds 127

// The burst: a circular drag about the window centre.
std::vector<SDL_Event> make_drag()
{
    std::vector<SDL_Event> events;
    for (int i = 0; i < BURST; ++i)
        events.push_back(drag_step(i));
    return events;
}

std::vector<SDL_Event> drag = make_drag(); // SDL_PushEvent takes a non-const pointer

// A plain rotating drag from the unturned state, button held since (440, 240).
void start_drag(bool button_down)
{
    view.shift_held = false;
    view.ctrl_held = false;
    view.button_down = button_down;
    view.last_mouse_x = 440;
    view.last_mouse_y = 240;
    const Quat identity = {0.0f, 0.0f, 0.0f, 1.0f};
    std::copy(identity, identity + 4, view.scene_rotation);
}

// The whole burst through the queue and the real dispatch.
void queue_and_dispatch(benchmark::State& state, bool button_down)
{
    start_drag(button_down);
    for (auto _ : state) {
        for (int i = 0; i < BURST; i += BATCH) {
            for (int k = 0; k < BATCH; ++k)
                if (SDL_PushEvent(&drag[static_cast<std::size_t>(i + k)]) != 0) {
                    state.SkipWithError("the event queue is full");
                    return;
                }
            process_events();
        }
    }
    benchmark::DoNotOptimize(view.scene_rotation);
    state.SetItemsProcessed(state.iterations() * BURST);
}

// Push, poll, dispatch and handle_mouse_motion: what a burst costs the viewer.
void BM_burst_dispatched(benchmark::State& state)
{
    queue_and_dispatch(state, true);
}

// The same with no button held: the dispatch drops every motion event, so
// this is the queue and the dispatch without the handler.
void BM_burst_dropped(benchmark::State& state)
{
    queue_and_dispatch(state, false);
}

// handle_mouse_motion alone on the same events, without the queue.
void BM_burst_handler_only(benchmark::State& state)
{
    start_drag(true);
    for (auto _ : state) {
        for (const SDL_Event& e : drag)
            handle_mouse_motion(&e);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(view.scene_rotation);
    state.SetItemsProcessed(state.iterations() * BURST);
}

} // namespace

BENCHMARK(BM_burst_dispatched)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_burst_dropped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_burst_handler_only)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return 1;
    SDL_SetEventFilter(accept_all_events);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
