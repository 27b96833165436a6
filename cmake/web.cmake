# The web page, built with emscripten (scripts/build-web): SDL 1.2 and OpenGL are
# emscripten's own, its SDL written in JavaScript and its GL an emulation of
# OpenGL 1.x over WebGL. The targets the sources link stand for them.
add_library(PkgConfig::SDL INTERFACE IMPORTED)
# Asked for by name since 3.1.69 (Debian 13); 3.1.6 (Debian 12) links it anyway.
target_compile_options(PkgConfig::SDL INTERFACE -sUSE_SDL=1)
target_link_options(PkgConfig::SDL INTERFACE -sUSE_SDL=1)
add_library(OpenGL::GL INTERFACE IMPORTED)
target_link_options(OpenGL::GL INTERFACE -sLEGACY_GL_EMULATION=1)
add_library(OpenGL::GLU INTERFACE IMPORTED)
