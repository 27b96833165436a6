// The float results of the program's own arithmetic wherever it goes through
// the runtime library's sin, cos and asin, for every input that the program
// can feed them, hashed in blocks. Built for Linux and for Windows, the two must
// print the same lines: mingw-w64's sin and cos (x87) and glibc's disagree in
// the last bits of some doubles, and no float that the program keeps may change.
//
//   keys       every angle the keys can reach, whole degrees from -2^24 to 2^24
//              (one step past 2^24 rounds back to it), turned into radians as the
//              renderer does, through quat_from_axis_angle
//   trackball  every float t from 2^-10 to 1, the sine of half the angle of a
//              drag step: the angle it gives and its quaternion. Two distinct
//              pixels lie at least 1/320 apart on the trackball square, so t is
//              never below about 0.625 / 320 = 2^-9; 2^-10 leaves room for rounding
//   drags      trackball_rotation between every pixel and each of a few others,
//              and between seeded random pairs of pixels, as mouse motion sends them
//
// The square roots are sqrtsd on both, correctly rounded by IEEE 754; the drags run
// them on real input. Not covered: t below 2^-10, which no pair of pixels gives,
// and the arithmetic inside OpenGL and GLU (glRotatef, gluPerspective), done by
// Wine's DLLs and Mesa; the end-to-end pictures check those.
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "math/quat.h"
#include "math/trackball.h"
#include "promises.h"

namespace {

constexpr double DEG_TO_RAD = PROGRAM_PI / 180.0; // the renderer's, slightly below pi / 180
constexpr int32_t KEY_ANGLE_LIMIT = 1 << 24;      // degrees
constexpr float SMALLEST_T = 0x1p-10f;
constexpr uint64_t BLOCK = 1 << 22; // inputs a line

// FNV-1a over the bits of each float, one hash a block of inputs, so that a
// difference shows which block it is in.
constexpr uint64_t FNV_OFFSET = 14695981039346656037ull;

struct Section {
    const char* name;
    uint64_t inputs = 0;
    uint64_t hash = FNV_OFFSET;

    explicit Section(const char* n)
        : name(n)
    {
    }

    void add(const float* v, int n)
    {
        for (int i = 0; i < n; ++i) {
            uint32_t bits;
            std::memcpy(&bits, &v[i], sizeof bits);
            for (int b = 0; b < 4; ++b) {
                hash ^= (bits >> (8 * b)) & 0xffu;
                hash *= 1099511628211ull;
            }
        }
    }

    void next_input()
    {
        if (++inputs % BLOCK == 0)
            print();
    }

    void finish()
    {
        if (inputs % BLOCK != 0)
            print();
    }

    void print()
    {
        std::printf("%s %" PRIu64 " %016" PRIx64 "\n", name, inputs, hash);
        std::fflush(stdout);
        hash = FNV_OFFSET;
    }
};

void quat_about_z(float angle, float* q)
{
    float axis[3] = {0.0f, 0.0f, 1.0f};
    quat_from_axis_angle(axis, angle, q);
}

void sweep_keys()
{
    Section s("keys");
    for (int32_t degrees = -KEY_ANGLE_LIMIT; degrees <= KEY_ANGLE_LIMIT; ++degrees) {
        const float angle = static_cast<float>(static_cast<double>(static_cast<float>(degrees)) * DEG_TO_RAD);
        float q[4];
        quat_about_z(angle, q);
        s.add(q, 4);
        s.next_input();
    }
    s.finish();
}

void sweep_trackball()
{
    Section s("trackball");
    for (float t = SMALLEST_T; t <= 1.0f; t = std::nextafter(t, 2.0f)) {
        const double td = static_cast<double>(t);
        const float angle[1] = {static_cast<float>(std::asin(td) + std::asin(td))};
        float q[4];
        quat_about_z(angle[0], q);
        s.add(angle, 1);
        s.add(q, 4);
        s.next_input();
    }
    s.finish();
}

// Window pixels onto the trackball square, as the mouse handler maps them.
float square_x(int x)
{
    return static_cast<float>(
        static_cast<double>(2 * x - WINDOW_WIDTH) * static_cast<double>(static_cast<float>(1.0 / WINDOW_WIDTH)));
}

float square_y(int y)
{
    return static_cast<float>(
        static_cast<double>(WINDOW_HEIGHT - 2 * y) * static_cast<double>(static_cast<float>(1.0 / WINDOW_HEIGHT)));
}

void drag_step(Section& s, int x1, int y1, int x2, int y2)
{
    float q[4];
    trackball_rotation(q, square_x(x1), square_y(y1), square_x(x2), square_y(y2));
    s.add(q, 4);
    s.next_input();
}

void sweep_drags()
{
    Section s("drags");
    constexpr int STEPS[][2] = {{1, 0}, {0, 1}, {-1, -1}, {5, -3}, {-12, 7}, {40, 25}, {-200, 150}};
    for (int y = 0; y < WINDOW_HEIGHT; ++y)
        for (int x = 0; x < WINDOW_WIDTH; ++x)
            for (const auto& step : STEPS) {
                const int x2 = x + step[0];
                const int y2 = y + step[1];
                if (x2 >= 0 && x2 < WINDOW_WIDTH && y2 >= 0 && y2 < WINDOW_HEIGHT)
                    drag_step(s, x, y, x2, y2);
            }
    // A fixed generator, the same on every platform (xorshift64).
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state](int range) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<int>(state % static_cast<uint64_t>(range));
    };
    for (int i = 0; i < 4000000; ++i) {
        const int x1 = next(WINDOW_WIDTH), y1 = next(WINDOW_HEIGHT), x2 = next(WINDOW_WIDTH), y2 = next(WINDOW_HEIGHT);
        drag_step(s, x1, y1, x2, y2);
    }
    s.finish();
}

} // namespace

int main()
{
    sweep_keys();
    sweep_trackball();
    sweep_drags();
    return 0;
}
