# Installation and the Debian package that cpack makes.
include(GNUInstallDirs)

# Man page and changelog go in compressed the way Debian wants them: gzip -9n
# (best compression, no name or time stamp in the header).
set(TURNFAN_MAN_PAGE ${PROJECT_BINARY_DIR}/turnfan.1.gz)
set(TURNFAN_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.gz)
foreach(pair "turnfan.1;${TURNFAN_MAN_PAGE}" "changelog;${TURNFAN_CHANGELOG}")
  list(GET pair 0 source)
  list(GET pair 1 compressed)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/${source} > ${compressed}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/${source})
endforeach()
add_custom_target(turnfan_docs ALL DEPENDS ${TURNFAN_MAN_PAGE} ${TURNFAN_CHANGELOG})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(FILES data/turnfan.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/turnfan.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TURNFAN_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TURNFAN_CHANGELOG} data/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME turnfan)
set(CPACK_PACKAGE_CONTACT "turnfan developers <turnfan@users.noreply.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two ways of turning three angles into an orientation, side by side")
set(CPACK_PACKAGE_DESCRIPTION
    "turnfan is an interactive 3D viewer. A fan of five wireframe rectangles is
turned by three angles stepped from the keyboard, either by a chain of three
fixed-axis rotations handed to OpenGL one by one or by a product of axis-angle
quaternions turned into one matrix. A key switches between the two, and a
virtual trackball turns the whole scene, so the difference can be seen from
any side.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_TURNFAN_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian-strip.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends: the libraries the binary links, which shlibdeps finds, and libgl1,
# which SDL 1.2 loads at run time to make its OpenGL context. On Debian 12 libgl1
# pulls in Mesa's GLX and drivers; Recommends names them for systems where it
# does not, without forcing Mesa onto one that has another GLX vendor.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libglx-mesa0, libgl1-mesa-dri")
include(CPack)
