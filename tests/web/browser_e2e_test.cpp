// The page in headless Chromium, driven through driver.mjs with real key, mouse
// and touch events, next to this build's viewer on a private X server: the same
// steps must give the same pictures, within one pixel, since the browser
// rasterises lines its own way.
//
// Environment: TURNFAN_WEB_SITE (the built site), TURNFAN_WEB_DRIVER (driver.mjs),
// TURNFAN_CHROMIUM (default /usr/bin/chromium).
#include <gtest/gtest.h>
#include <spawn.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "paths.h"
#include "session.h"
#include "viewer.h"
#include "xvfb.h"

extern char** environ;

namespace {

std::string env_or(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

Image load_png(const std::string& path)
{
    Image image;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (!pixels)
        return Image();
    image.rgb.assign(pixels, pixels + 3 * image.width * image.height);
    stbi_image_free(pixels);
    return image;
}

// Pixels of `a` whose colour `b` has nowhere within one pixel of the same place.
int unmatched_pixels(const Image& a, const Image& b)
{
    if (a.width != b.width || a.height != b.height)
        return a.width * a.height;
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int bx = x + dx, by = y + dy;
                    if (bx >= 0 && by >= 0 && bx < b.width && by < b.height)
                        found = std::equal(a.at(x, y), a.at(x, y) + 3, b.at(bx, by));
                }
            n += !found;
        }
    return n;
}

// The page in a headless Chromium of its own, one command a line.
class Browser {
public:
    explicit Browser(const std::vector<std::string>& args = {})
    {
        int to_child[2], from_child[2];
        if (pipe(to_child) != 0 || pipe(from_child) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, to_child[0], 0);
        posix_spawn_file_actions_adddup2(&actions, from_child[1], 1);
        posix_spawn_file_actions_addclose(&actions, to_child[1]);
        posix_spawn_file_actions_addclose(&actions, from_child[0]);
        std::vector<std::string> argv = {"node", env_or("TURNFAN_WEB_DRIVER", ""), env_or("TURNFAN_WEB_SITE", "")};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> c_argv;
        for (auto& a : argv)
            c_argv.push_back(a.data());
        c_argv.push_back(nullptr);
        if (posix_spawnp(&pid_, "node", &actions, nullptr, c_argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(to_child[0]);
        close(from_child[1]);
        in_ = fdopen(to_child[1], "w");
        out_ = fdopen(from_child[0], "r");
        ready_ = pid_ > 0 && read_line() == "ok ready";
    }
    ~Browser()
    {
        if (in_) {
            fputs("quit\n", in_);
            fclose(in_);
        }
        if (pid_ > 0)
            waitpid(pid_, nullptr, 0);
        if (out_)
            fclose(out_);
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    bool ready() const { return ready_; }
    // The driver's answer: "ok ..." or "error ...".
    std::string run(const std::string& command)
    {
        fprintf(in_, "%s\n", command.c_str());
        fflush(in_);
        return read_line();
    }
    void key(const std::string& name, bool press) { run("key " + name + (press ? " down" : " up")); }
    void tap(const std::string& name, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            key(name, true);
            key(name, false);
        }
    }
    // As Viewer::drag moves: the same positions, one motion event each.
    void drag(int x0, int y0, int x1, int y1, int steps = 10)
    {
        run("move " + std::to_string(x0) + " " + std::to_string(y0));
        run("button down");
        for (int i = 1; i <= steps; ++i)
            run("move " + std::to_string(x0 + (x1 - x0) * i / steps) + " " +
                std::to_string(y0 + (y1 - y0) * i / steps));
        run("button up");
    }
    Image grab()
    {
        const std::string path = build_dir() + "/browser-grab.png";
        return run("grab " + path) == "ok" ? load_png(path) : Image();
    }
    // The page's output lines, unquoted from the driver's JSON.
    std::string output()
    {
        const std::string answer = run("output");
        std::string text;
        for (size_t i = 4; i + 1 < answer.size(); ++i) {
            if (answer[i] == '\\' && answer[i + 1] == 'n') {
                text += '\n';
                ++i;
            } else if (answer[i] == '\\') {
                text += answer[++i];
            } else {
                text += answer[i];
            }
        }
        return text;
    }

private:
    std::string read_line()
    {
        char buffer[65536];
        if (!out_ || !fgets(buffer, sizeof buffer, out_))
            return "";
        std::string line = buffer;
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        return line;
    }

    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
    bool ready_ = false;
};

// One step of the scenario, as each side takes it. Each step changes the picture.
struct Step {
    const char* name;
    void (*desktop)(Viewer&);
    void (*page)(Browser&);
};

const Step STEPS[] = {
    {"m", [](Viewer& v) { v.tap("m"); }, [](Browser& b) { b.tap("m"); }},
    {"w 5, e 3, d 2",
        [](Viewer& v) {
            v.tap("w", 5);
            v.tap("e", 3);
            v.tap("d", 2);
        },
        [](Browser& b) {
            b.tap("w", 5);
            b.tap("e", 3);
            b.tap("d", 2);
        }},
    {"m again", [](Viewer& v) { v.tap("m"); }, [](Browser& b) { b.tap("m"); }},
    {"a drag", [](Viewer& v) { v.drag(320, 240, 400, 200); }, [](Browser& b) { b.drag(320, 240, 400, 200); }},
    {"a left Shift drag",
        [](Viewer& v) {
            v.key("Shift_L", true);
            v.drag(320, 160, 320, 300);
            v.key("Shift_L", false);
        },
        [](Browser& b) {
            b.key("Shift", true);
            b.drag(320, 160, 320, 300);
            b.key("Shift", false);
        }},
    {"a left Ctrl drag",
        [](Viewer& v) {
            v.key("Control_L", true);
            v.drag(320, 240, 380, 280);
            v.key("Control_L", false);
        },
        [](Browser& b) {
            b.key("Control", true);
            b.drag(320, 240, 380, 280);
            b.key("Control", false);
        }},
    // The right modifiers count for nothing: these drags turn the scene.
    {"a right Shift drag",
        [](Viewer& v) {
            v.key("Shift_R", true);
            v.drag(300, 300, 360, 250);
            v.key("Shift_R", false);
        },
        [](Browser& b) {
            b.key("ShiftRight", true);
            b.drag(300, 300, 360, 250);
            b.key("ShiftRight", false);
        }},
    // Held for a second, with the keyboard repeating: one step.
    {"w held",
        [](Viewer& v) {
            v.set_server_key_repeat(250, 30);
            v.key("w", true);
            pause_seconds(1.0);
            v.key("w", false);
        },
        [](Browser& b) {
            for (int i = 0; i < 5; ++i) // the repeats come as more presses
                b.key("w", true);
            b.key("w", false);
        }},
    // Out over the right edge and back in below: positions held to the edges.
    {"a drag leaving the window", [](Viewer& v) { v.drag(320, 240, 1000, 700); },
        [](Browser& b) { b.drag(320, 240, 1000, 700); }},
};

class BrowserE2E : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string chromium = env_or("TURNFAN_CHROMIUM", "/usr/bin/chromium");
        if (access(chromium.c_str(), X_OK) != 0)
            GTEST_SKIP() << "no Chromium at " << chromium << " to run the page in";
        ASSERT_TRUE(std::filesystem::exists(env_or("TURNFAN_WEB_SITE", "") + "/index.html"))
            << "no site at TURNFAN_WEB_SITE";
    }
};

TEST_F(BrowserE2E, StepsGiveTheLinuxViewersPicturesWithinOnePixel)
{
    std::vector<Image> desktop;
    {
        Session session;
        ASSERT_TRUE(shows_first_frame(session));
        Viewer& viewer = *session.viewer;
        viewer.move_pointer(600, 40);
        desktop.push_back(viewer.grab_settled());
        for (const Step& step : STEPS) {
            const Image before = desktop.back();
            step.desktop(viewer);
            grab_until(viewer, [&](const Image& i) { return i.rgb != before.rgb; });
            desktop.push_back(viewer.grab_settled());
        }
        expect_clean_close(viewer);
    }

    Browser page;
    ASSERT_TRUE(page.ready());
    EXPECT_EQ(page.output(), started_banner());
    for (size_t i = 0; i < desktop.size(); ++i) {
        if (i > 0)
            STEPS[i - 1].page(page);
        const std::string name = i == 0 ? "the first frame" : STEPS[i - 1].name;
        const Image got = page.grab();
        const int missing = unmatched_pixels(got, desktop[i]);
        const int extra = unmatched_pixels(desktop[i], got);
        EXPECT_EQ(missing + extra, 0) << "after " << name << ": " << missing << " pixels of the page's and " << extra
                                      << " of the desktop's with no match within a pixel";
        if (missing + extra != 0) {
            const std::string file = build_dir() + "/browser-picture-" + std::to_string(i);
            got.save_png(file + "-page.png");
            desktop[i].save_png(file + "-desktop.png");
        }
    }
    EXPECT_EQ(page.run("scroll"), "ok 0 0") << "the program's keys and drags scrolled the page";
    EXPECT_EQ(page.run("errors"), "ok []");
}

TEST_F(BrowserE2E, TouchButtonsAndOneFingerDragsDoWhatKeysAndTheMouseDo)
{
    Image desktop;
    {
        Session session;
        ASSERT_TRUE(shows_first_frame(session));
        Viewer& viewer = *session.viewer;
        viewer.move_pointer(600, 40); // no window manager: the keyboard follows the pointer
        viewer.tap("q", 3);
        viewer.tap("m");
        viewer.drag(320, 240, 360, 300);
        viewer.key("Shift_L", true);
        viewer.drag(320, 200, 320, 260);
        viewer.key("Shift_L", false);
        viewer.key("Control_L", true);
        viewer.drag(300, 240, 340, 220);
        viewer.key("Control_L", false);
        viewer.drag(340, 300, 300, 320);
        viewer.move_pointer(600, 40);
        grab_until(viewer, [](const Image& i) { return count(i, 255, 255, 0) > 0; });
        desktop = viewer.grab_settled();
        expect_clean_close(viewer);
    }

    Browser page;
    ASSERT_TRUE(page.ready());
    for (int i = 0; i < 3; ++i)
        page.run("click [data-key=q]");
    page.run("click [data-key=m]");
    page.run("touch-drag 320 240 360 300 10");
    // Shift and Ctrl hold for the next drag only.
    page.run("click [data-hold=Shift]");
    page.run("touch-drag 320 200 320 260 10");
    page.run("click [data-hold=Control]");
    page.run("touch-drag 300 240 340 220 10");
    page.run("touch-drag 340 300 300 320 10");
    const Image got = page.grab();
    const int differing = unmatched_pixels(got, desktop) + unmatched_pixels(desktop, got);
    EXPECT_EQ(differing, 0);
    if (differing != 0) {
        got.save_png(build_dir() + "/browser-touch-page.png");
        desktop.save_png(build_dir() + "/browser-touch-desktop.png");
    }
    EXPECT_EQ(page.run("scroll"), "ok 0 0");
    EXPECT_EQ(page.run("errors"), "ok []");
}

TEST_F(BrowserE2E, EscEndsTheProgramWithStatusZeroAndThePageSaysSo)
{
    Browser page;
    ASSERT_TRUE(page.ready());
    page.tap("Escape");
    EXPECT_EQ(page.run("wait-end 10"), "ok 0");
    EXPECT_EQ(page.output(), started_banner() + "turnfan ended with status 0.\nStart again");
    EXPECT_EQ(page.run("errors"), "ok []");
}

TEST_F(BrowserE2E, WithoutWebGLTheModeSetFailsWithTheProgramsOwnLine)
{
    Browser page({"--no-webgl"});
    ASSERT_TRUE(page.ready());
    EXPECT_EQ(page.run("wait-end 10"), "ok 1");
    const std::string out = page.output();
    const std::string want = started_banner() + MODE_SET_FAILED;
    EXPECT_EQ(out.substr(0, want.size()), want) << out;
    EXPECT_NE(out.find("\nturnfan ended with status 1.\n"), std::string::npos) << out;
    EXPECT_EQ(page.run("errors"), "ok []");
}

} // namespace
