// The program's parts in process, with Google Benchmark (usage: turnfan_bench MODE [--benchmark_...]):
//   math       the rotation arithmetic next to glm's (float, inlined from headers), on N fixed inputs, cycled
//   events     bursts of motion events through SDL's queue and process_events() (SDL's dummy video driver)
//   frames     the loop body, process_events(); draw_frame();, on a private X server, for callgrind
//   bare-loop  the least a frame can be on this stack, clear and swap, for ever on $DISPLAY (for fps_bench)
#include <GL/gl.h>
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "app/display.h"
#include "app/events.h"
#include "app/view_state.h"
#include "input/mouse.h"
#include "math/quat.h"
#include "math/trackball.h"
#include "math/vec3.h"
#include "render/frame.h"
#include "xvfb.h"

namespace {

constexpr std::size_t N = 1024; // inputs of the arithmetic, a power of two
constexpr int BURST = 100000;   // motion events in one burst
constexpr int BATCH = 100;      // queued at a time: SDL 1.2's queue holds 127
constexpr int FRAMES = 200;

struct Input {
    Quat q1, q2;
    Vec3 a, b;
    float angle, pos[4]; // pos: two trackball positions
};

const std::vector<Input> IN = [] {
    std::mt19937 rng(2718);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::vector<Input> in(N);
    for (Input& x : in) {
        for (int k = 0; k < 4; ++k)
            x.q1[k] = u(rng), x.q2[k] = u(rng), x.pos[k] = u(rng);
        for (int k = 0; k < 3; ++k)
            x.a[k] = u(rng), x.b[k] = u(rng);
        x.angle = 3.0f * u(rng);
        quat_normalize(x.q1);
        quat_normalize(x.q2);
    }
    return in;
}();

const auto gq = [](const float* q) { return glm::quat(q[3], q[0], q[1], q[2]); };
const auto gv = [](const float* v) { return glm::vec3(v[0], v[1], v[2]); };

// The trackball step with glm types and float arithmetic.
glm::quat glm_trackball(const float* p)
{
    if (p[0] == p[2] && p[1] == p[3])
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    const auto project = [](float x, float y) {
        const float d = glm::length(glm::vec2(x, y)), s = 0.8f * 0.70710678f;
        return d < s ? std::sqrt(0.8f * 0.8f - d * d) : s * s / d;
    };
    const glm::vec3 p1(p[0], p[1], project(p[0], p[1])), p2(p[2], p[3], project(p[2], p[3]));
    const float t = glm::min(glm::length(p1 - p2) / (2.0f * 0.8f), 1.0f);
    return glm::angleAxis(2.0f * std::asin(t), glm::normalize(glm::cross(p2, p1)));
}

// Times op(input, out) over the inputs, cycled; op, a closure type of its own, is inlined into the loop.
template <typename Out, typename Op> void add(const char* name, Op op)
{
    benchmark::RegisterBenchmark(name, [op](benchmark::State& state) mutable {
        std::size_t i = 0;
        for (auto _ : state) {
            Out out;
            op(IN[i], out);
            benchmark::DoNotOptimize(out);
            benchmark::ClobberMemory();
            i = (i + 1) & (N - 1);
        }
    });
}

// Each operation next to its glm peer; quat_compose renormalises every second call, and so does its peer.
void add_math()
{
    add<Quat>("BM_quat_compose", [](const Input& x, float* out) { quat_compose(x.q1, x.q2, out); });
    add<glm::quat>("BM_glm_quat_compose", [n = 0](const Input& x, glm::quat& out) mutable {
        out = gq(x.q2) * gq(x.q1);
        if (++n % 2 == 0)
            out = glm::normalize(out);
    });
    add<Quat>("BM_quat_from_axis_angle", [](const Input& x, float* out) {
        Vec3 axis;
        vec3_copy(x.a, axis);
        quat_from_axis_angle(axis, x.angle, out);
        benchmark::DoNotOptimize(axis);
    });
    add<glm::quat>("BM_glm_quat_from_axis_angle", [](const Input& x, glm::quat& out) {
        glm::vec3 axis = glm::normalize(gv(x.a));
        out = glm::angleAxis(x.angle, axis);
        benchmark::DoNotOptimize(axis);
    });
    // Our matrix is glm's matrix of the conjugate.
    add<Mat4>("BM_quat_to_matrix", [](const Input& x, float* out) { quat_to_matrix(out, x.q1); });
    add<glm::mat4>("BM_glm_quat_to_matrix",
        [](const Input& x, glm::mat4& out) { out = glm::mat4_cast(glm::conjugate(gq(x.q1))); });
    add<Vec3>("BM_vec3_cross", [](const Input& x, float* out) { vec3_cross(x.a, x.b, out); });
    add<glm::vec3>("BM_glm_vec3_cross", [](const Input& x, glm::vec3& out) { out = glm::cross(gv(x.a), gv(x.b)); });
    add<Quat>("BM_trackball_rotation",
        [](const Input& x, float* out) { trackball_rotation(out, x.pos[0], x.pos[1], x.pos[2], x.pos[3]); });
    add<glm::quat>("BM_glm_trackball_rotation", [](const Input& x, glm::quat& out) { out = glm_trackball(x.pos); });
}

// One step of a circular drag about the window centre, button 1 held, about six pixels a step.
SDL_Event drag_step(int step)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.state = SDL_BUTTON(1);
    e.motion.x = static_cast<Uint16>(320.0 + 120.0 * std::cos(0.05 * step));
    e.motion.y = static_cast<Uint16>(240.0 + 120.0 * std::sin(0.05 * step));
    return e;
}

// A state a user reaches with a few keys and a short drag, the button held since where the drag goes on.
void start(bool quaternion_mode, bool button_down)
{
    view.angle_z = 20.0f;
    view.angle_x = 30.0f;
    view.angle_y = 15.0f;
    view.quaternion_mode = quaternion_mode;
    trackball_rotation(view.scene_rotation, 0.0f, 0.0f, 0.25f, -0.125f);
    view.button_down = button_down;
    view.last_mouse_x = 440;
    view.last_mouse_y = 240;
}

// queued: in batches through process_events() (which drops motion with no button held); else the handler alone.
void BM_burst(benchmark::State& state, bool button_down, bool queued)
{
    static std::vector<SDL_Event> drag; // SDL_PushEvent takes a non-const pointer
    for (int i = static_cast<int>(drag.size()); i < BURST; ++i)
        drag.push_back(drag_step(i));
    start(false, button_down);
    for (auto _ : state) {
        for (int i = 0; queued && i < BURST; i += BATCH) {
            for (int k = i; k < i + BATCH; ++k)
                if (SDL_PushEvent(&drag[static_cast<std::size_t>(k)]) != 0)
                    return state.SkipWithError("the event queue is full");
            process_events();
        }
        if (!queued)
            for (const SDL_Event& e : drag)
                handle_mouse_motion(&e);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(view.scene_rotation);
    state.SetItemsProcessed(state.iterations() * BURST);
}

enum Kind { CHAIN, QUATERNION, BARE };

void frame(Kind kind)
{
    if (kind == BARE) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return SDL_GL_SwapBuffers();
    }
    process_events();
    draw_frame();
}

} // namespace

// Out of line and uncloned, under a plain name, so that callgrind finds it; dragging: one motion event a frame.
__attribute__((noinline, noclone)) void draw_frames(benchmark::State& state, Kind kind, bool dragging)
{
    start(kind == QUATERNION, dragging);
    int step = 0;
    for (auto _ : state) {
        if (dragging) {
            SDL_Event e = drag_step(step++);
            SDL_PushEvent(&e);
        }
        frame(kind);
    }
}

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    std::optional<XvfbServer> server;
    if (mode == "events")
        SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
    else if (mode == "frames")
        server.emplace().export_display();
    else if (mode != "math" && mode != "bare-loop") {
        std::fprintf(stderr, "usage: turnfan_bench math|events|frames|bare-loop [--benchmark_...]\n");
        return 2;
    }
    if (mode != "math" && ((server && !server->ok()) || SDL_Init(SDL_INIT_VIDEO) < 0)) {
        std::fprintf(stderr, "turnfan_bench: no X server or no SDL: %s\n", SDL_GetError());
        return 1;
    }
    if (mode == "frames" || mode == "bare-loop")
        init_display();
    while (mode == "bare-loop")
        frame(BARE);
    SDL_SetEventFilter(accept_all_events);
    using benchmark::RegisterBenchmark;
    if (mode == "math")
        add_math();
    if (mode == "events") {
        RegisterBenchmark("BM_burst/dispatched", BM_burst, true, true)->Unit(benchmark::kMillisecond);
        RegisterBenchmark("BM_burst/dropped", BM_burst, false, true)->Unit(benchmark::kMillisecond);
        RegisterBenchmark("BM_burst/handler_only", BM_burst, true, false)->Unit(benchmark::kMillisecond);
    }
    if (mode == "frames") {
        for (int i = 0; i < 10; ++i) // shader compilation, first mapping: not in the counted frames
            frame(CHAIN);
        RegisterBenchmark("BM_frames/chain", draw_frames, CHAIN, false)->Iterations(FRAMES);
        RegisterBenchmark("BM_frames/quaternion", draw_frames, QUATERNION, false)->Iterations(FRAMES);
        RegisterBenchmark("BM_frames/chain_dragging", draw_frames, CHAIN, true)->Iterations(FRAMES);
        RegisterBenchmark("BM_frames/quaternion_dragging", draw_frames, QUATERNION, true)->Iterations(FRAMES);
        RegisterBenchmark("BM_frames/bare", draw_frames, BARE, false)->Iterations(FRAMES);
    }
    argv[1] = argv[0]; // the mode is ours, the rest Google Benchmark's
    benchmark::Initialize(&--argc, ++argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
