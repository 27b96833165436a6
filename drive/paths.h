// Where the tests find the viewer and the build they belong to.
#pragma once

#include <string>

// This build's viewer binary and build directory, unless the environment names
// others in TURNFAN_BINARY and TURNFAN_BUILD_DIR.
std::string viewer_binary();
std::string build_dir();
