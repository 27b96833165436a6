#include "expect.h"

#include <gmock/gmock.h>

#include <algorithm>

#include "paths.h"

void expect_clean_end(const ExitResult& r, const std::string& out)
{
    EXPECT_TRUE(r.exited) << "ended by signal " << r.signal;
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, out);
    EXPECT_EQ(r.err, "");
}

void expect_clean_close(Platform& p, const std::string& out)
{
    EXPECT_EQ(p.close(), "");
    expect_clean_end(p.wait_exit(), out);
}

void expect_failed_start(const ExitResult& r, const std::string& message)
{
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.out << r.err;
    EXPECT_EQ(r.status, 1);
    ASSERT_THAT(r.out, testing::StartsWith(INITIALIZING));
    // The display line is out before the mode is tried; the depth is whatever the driver reports.
    EXPECT_THAT(r.out.substr(sizeof INITIALIZING - 1),
        testing::MatchesRegex(message == MODE_SET_FAILED ? "initializing display to [^\n]+-bit 640 by 480\n" : ""));
    ASSERT_THAT(r.err, testing::StartsWith(message));
    EXPECT_THAT(r.err.substr(message.size()), testing::MatchesRegex("[^\n]+\n")) << "SDL's reason, on one line";
}

int count(const Image& image, uint8_t r, uint8_t g, uint8_t b, int x0, int y0, int x1, int y1)
{
    const uint8_t colour[] = {r, g, b};
    int n = 0;
    for (int y = std::max(y0, 0); y <= std::min(y1, image.height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, image.width - 1); ++x)
            n += std::equal(colour, colour + 3, image.at(x, y));
    return n;
}

namespace {

// Whether `image` has this colour within `reach` pixels of (x, y).
bool colour_near(const Image& image, int x, int y, const uint8_t* colour, int reach)
{
    return count(image, colour[0], colour[1], colour[2], x - reach, y - reach, x + reach, y + reach) > 0;
}

// Pixels of `a` whose colour `b` has nowhere within `reach` pixels of the same place. Lines drawn another way may also
// differ where they end or cross: a pixel is forgiven where `b` shows another line that `a` has within reach too (the
// other on top), or background with the colour one pixel further (a line a pixel shorter).
int without_match(const Image& a, const Image& b, int reach)
{
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const uint8_t* colour = a.at(x, y);
            const uint8_t* other = b.at(x, y);
            if (colour_near(b, x, y, colour, reach))
                continue;
            const bool background = !(other[0] || other[1] || other[2]);
            n += reach == 0 ||
                (background ? !colour_near(b, x, y, colour, reach + 1) : !colour_near(a, x, y, other, reach));
        }
    return n;
}

} // namespace

int unmatched_pixels(const Image& got, const Image& want, int reach)
{
    if (got.width != want.width || got.height != want.height)
        return -1;
    return reach == 0 ? without_match(got, want, 0) : without_match(got, want, reach) + without_match(want, got, reach);
}

int differing_pixels(const Image& got, const Image& want, const std::string& what, int reach)
{
    const int n = unmatched_pixels(got, want, reach);
    if (n != 0) {
        save_png(got, artifact(what + "-got.png"));
        save_png(want, artifact(what + "-want.png"));
    }
    return n;
}

std::string artifact(const std::string& what)
{
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name() + ("-" + what);
    std::replace(name.begin(), name.end(), '/', '-');
    return build_dir() + "/" + name;
}
