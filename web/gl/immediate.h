// Immediate-mode OpenGL as turnfan draws it, on top of emscripten's GL
// emulation, which alone gets it wrong in WebGL: a colour given to some vertices
// only, quads in line mode (drawn filled), wide lines (WebGL's are 1 pixel) and
// lines with one end behind the eye (SwiftShader drops them).
//
// This library defines glBegin, glEnd, glVertex3f, glColor3f, glPolygonMode,
// glLineWidth and glShadeModel. Lines, and quads in line mode, reach the emulation as 1-pixel
// lines, clipped at the near plane, each vertex with its colour; every other
// primitive reaches it as it came. It draws through the emulation's own entries,
// which emscripten keeps as emscripten_gl*.
#pragma once

#include <GL/gl.h>

extern "C" {
void emscripten_glBegin(GLenum mode);
void emscripten_glEnd();
void emscripten_glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w);
void emscripten_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void emscripten_glGetFloatv(GLenum name, GLfloat* values);
void emscripten_glGetIntegerv(GLenum name, GLint* values);
void emscripten_glMatrixMode(GLenum mode);
void emscripten_glPushMatrix();
void emscripten_glPopMatrix();
void emscripten_glLoadIdentity();
}
