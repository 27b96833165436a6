// Timings of the rotation math next to the same operations written with glm
// (float arithmetic throughout, inlined from headers).
#include <cmath>
#include <cstddef>
#include <random>

#include <benchmark/benchmark.h>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "math/quat.h"
#include "math/trackball.h"
#include "math/vec3.h"

namespace {

constexpr std::size_t N = 1024; // inputs cycled through, a power of two

struct Inputs {
    Quat q1[N], q2[N];
    Vec3 a[N], b[N];
    float angle[N];
    float pos[N][4];
};

Inputs make_inputs()
{
    Inputs in{};
    std::mt19937 rng(2718);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (std::size_t i = 0; i < N; ++i) {
        for (int k = 0; k < 4; ++k) {
            in.q1[i][k] = u(rng);
            in.q2[i][k] = u(rng);
            in.pos[i][k] = u(rng);
        }
        quat_normalize(in.q1[i]);
        quat_normalize(in.q2[i]);
        for (int k = 0; k < 3; ++k) {
            in.a[i][k] = u(rng);
            in.b[i][k] = u(rng);
        }
        in.angle[i] = 3.0f * u(rng);
    }
    return in;
}

const Inputs IN = make_inputs();

glm::quat to_glm(const float* q)
{
    return glm::quat(q[3], q[0], q[1], q[2]);
}
glm::vec3 to_glm3(const float* v)
{
    return glm::vec3(v[0], v[1], v[2]);
}

// The glm peer of quat_compose: q2 * q1, normalised every second call.
int glm_counter = 0;
glm::quat glm_compose(const glm::quat& q1, const glm::quat& q2)
{
    glm::quat r = q2 * q1;
    if (++glm_counter > 1) {
        glm_counter = 0;
        r = glm::normalize(r);
    }
    return r;
}

// The glm peer of quat_to_matrix: the same layout is the matrix of the conjugate.
glm::mat4 glm_matrix(const glm::quat& q)
{
    return glm::mat4_cast(glm::conjugate(q));
}

float glm_project(float r, float x, float y)
{
    const float d = glm::length(glm::vec2(x, y));
    if (r * 0.70710678f > d)
        return std::sqrt(r * r - d * d);
    const float s = r * 0.70710678f;
    return s * s / d;
}

// The trackball step with glm types and float arithmetic.
glm::quat glm_trackball(float p1x, float p1y, float p2x, float p2y)
{
    if (p1x == p2x && p1y == p2y)
        return glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    const glm::vec3 p1(p1x, p1y, glm_project(0.8f, p1x, p1y));
    const glm::vec3 p2(p2x, p2y, glm_project(0.8f, p2x, p2y));
    const glm::vec3 axis = glm::cross(p2, p1);
    const float t = glm::min(glm::length(p1 - p2) / (2.0f * 0.8f), 1.0f);
    return glm::angleAxis(2.0f * std::asin(t), glm::normalize(axis));
}

// Times op(i, out) over the inputs, cycled; op is a closure type of its own,
// so it is inlined into the loop as the code it times would be.
template <typename Out, typename Op> void cycled(benchmark::State& st, Op op)
{
    std::size_t i = 0;
    for (auto _ : st) {
        Out out;
        op(i, out);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
        i = (i + 1) & (N - 1);
    }
}

template <typename Out, typename Op> void add(const char* name, Op op)
{
    benchmark::RegisterBenchmark(name, [op](benchmark::State& st) { cycled<Out>(st, op); });
}

} // namespace

int main(int argc, char** argv)
{
    // Each operation next to its glm peer, in this order in the report.
    add<Quat>("BM_quat_compose", [](std::size_t i, float* out) { quat_compose(IN.q1[i], IN.q2[i], out); });
    add<glm::quat>("BM_glm_quat_compose",
        [](std::size_t i, glm::quat& out) { out = glm_compose(to_glm(IN.q1[i]), to_glm(IN.q2[i])); });
    add<Quat>("BM_quat_from_axis_angle", [](std::size_t i, float* out) {
        Vec3 axis;
        vec3_copy(IN.a[i], axis);
        quat_from_axis_angle(axis, IN.angle[i], out);
        benchmark::DoNotOptimize(axis);
    });
    add<glm::quat>("BM_glm_quat_from_axis_angle", [](std::size_t i, glm::quat& out) {
        glm::vec3 axis = glm::normalize(to_glm3(IN.a[i]));
        out = glm::angleAxis(IN.angle[i], axis);
        benchmark::DoNotOptimize(axis);
    });
    add<Mat4>("BM_quat_to_matrix", [](std::size_t i, float* out) { quat_to_matrix(out, IN.q1[i]); });
    add<glm::mat4>("BM_glm_quat_to_matrix", [](std::size_t i, glm::mat4& out) { out = glm_matrix(to_glm(IN.q1[i])); });
    add<Vec3>("BM_vec3_cross", [](std::size_t i, float* out) { vec3_cross(IN.a[i], IN.b[i], out); });
    add<glm::vec3>("BM_glm_vec3_cross",
        [](std::size_t i, glm::vec3& out) { out = glm::cross(to_glm3(IN.a[i]), to_glm3(IN.b[i])); });
    add<Quat>("BM_trackball_rotation", [](std::size_t i, float* out) {
        const float* p = IN.pos[i];
        trackball_rotation(out, p[0], p[1], p[2], p[3]);
    });
    add<glm::quat>("BM_glm_trackball_rotation", [](std::size_t i, glm::quat& out) {
        const float* p = IN.pos[i];
        out = glm_trackball(p[0], p[1], p[2], p[3]);
    });

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
