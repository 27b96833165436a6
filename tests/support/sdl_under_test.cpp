#include "sdl_under_test.h"

#include <SDL_version.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

const SdlUnderTest& sdl_under_test()
{
    static const SdlUnderTest sdl = [] {
        void* handle = dlopen("libSDL-1.2.so.0", RTLD_LAZY | RTLD_LOCAL);
        if (handle == nullptr)
            throw std::runtime_error(std::string("no SDL 1.2 to be loaded: ") + dlerror());
        link_map* map = nullptr;
        dlinfo(handle, RTLD_DI_LINKMAP, &map);
        // The compatibility layer numbers its releases from 1.2.50; the classic library ended at 1.2.15.
        const bool compat =
            reinterpret_cast<decltype(&SDL_Linked_Version)>(dlsym(handle, "SDL_Linked_Version"))()->patch >= 50;
        const std::string library = std::filesystem::canonical(map->l_name);
        return compat ? SdlUnderTest{library, true, "GLX is not supported\n", 0, 15}
                      : SdlUnderTest{library, false, "Couldn't find matching GLX visual\n", 8, 16};
    }();
    return sdl;
}

bool unpacked_compat_run()
{
    const char* impl = std::getenv("TURNFAN_SDL");
    return impl && std::string(impl) == "compat";
}
