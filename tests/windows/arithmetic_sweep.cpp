// Hashes of the floats the program's own arithmetic makes, over every input it can feed the runtime's sin, cos and asin
// and over seeded inputs of the other operations. Every platform (Linux, Windows under Wine, WebAssembly in node) must
// print the golden hashes: mingw-w64's x87 sin and cos and glibc's disagree in the last bits of some doubles, and a
// float in place of a double, or sinf for sin, changes the bits the program keeps. Sections:
//   keys       every whole degree the keys reach, -2^24 to 2^24 (a step past
//              2^24 rounds back), in radians as the renderer turns them
//   trackball  every float t from 2^-10 to 1, the sine of half a drag step's
//              angle (two pixels lie at least 1/320 apart, so t is about 2^-9 or more)
//   drags      trackball_rotation from every pixel by a few steps, and between
//              seeded pairs of pixels, as mouse motion sends them
//   compose, matrix, cross, normalise   seeded operands, tiny ones too
// The arithmetic inside OpenGL and GLU is the pictures' to check.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "math/quat.h"
#include "math/trackball.h"
#include "math/vec3.h"
#include "promises.h"

namespace {

constexpr double DEG_TO_RAD = PROGRAM_PI / 180.0; // the renderer's, slightly below pi / 180
constexpr int32_t KEY_ANGLE_LIMIT = 1 << 24;      // degrees
constexpr float SMALLEST_T = 0x1p-10f;
constexpr int RANDOM_INPUTS = 1 << 20; // a section of seeded operands

// The golden hashes: the same on every platform, and a change is a change of behaviour.
constexpr struct {
    const char* name;
    uint64_t inputs, hash;
} GOLDEN[] = {
    {"keys", 33554433, 0xe6275402992783dcull},
    {"trackball", 83886081, 0x274e582c3ae6760bull},
    {"drags", 5937500, 0x0aa1031ac380da20ull},
    {"compose", 1048576, 0x4871afbfcdaea14dull},
    {"matrix", 1048576, 0x2cf7a5e48b885b78ull},
    {"cross", 1048576, 0x4ec45eadd8164723ull},
    {"normalise", 1048576, 0x07ccfd2d7668bab2ull},
};

int failures = 0;

// FNV-1a over the bits of every float a section produces.
struct Section {
    int index;
    uint64_t inputs = 0, hash = 14695981039346656037ull;

    void add(const float* v, int n)
    {
        for (int i = 0; i < n; ++i) {
            uint32_t bits;
            std::memcpy(&bits, &v[i], sizeof bits);
            for (int shift = 0; shift < 32; shift += 8) // low byte first, whatever the machine's order
                hash = (hash ^ ((bits >> shift) & 0xffu)) * 1099511628211ull;
        }
        ++inputs;
    }

    ~Section()
    {
        const auto& want = GOLDEN[index];
        const bool same = inputs == want.inputs && hash == want.hash;
        std::printf(
            "%s %" PRIu64 " %016" PRIx64 "%s\n", want.name, inputs, hash, same ? "" : "  differs from the golden hash");
        std::fflush(stdout);
        failures += !same;
    }
};

// A fixed generator, the same on every platform (xorshift64).
uint64_t state = 0x9E3779B97F4A7C15ull;
uint64_t next()
{
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

int below(int range)
{
    return static_cast<int>(next() % static_cast<uint64_t>(range));
}

// Exact in float: a multiple of 2^-22 in [-2, 2), now and then scaled far down
// (where normalising has no float factor) or up.
float operand()
{
    const float v = static_cast<float>(static_cast<int32_t>(next() >> 40) - (1 << 23)) * 0x1p-22f;
    const int scale = below(64);
    return scale == 0 ? v * 0x1p-140f : scale == 1 ? v * 0x1p60f : v;
}

void quat_about_z(float angle, float* q)
{
    float axis[3] = {0.0f, 0.0f, 1.0f};
    quat_from_axis_angle(axis, angle, q);
}

void sweep_keys()
{
    Section s{0};
    for (int32_t degrees = -KEY_ANGLE_LIMIT; degrees <= KEY_ANGLE_LIMIT; ++degrees) {
        float q[4];
        quat_about_z(static_cast<float>(static_cast<double>(static_cast<float>(degrees)) * DEG_TO_RAD), q);
        s.add(q, 4);
    }
}

void sweep_trackball()
{
    Section s{1};
    for (float t = SMALLEST_T; t <= 1.0f; t = std::nextafter(t, 2.0f)) {
        const double td = static_cast<double>(t);
        float out[5] = {static_cast<float>(std::asin(td) + std::asin(td))};
        quat_about_z(out[0], out + 1);
        s.add(out, 5);
    }
}

// A window pixel onto the trackball square, as the mouse handler maps it.
float on_square(int pixel, int size, int sign)
{
    return static_cast<float>(
        static_cast<double>(sign * (2 * pixel - size)) * static_cast<double>(static_cast<float>(1.0 / size)));
}

void drag_step(Section& s, int x1, int y1, int x2, int y2)
{
    float q[4];
    trackball_rotation(q, on_square(x1, WINDOW_WIDTH, 1), on_square(y1, WINDOW_HEIGHT, -1),
        on_square(x2, WINDOW_WIDTH, 1), on_square(y2, WINDOW_HEIGHT, -1));
    s.add(q, 4);
}

void sweep_drags()
{
    Section s{2};
    constexpr int STEPS[][2] = {{1, 0}, {0, 1}, {-1, -1}, {5, -3}, {-12, 7}, {40, 25}, {-200, 150}};
    for (int y = 0; y < WINDOW_HEIGHT; ++y)
        for (int x = 0; x < WINDOW_WIDTH; ++x)
            for (const auto& step : STEPS) {
                const int x2 = x + step[0], y2 = y + step[1];
                if (x2 >= 0 && x2 < WINDOW_WIDTH && y2 >= 0 && y2 < WINDOW_HEIGHT)
                    drag_step(s, x, y, x2, y2);
            }
    for (int i = 0; i < 4000000; ++i) {
        const int x1 = below(WINDOW_WIDTH), y1 = below(WINDOW_HEIGHT), x2 = below(WINDOW_WIDTH),
                  y2 = below(WINDOW_HEIGHT);
        drag_step(s, x1, y1, x2, y2);
    }
}

// Unit quaternions, as the program composes them, and the raw operands themselves.
void unit_or_raw(float* q)
{
    std::generate_n(q, 4, operand);
    if (below(4) != 0)
        quat_normalize(q);
}

// A section of RANDOM_INPUTS results, each of N floats that `make` writes from fresh operands.
template <int N, typename Make> void sweep_random(int index, Make make)
{
    Section s{index};
    for (int n = 0; n < RANDOM_INPUTS; ++n) {
        float out[N];
        make(out);
        s.add(out, N);
    }
}

void sweep_operations()
{
    sweep_random<4>(3, [](float* out) { // every second call renormalises: both kinds are in
        float p[4], q[4];
        unit_or_raw(p);
        unit_or_raw(q);
        quat_compose(p, q, out);
    });
    sweep_random<16>(4, [](float* m) {
        float q[4];
        unit_or_raw(q);
        quat_to_matrix(m, q);
    });
    sweep_random<3>(5, [](float* out) {
        float a[3] = {operand(), operand(), operand()}, b[3] = {operand(), operand(), operand()};
        vec3_cross(a, b, out);
    });
    sweep_random<3>(6, [](float* v) {
        std::generate_n(v, 3, operand);
        vec3_normalize(v);
    });
}

} // namespace

int main()
{
    sweep_keys();
    sweep_trackball();
    sweep_drags();
    sweep_operations();
    return failures == 0 ? 0 : 1;
}
