# The Windows version, cross-built with cmake/mingw-w64.cmake: SDL linked
# statically into turnfan.exe, shipped as a zip with a README for Windows, the
# program's licence and SDL's. SDL's LGPL is met by releasing turnfan's source
# and SDL's exact source beside the zip (scripts/release), so that anyone can
# link turnfan with another SDL.

# sdl.pc names only the libraries of a shared SDL; a static one also needs those
# that `pkg-config --static` adds (Libs.private).
set(TURNFAN_SDL_PRIVATE_LIBS ${SDL_STATIC_LIBRARIES})
list(REMOVE_ITEM TURNFAN_SDL_PRIVATE_LIBS ${SDL_LIBRARIES})
set_property(TARGET PkgConfig::SDL APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${TURNFAN_SDL_PRIVATE_LIBS})

# The exe's resources: the icon from the same SVG as on Linux, a version and a manifest.
enable_language(RC)
include(${CMAKE_CURRENT_LIST_DIR}/icons.cmake)
find_program(TURNFAN_ICOTOOL icotool REQUIRED) # Debian's icoutils
set(TURNFAN_ICO ${PROJECT_BINARY_DIR}/turnfan.ico)
# Windows reads the 256 px image as PNG; the others as bitmaps.
list(GET TURNFAN_ICON_PNGS -1 png_256)
set(small_pngs ${TURNFAN_ICON_PNGS})
list(REMOVE_AT small_pngs -1)
add_custom_command(OUTPUT ${TURNFAN_ICO}
                   COMMAND ${TURNFAN_ICOTOOL} --create --output=${TURNFAN_ICO} ${small_pngs} --raw=${png_256}
                   DEPENDS ${TURNFAN_ICON_PNGS})
set(TURNFAN_MANIFEST ${PROJECT_BINARY_DIR}/turnfan.manifest)
configure_file(data/windows/turnfan.manifest.in ${TURNFAN_MANIFEST} @ONLY)
configure_file(data/windows/turnfan.rc.in turnfan.rc @ONLY)
add_custom_target(turnfan_icon DEPENDS ${TURNFAN_ICO})
add_dependencies(turnfan turnfan_icon)
target_sources(turnfan PRIVATE ${PROJECT_BINARY_DIR}/turnfan.rc)
set_source_files_properties(${PROJECT_BINARY_DIR}/turnfan.rc TARGET_DIRECTORY turnfan
                            PROPERTIES OBJECT_DEPENDS "${TURNFAN_ICO};${TURNFAN_MANIFEST}")

# The README names SDL's source tarball, as scripts/build-windows found it.
file(READ ${TURNFAN_SDL_PREFIX}/source.name TURNFAN_SDL_SOURCE_NAME)
file(READ ${TURNFAN_SDL_PREFIX}/source.sha256 TURNFAN_SDL_SOURCE_SHA256)
string(STRIP "${TURNFAN_SDL_SOURCE_NAME}" TURNFAN_SDL_SOURCE_NAME)
string(STRIP "${TURNFAN_SDL_SOURCE_SHA256}" TURNFAN_SDL_SOURCE_SHA256)
configure_file(data/windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
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
