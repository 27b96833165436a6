# The hardening flags of Debian's own builds, as dpkg-buildflags gives them, less
# -g and -O2 (the build type chooses those) and the reproducibility flags.
# Included before the sources are added, so that the flags reach every target.
option(TURNFAN_HARDENING "Build with Debian's hardening flags (bind-now, fortify, relro, stack protector)" ON)
find_program(TURNFAN_DPKG_BUILDFLAGS dpkg-buildflags)
if(TURNFAN_HARDENING AND TURNFAN_DPKG_BUILDFLAGS AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all"
              "DEB_${kind}_MAINT_STRIP=-g -O2" ${TURNFAN_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    if(kind STREQUAL "LDFLAGS")
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
  endforeach()
endif()
