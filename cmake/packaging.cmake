# Installation and the Debian package that cpack makes.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/icons.cmake)

# The id software centres know the program by: the desktop entry, the icon and
# the metainfo are named after it.
set(TURNFAN_APP_ID org.example.turnfan)

# The files that state the version take it from project().
configure_file(data/turnfan.1.in turnfan.1 @ONLY)
configure_file(data/changelog.in changelog @ONLY)
configure_file(data/${TURNFAN_APP_ID}.metainfo.xml.in ${TURNFAN_APP_ID}.metainfo.xml @ONLY)

# Man page and changelog go in compressed the way Debian wants them: gzip -9n
# (best compression, no name or time stamp in the header).
set(TURNFAN_MAN_PAGE ${PROJECT_BINARY_DIR}/turnfan.1.gz)
set(TURNFAN_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.gz)
foreach(source turnfan.1 changelog)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/${source}.gz
    COMMAND gzip -9n -c ${PROJECT_BINARY_DIR}/${source} > ${PROJECT_BINARY_DIR}/${source}.gz
    DEPENDS ${PROJECT_BINARY_DIR}/${source})
endforeach()
add_custom_target(turnfan_docs ALL DEPENDS ${TURNFAN_MAN_PAGE} ${TURNFAN_CHANGELOG} ${TURNFAN_ICON_PNGS})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(FILES data/${TURNFAN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/${TURNFAN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/turnfan.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TURNFAN_APP_ID}.svg)
foreach(size png IN ZIP_LISTS TURNFAN_ICON_SIZES TURNFAN_ICON_PNGS)
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${TURNFAN_APP_ID}.png)
endforeach()
install(FILES ${TURNFAN_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TURNFAN_CHANGELOG} data/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Other systems look for the licence in the doc folder; Debian has it in copyright
# and wants no second copy, so the package leaves this component out.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT licence)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified)
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
# cpack's source package, for those who make one: the release tarball's files
# (scripts/release makes that one from git's list); no build folders.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME turnfan-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "/\\.git$" "/\\.git/" "/build[^/]*/" "/Testing/")
include(CPack)
