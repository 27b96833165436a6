# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (win32 threads),
# against an SDL 1.2 built for it in TURNFAN_SDL_PREFIX (scripts/build-windows).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(TURNFAN_SDL_PREFIX "" CACHE PATH "SDL 1.2 built for win64")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TURNFAN_SDL_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${TURNFAN_SDL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Only the cross prefix's sdl.pc: pkg-config must never answer with the host's SDL.
set(ENV{PKG_CONFIG_LIBDIR} "${TURNFAN_SDL_PREFIX}/lib/pkgconfig")

# Every program is one self-contained file: no libstdc++, libgcc or winpthread DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
