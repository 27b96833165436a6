// Frames a second of one whole program, unchanged, on a private X server, counted by
// the server: with Mesa's software OpenGL on Xvfb each buffer swap ends in one image
// put (MIT-SHM's or the core one) onto the program's window, and nothing else puts
// images there. RECORD reports each one. scripts/bench interleaves the rounds.
// usage: fps_bench PROGRAM [ARG...]   (env VAR=VALUE... PROGRAM for an environment)
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <X11/extensions/shmproto.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "process.h"
#include "x_driver.h"
#include "xvfb.h"

namespace {

Display *control, *data;
XRecordContext context;
unsigned long window;
long puts;
bool ended;

void on_request(XPointer, XRecordInterceptData* d)
{
    ended = ended || d->category == XRecordEndOfData;
    if (d->category == XRecordFromClient && d->data_len >= 3) {
        // The drawable follows the 16-bit length, or the 32-bit one when that is 0 (BIG-REQUESTS).
        uint16_t length;
        uint32_t drawable;
        std::memcpy(&length, d->data + 2, sizeof length);
        std::memcpy(&drawable, d->data + (length == 0 ? 8 : 4), sizeof drawable);
        puts += drawable == window;
    }
    XRecordFreeData(d);
}

// The image puts onto window `w` per second over `seconds` from now.
double rate(unsigned long w, double seconds)
{
    window = w;
    puts = 0;
    ended = false;
    XRecordEnableContextAsync(data, context, on_request, nullptr);
    XFlush(data);
    const double from = now_seconds();
    wait_until([] { return XRecordProcessReplies(data), false; }, seconds, 0.01);
    XRecordDisableContext(control, context);
    XSync(control, False);
    const double to = now_seconds();
    wait_until([] { return XRecordProcessReplies(data), ended; }, 5.0, 0.001);
    return static_cast<double>(puts) / (to - from);
}

int fail(const std::string& why)
{
    std::fprintf(stderr, "fps_bench: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> program(argv + 1, argv + argc);
    if (program.empty())
        return fail("usage: fps_bench PROGRAM [ARG...]");
    for (const std::string& word : program) {
        const std::string file = word.substr(word.find('=') + 1); // the value of VAR=VALUE, else the word
        if (file.find('/') != std::string::npos && !std::filesystem::exists(file))
            return fail("no " + file);
    }
    XvfbServer server;
    control = XOpenDisplay(server.display().c_str());
    data = XOpenDisplay(server.display().c_str());
    int shm, event, error;
    if (!server.ok() || !control || !data || !XQueryExtension(control, "MIT-SHM", &shm, &event, &error))
        return fail("no X server with MIT-SHM");
    XRecordRange* range = XRecordAllocRange();
    range->core_requests.first = range->core_requests.last = X_PutImage;
    range->ext_requests.ext_major.first = range->ext_requests.ext_major.last = static_cast<uint8_t>(shm);
    range->ext_requests.ext_minor.first = range->ext_requests.ext_minor.last = X_ShmPutImage;
    XRecordClientSpec clients = XRecordAllClients;
    context = XRecordCreateContext(control, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(control, False);
    if (!context)
        return fail("no X server that records requests");

    ProcessOptions options;
    options.env = {"DISPLAY=" + server.display()};
    Process running(program, options);
    XDriver screen(server.display());
    // A second to settle, in which it must draw; then three seconds counted.
    if (!wait_for_picture(screen, running, 60.0, false) || rate(screen.window, 1.0) == 0)
        return fail(program[0] + " showed no window or drew nothing in it");
    std::printf("%.1f\n", rate(screen.window, 3.0));
    return 0;
}
