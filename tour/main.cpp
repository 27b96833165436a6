// A guided tour of the viewer on a private X server, for machines with no
// display: starts the real viewer, works it with real X input, saves a
// screenshot after each step and a contact sheet of them all, closes the window
// as a window manager does and prints what the viewer printed.
//
// usage: turnfan_tour VIEWER OUTPUT_DIR
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "process.h"
#include "x_driver.h"
#include "xvfb.h"

namespace {

struct Shot {
    std::string file;
    std::string caption;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s VIEWER OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string viewer_path = argv[1];
    const std::string out_dir = argv[2];
    std::error_code made;
    std::filesystem::create_directories(out_dir, made);
    if (made) {
        std::fprintf(stderr, "tour: could not make %s: %s\n", out_dir.c_str(), made.message().c_str());
        return 1;
    }

    XvfbServer server;
    if (!server.ok()) {
        std::fprintf(stderr, "tour: could not start Xvfb\n");
        return 1;
    }
    Process viewer({viewer_path}, {{"DISPLAY=" + server.display()}});
    XDriver screen(server.display());
    // Generous: on a busy machine, or under memcheck, the first frame is slow.
    if (!wait_for_picture(screen, viewer, 90.0)) {
        ExitResult r = viewer.wait(5);
        std::fprintf(stderr, "tour: the viewer showed no picture\n%s%s", r.out.c_str(), r.err.c_str());
        return 1;
    }

    std::vector<Shot> shots;
    bool saved_all = true;
    auto shoot = [&](const std::string& name, const std::string& caption) {
        std::string path = out_dir + "/" + name + ".png";
        bool ok = save_png(grab_settled(screen), path);
        saved_all = saved_all && ok;
        std::printf("%s %s\n", ok ? "saved" : "could not save", path.c_str());
        shots.push_back({path, caption});
    };

    move_pointer(screen, 320, 240);
    shoot("1-start", "start: no turn, fixed-axis chain (white)");

    tap(screen, "w", 30);
    tap(screen, "e", 20);
    tap(screen, "d", 15);
    shoot("2-chain-w30-e20-d15", "w x30, e x20, d x15: fixed-axis chain");

    tap(screen, "m");
    shoot("3-quaternion-w30-e20-d15", "m: the same angles as quaternions (yellow)");

    drag(screen, 320, 240, 400, 200);
    shoot("4-after-rotating-drag", "drag: the trackball turns the scene");

    move_pointer(screen, 320, 240);
    key(screen, "Shift_L", true);
    drag(screen, 320, 160, 320, 300);
    key(screen, "Shift_L", false);
    shoot("5-after-shift-drag", "Shift + drag down: nearer");

    key(screen, "Control_L", true);
    drag(screen, 320, 240, 380, 280);
    key(screen, "Control_L", false);
    shoot("6-after-ctrl-drag", "Ctrl + drag: pan");

    close_window(screen);
    ExitResult r = viewer.wait();

    std::string sheet = out_dir + "/contact-sheet.png";
    // A font file named outright: ImageMagick's default font needs Ghostscript's fonts.
    std::vector<std::string> montage = {"montage", "-font", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "-background", "#202020", "-fill", "white", "-pointsize", "13", "-geometry", "320x240+6+6", "-tile", "3x2"};
    for (const Shot& s : shots)
        montage.insert(montage.end(), {"-label", s.caption, s.file});
    montage.push_back(sheet);
    bool sheet_ok = run_program(montage);
    std::printf("%s %s\n", sheet_ok ? "saved" : "could not save", sheet.c_str());

    std::printf("\nThe viewer printed on standard output:\n%s", r.out.c_str());
    if (!r.err.empty())
        std::printf("and on standard error:\n%s", r.err.c_str());
    std::printf("and ended with %s %d.\n", r.exited ? "status" : "signal", r.exited ? r.status : r.signal);
    return r.exited && r.status == 0 && saved_all && sheet_ok ? 0 : 1;
}
