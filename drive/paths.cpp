#include "paths.h"

#include <cstdlib>

std::string viewer_binary()
{
    const char* b = std::getenv("TURNFAN_BINARY");
    return b ? b : TURNFAN_DEFAULT_BINARY;
}

std::string build_dir()
{
    const char* d = std::getenv("TURNFAN_BUILD_DIR");
    return d ? d : TURNFAN_DEFAULT_BUILD_DIR;
}
