# The Windows version, cross-built with cmake/mingw-w64.cmake: SDL linked
# statically into turnfan.exe, shipped as a zip with the README, the program's
# licence and SDL's.

# sdl.pc names only the libraries of a shared SDL; a static one also needs those
# that `pkg-config --static` adds (Libs.private).
set(TURNFAN_SDL_PRIVATE_LIBS ${SDL_STATIC_LIBRARIES})
list(REMOVE_ITEM TURNFAN_SDL_PRIVATE_LIBS ${SDL_LIBRARIES})
set_property(TARGET PkgConfig::SDL APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${TURNFAN_SDL_PRIVATE_LIBS})

install(FILES README.md DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${TURNFAN_SDL_PREFIX}/COPYING DESTINATION . RENAME SDL-COPYING.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME turnfan)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two ways of turning three angles into an orientation, side by side")
include(CPack)

include(CTest)
if(BUILD_TESTING)
  add_subdirectory(tests/windows)
endif()
