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
#include "session.h"
#include "viewer.h"
#include "xvfb.h"

namespace {

constexpr double START_SECONDS = 60.0; // Wine's first start in a prefix brings up its services
// SDL_STDIO_REDIRECT=0 would send the output to the pipes instead of the files.
const std::vector<std::string> OUTPUT_TO_FILES = {"SDL_STDIO_REDIRECT="};

std::string env_or(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v ? v : fallback;
}

// A file's text with the CRs of CR LF line ends taken out; "" if there is no file.
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

    bool ok() const { return !dir_.empty() && std::filesystem::exists(exe()); }
    std::string exe() const { return dir_ + "/turnfan.exe"; }
    std::string stdout_txt() const { return read_text(dir_ + "/stdout.txt"); }
    bool has_stderr_txt() const { return std::filesystem::exists(dir_ + "/stderr.txt"); }
    // The run's end with the program's output taken from the files.
    ExitResult with_output_files(ExitResult r) const
    {
        r.out = stdout_txt();
        r.err = read_text(dir_ + "/stderr.txt");
        return r;
    }

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

    std::unique_ptr<Viewer> start_exe()
    {
        return std::make_unique<Viewer>(server.display(), wine, std::vector<std::string>{copy.exe()}, OUTPUT_TO_FILES);
    }

    XvfbServer server;
    ExeCopy copy;
    const std::string wine = env_or("TURNFAN_WINE", "/usr/bin/wine");
};

TEST_F(WineE2E, StdoutTxtHoldsTheStartLinesThenTheQuitLineAfterAWindowClose)
{
    auto viewer = start_exe();
    ASSERT_TRUE(viewer->wait_for_window(START_SECONDS));
    EXPECT_EQ(copy.stdout_txt(), started_banner());
    viewer->close_window();
    const ExitResult r = viewer->wait_exit();
    EXPECT_EQ(r.out, "") << "output that went past stdout.txt";
    expect_clean_end(copy.with_output_files(r), started_banner() + QUIT_LINE);
    EXPECT_FALSE(copy.has_stderr_txt());
}

TEST_F(WineE2E, EscQuitsWithStatusZeroAndLeavesNoStderrTxt)
{
    auto viewer = start_exe();
    ASSERT_TRUE(viewer->wait_for_window(START_SECONDS));
    // No window manager: the keyboard follows the pointer.
    viewer->move_pointer(600, 40);
    viewer->tap("Escape");
    expect_clean_end(copy.with_output_files(viewer->wait_exit()), started_banner());
    EXPECT_FALSE(copy.has_stderr_txt());
}

TEST_F(WineE2E, NoOpenGLMeansVideoModeSetFailedInStderrTxt)
{
    // SDL's dummy driver has video but no OpenGL.
    std::vector<std::string> env = OUTPUT_TO_FILES;
    env.push_back("SDL_VIDEODRIVER=dummy");
    const ExitResult r = run_to_exit(server.display(), wine, {copy.exe()}, env, START_SECONDS);
    expect_failed_start(copy.with_output_files(r), MODE_SET_FAILED);
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
            grab_until(linux_viewer, [&](const Image& i) { return i.rgb != before.rgb; });
            linux_pictures.push_back(linux_viewer.grab_settled());
        }
        expect_clean_close(linux_viewer);
    }

    auto viewer = start_exe();
    ASSERT_TRUE(viewer->wait_for_window(START_SECONDS));
    viewer->move_pointer(600, 40);
    for (size_t i = 0; i < linux_pictures.size(); ++i) {
        if (i > 0)
            STEPS[i - 1](*viewer);
        const Image& want = linux_pictures[i];
        const Image got = grab_until(*viewer, [&](const Image& image) { return image.rgb == want.rgb; });
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
