// Which SDL 1.2 the viewer runs on here, and what that SDL says where the viewer prints SDL's own words or the depth
// SDL reports: the classic library (libsdl1.2debian up to Debian 12) or the compatibility layer over SDL2
// (libsdl1.2-compat, and libsdl1.2debian itself from Debian 13 on).
#pragma once

#include <string>

struct SdlUnderTest {
    std::string library;               // the file of the libSDL-1.2.so.0 that this process's library path finds
    bool compat;                       // the compatibility layer over SDL2, not the classic library
    std::string no_fitting_glx_visual; // its reason when no GLX visual fits the window
    int palette_depth;                 // the depth it reports for an 8-bit palette screen
    int depth_on_15_bits;              // ... and for a 15-bit screen
};

// The SDL that the viewer, started with this process's environment, loads.
const SdlUnderTest& sdl_under_test();

// Whether this run is the one on the compatibility layer that scripts/sdl-compat unpacks into the build
// (TURNFAN_SDL=compat, set by the sdl_compat.* tests with their LD_LIBRARY_PATH).
bool unpacked_compat_run();
