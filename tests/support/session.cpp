#include "session.h"

#include "paths.h"

namespace {

// How long a viewer that showed no frame gets to finish printing why.
constexpr double LAST_WORDS_SECONDS = 5.0;

} // namespace

std::string started_banner(int depth)
{
    return INITIALIZING + ("initializing display to " + std::to_string(depth) + "-bit 640 by 480\n");
}

Session::Session(int depth, const std::vector<std::string>& args)
    : server(depth)
{
    // Without its own server the viewer would open whatever DISPLAY names.
    if (server.ok())
        viewer = std::make_unique<Viewer>(server.display(), viewer_binary(), args);
}

testing::AssertionResult shows_first_frame(Session& session)
{
    if (!session.server.ok())
        return testing::AssertionFailure() << "the private X server did not start";
    if (session.viewer->wait_for_window())
        return testing::AssertionSuccess();
    const ExitResult r = session.viewer->wait_exit(LAST_WORDS_SECONDS);
    return testing::AssertionFailure() << "the viewer showed no frame; it printed:\n" << r.out << r.err;
}

void expect_clean_end(const ExitResult& r, const std::string& out)
{
    EXPECT_TRUE(r.exited) << "ended by signal " << r.signal;
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, out);
    EXPECT_EQ(r.err, "");
}

void expect_clean_close(Viewer& viewer, const std::string& out)
{
    viewer.close_window();
    expect_clean_end(viewer.wait_exit(), out);
}

Image grab_until(Viewer& viewer, const std::function<bool(const Image&)>& wanted, double seconds)
{
    const double end = now_seconds() + seconds;
    Image image = viewer.grab();
    while (!wanted(image) && now_seconds() < end) {
        pause_seconds(0.05);
        image = viewer.grab();
    }
    return image;
}

int count(const Image& image, uint8_t r, uint8_t g, uint8_t b)
{
    int n = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        n += image.rgb[i] == r && image.rgb[i + 1] == g && image.rgb[i + 2] == b;
    return n;
}

void expect_failed_start(const ExitResult& r, const std::string& message)
{
    const std::string initializing = INITIALIZING;
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.out << r.err;
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.out.compare(0, initializing.size(), initializing), 0) << r.out;
    const std::string rest = r.out.substr(initializing.size());
    if (message == MODE_SET_FAILED) {
        // The display line is out before the mode is tried; the depth is whatever the driver reports.
        const std::string head = "initializing display to ", tail = "-bit 640 by 480\n";
        ASSERT_GT(rest.size(), head.size() + tail.size()) << rest;
        EXPECT_EQ(rest.compare(0, head.size(), head), 0) << rest;
        EXPECT_EQ(rest.compare(rest.size() - tail.size(), tail.size(), tail), 0) << rest;
        EXPECT_EQ(rest.find('\n'), rest.size() - 1) << rest;
    } else {
        EXPECT_EQ(rest, "");
    }
    ASSERT_EQ(r.err.compare(0, message.size(), message), 0) << r.err;
    EXPECT_GT(r.err.size(), message.size() + 1) << "SDL's reason is missing: " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}
