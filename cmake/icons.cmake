# The program's icon as PNG files at the sizes icon themes and Windows look for,
# rendered from data/turnfan.svg (rsvg-convert, Debian's librsvg2-bin).
# Sets TURNFAN_ICON_PNGS (one file a size, in the order of TURNFAN_ICON_SIZES).
set(TURNFAN_ICON_SIZES 16 24 32 48 64 128 256)
find_program(TURNFAN_RSVG_CONVERT rsvg-convert REQUIRED)
set(TURNFAN_ICON_PNGS)
foreach(size ${TURNFAN_ICON_SIZES})
  set(png ${PROJECT_BINARY_DIR}/icons/turnfan-${size}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons
    COMMAND ${TURNFAN_RSVG_CONVERT} --width ${size} --height ${size} --output ${png}
            ${PROJECT_SOURCE_DIR}/data/turnfan.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/data/turnfan.svg)
  list(APPEND TURNFAN_ICON_PNGS ${png})
endforeach()
