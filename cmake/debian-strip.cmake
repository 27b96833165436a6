# Run by cpack on the files it is about to package: strips the programs as
# Debian's dh_strip does, symbols and the compiler's .comment and .note sections.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
# The package is made of components, so they are staged one folder down.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*${CPACK_PACKAGING_INSTALL_PREFIX}/bin/*)
if(NOT programs)
  message(FATAL_ERROR "no programs to strip under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_TURNFAN_STRIP} --remove-section=.comment --remove-section=.note ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
