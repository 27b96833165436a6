// Immediate-mode OpenGL as turnfan draws it, on top of emscripten's GL
// emulation, which alone gets it wrong in WebGL: a colour given to some vertices
// only, quads in line mode (drawn filled), wide lines (WebGL's are 1 pixel) and
// lines with one end behind the eye (SwiftShader drops them); and slowly: a
// buffer upload and a draw for each glEnd, a flush for each glFlush.
//
// This library defines glBegin, glEnd, glVertex3f, glColor3f, glPolygonMode,
// glLineWidth, glShadeModel, glViewport, glClear and glFlush. Lines, and quads in
// line mode, are cut at the near plane and put into clip coordinates, each vertex
// with its colour, a line of width w as round(w * r) parallel 1-pixel lines for r
// device pixels a window pixel; the frame's lines wait, and reach the emulation
// as one block of 1-pixel lines at the buffer swap (web_gl_swap), or before
// anything else is drawn or cleared. Every other primitive reaches it as it
// came. glFlush sends nothing: the browser shows the frame when its turn ends.
// The viewport is scaled by r: the program keeps its window's pixels. Nothing is
// read back from WebGL. It draws through the emulation's own entries, which
// emscripten keeps as emscripten_gl*.
#pragma once

#include <GL/gl.h>

extern "C" {
// The platform's side (web/sdl_browser.cpp): the device pixels a window pixel,
// once the canvas has them; and the buffer swap.
void web_gl_pixel_ratio(double ratio);
void web_gl_swap();

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
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glClear(GLbitfield mask);
}
