// The Windows build's real exe under Wine on a private X server, driven with
// real X input like the Linux viewer. SDL's Windows start-up code sends the
// program's output to stdout.txt and stderr.txt beside the exe (CR LF line ends)
// and deletes either at exit if it stayed empty, so every run gets its own copy
// of the exe in a fresh folder.
//
// Environment: TURNFAN_WINDOWS_EXE (the exe), TURNFAN_WINE (wine), and the Wine
// prefix's settings, which the runs inherit.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "paths.h"
#include "viewer.h"
#include "xvfb.h"

namespace {

const std::string STARTED = "Initializing SDL.\ninitializing display to 32-bit 640 by 480\n";
constexpr double START_SECONDS = 60.0; // Wine's first start in a prefix brings up its services
constexpr double SETTLE_SECONDS = 15.0;

std::string env_or(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v ? v : fallback;
}

bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

// A file's text with the CRs of CR LF line ends taken out.
std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::string text;
    for (char c : s.str())
        if (c != '\r')
            text += c;
    return text;
}

// A fresh folder holding a copy of the exe; removed with the object.
class ExeCopy {
public:
    ExeCopy()
    {
        char pattern[] = "/tmp/turnfan-wine-XXXXXX";
        if (!mkdtemp(pattern))
            return;
        dir_ = pattern;
        std::error_code ignored;
        std::filesystem::copy_file(env_or("TURNFAN_WINDOWS_EXE", ""), exe(), ignored);
    }
    ~ExeCopy()
    {
        std::error_code ignored;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ignored);
    }
    ExeCopy(const ExeCopy&) = delete;
    ExeCopy& operator=(const ExeCopy&) = delete;

    bool ok() const { return !dir_.empty() && exists(exe()); }
    std::string exe() const { return dir_ + "/turnfan.exe"; }
    std::string file(const char* name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

int differing_pixels(const Image& a, const Image& b)
{
    if (a.rgb.size() != b.rgb.size())
        return -1;
    int n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        n += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    return n;
}

// Grabs until the picture satisfies `wanted` or the time is up; returns the last grab.
Image wait_for(Viewer& viewer, const std::function<bool(const Image&)>& wanted)
{
    const double end = now_seconds() + SETTLE_SECONDS;
    Image image = viewer.grab();
    while (!wanted(image) && now_seconds() < end) {
        pause_seconds(0.05);
        image = viewer.grab();
    }
    return image;
}

// The same input to either build; each step changes the picture.
const std::vector<std::function<void(Viewer&)>> STEPS = {
    [](Viewer& v) { v.tap("m"); },
    [](Viewer& v) {
        v.tap("w", 5);
        v.tap("e", 3);
        v.tap("d", 2);
    },
    [](Viewer& v) { v.tap("m"); },
    [](Viewer& v) { v.drag(320, 240, 400, 200); },
    [](Viewer& v) {
        v.key("Shift_L", true);
        v.drag(320, 160, 320, 300);
        v.key("Shift_L", false);
    },
    [](Viewer& v) {
        v.key("Control_L", true);
        v.drag(320, 240, 380, 280);
        v.key("Control_L", false);
    },
};

class WineE2E : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok());
        ASSERT_TRUE(copy.ok()) << "no exe at TURNFAN_WINDOWS_EXE";
    }

    // SDL_STDIO_REDIRECT=0 would send the output to the pipes instead of the files.
    std::unique_ptr<Viewer> start_exe()
    {
        return std::make_unique<Viewer>(server.display(), wine, std::vector<std::string>{copy.exe()}, NO_PIPES);
    }

    const std::vector<std::string> NO_PIPES = {"SDL_STDIO_REDIRECT="};

    XvfbServer server;
    ExeCopy copy;
    const std::string wine = env_or("TURNFAN_WINE", "/usr/bin/wine");
};

TEST_F(WineE2E, StdoutTxtHoldsTheStartLinesThenTheQuitLineAfterAWindowClose)
{
    auto viewer = start_exe();
    ASSERT_TRUE(viewer->wait_for_window(START_SECONDS));
    EXPECT_EQ(read_text(copy.file("stdout.txt")), STARTED);
    viewer->close_window();
    ExitResult r = viewer->wait_exit();
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_text(copy.file("stdout.txt")), STARTED + "Quit requested, quitting.\n");
    EXPECT_FALSE(exists(copy.file("stderr.txt")));
    EXPECT_EQ(r.out, "") << "output that went past stdout.txt";
}

TEST_F(WineE2E, EscQuitsWithStatusZeroAndLeavesNoStderrTxt)
{
    auto viewer = start_exe();
    ASSERT_TRUE(viewer->wait_for_window(START_SECONDS));
    // No window manager: the keyboard follows the pointer.
    viewer->move_pointer(600, 40);
    viewer->tap("Escape");
    ExitResult r = viewer->wait_exit();
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_text(copy.file("stdout.txt")), STARTED);
    EXPECT_FALSE(exists(copy.file("stderr.txt")));
}

TEST_F(WineE2E, NoOpenGLMeansVideoModeSetFailedInStderrTxt)
{
    // SDL's dummy driver has video but no OpenGL.
    ExitResult r = run_to_exit(
        server.display(), wine, {copy.exe()}, {"SDL_STDIO_REDIRECT=", "SDL_VIDEODRIVER=dummy"}, START_SECONDS);
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 1);
    const std::string err = read_text(copy.file("stderr.txt"));
    const std::string prefix = "Video mode set failed: ";
    ASSERT_EQ(err.compare(0, prefix.size(), prefix), 0) << err;
    EXPECT_GT(err.size(), prefix.size() + 1) << "SDL's reason is missing: " << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    const std::string out = read_text(copy.file("stdout.txt"));
    EXPECT_EQ(out.rfind("Initializing SDL.\ninitializing display to ", 0), 0u) << out;
}

TEST_F(WineE2E, PicturesEqualTheLinuxBuildsPixelForPixel)
{
    // The Linux viewer first, on the same server: the pictures to match.
    std::vector<Image> linux_pictures;
    {
        Viewer linux_viewer(server.display(), viewer_binary());
        ASSERT_TRUE(linux_viewer.wait_for_window());
        linux_viewer.move_pointer(600, 40);
        linux_pictures.push_back(linux_viewer.grab_settled());
        for (const auto& step : STEPS) {
            const Image before = linux_pictures.back();
            step(linux_viewer);
            wait_for(linux_viewer, [&](const Image& i) { return i.rgb != before.rgb; });
            linux_pictures.push_back(linux_viewer.grab_settled());
        }
        linux_viewer.close_window();
        ASSERT_EQ(linux_viewer.wait_exit().status, 0);
    }

    auto viewer = start_exe();
    ASSERT_TRUE(viewer->wait_for_window(START_SECONDS));
    viewer->move_pointer(600, 40);
    for (size_t i = 0; i < linux_pictures.size(); ++i) {
        if (i > 0)
            STEPS[i - 1](*viewer);
        const Image& want = linux_pictures[i];
        const Image got = wait_for(*viewer, [&](const Image& image) { return image.rgb == want.rgb; });
        const int differing = differing_pixels(got, want);
        EXPECT_EQ(differing, 0) << "picture " << i;
        if (differing != 0) {
            const std::string name = build_dir() + "/wine-picture-" + std::to_string(i);
            got.save_png(name + "-windows.png");
            want.save_png(name + "-linux.png");
        }
    }
    viewer->close_window();
    EXPECT_EQ(viewer->wait_exit().status, 0);
}

} // namespace
