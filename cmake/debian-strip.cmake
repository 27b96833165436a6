# Run by cpack on the files it is about to package: strips the programs as
# Debian's dh_strip does, symbols and the compiler's .comment and .note sections.
file(GLOB programs ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin/*)
foreach(program ${programs})
  execute_process(COMMAND ${CPACK_TURNFAN_STRIP} --remove-section=.comment --remove-section=.note ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
