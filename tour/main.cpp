// A guided tour of the viewer on a private X server, for machines with no
// display: starts the real viewer, takes the walk with real X input, saves a
// screenshot after each step and a contact sheet of them all, closes the window
// as a window manager does and prints what the viewer printed.
//
// usage: turnfan_tour VIEWER OUTPUT_DIR
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s VIEWER OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string out_dir = argv[2];
    std::error_code made;
    std::filesystem::create_directories(out_dir, made);
    if (made) {
        std::fprintf(stderr, "tour: could not make %s: %s\n", out_dir.c_str(), made.message().c_str());
        return 1;
    }

    X11 x;
    x.viewer = argv[1];
    x.start_seconds = 90.0; // on a busy machine, or under memcheck, the first frame is slow
    if (const std::string why = x.start(); !why.empty()) {
        std::fprintf(stderr, "tour: %s\n", why.c_str());
        return 1;
    }

    // A font file named outright: ImageMagick's default font needs Ghostscript's fonts.
    std::vector<std::string> montage = {"montage", "-font", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "-background", "#202020", "-fill", "white", "-pointsize", "13", "-geometry", "320x240+6+6", "-tile", "3x2"};
    bool saved_all = true;
    std::vector<Step> walk = WALK;
    walk.insert(walk.begin(), {"start", "start: no turn, fixed-axis chain (white)", [](Platform&) {}});
    for (size_t i = 0; i < walk.size(); ++i) {
        walk[i].input(x);
        const std::string path = out_dir + "/" + std::to_string(i + 1) + "-" + walk[i].name + ".png";
        const bool ok = save_png(grab_settled(x), path);
        saved_all = saved_all && ok;
        std::printf("%s %s\n", ok ? "saved" : "could not save", path.c_str());
        montage.insert(montage.end(), {"-label", walk[i].caption, path});
    }

    x.close();
    const ExitResult r = x.wait_exit();
    const std::string sheet = out_dir + "/contact-sheet.png";
    montage.push_back(sheet);
    const bool sheet_ok = run_program(montage);
    std::printf("%s %s\n", sheet_ok ? "saved" : "could not save", sheet.c_str());

    std::printf("\nThe viewer printed on standard output:\n%s", r.out.c_str());
    if (!r.err.empty())
        std::printf("and on standard error:\n%s", r.err.c_str());
    std::printf("and ended with %s %d.\n", r.exited ? "status" : "signal", r.exited ? r.status : r.signal);
    return r.exited && r.status == 0 && saved_all && sheet_ok ? 0 : 1;
}
