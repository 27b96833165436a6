// A recording OpenGL layer in place of libGL's: each call kept with its arguments,
// and the modelview stack followed in double to give each vertex in eye coordinates.
#pragma once

#include <string>
#include <vector>

#include "rotation.h"

struct GlCall {
    std::string name;         // "glVertex3f", "SDL_GL_SwapBuffers", ...
    std::vector<double> args; // every argument, floats and enumerants alike (exact in double)
};

// What a vertex is drawn with: colour, line width, glBegin's primitive and the polygon mode.
struct Attributes {
    double red, green, blue, line_width;
    unsigned primitive, polygon_mode;
};

// Every call since the last reset; each glVertex3f, carried through the modelview
// matrix current at that call, and its attributes.
struct Recording {
    std::vector<GlCall> calls;
    std::vector<Point> vertices;
    std::vector<Attributes> attributes;
};

// Forgets every call and vertex, sets the followed modelview stack to the identity
// and the attributes to OpenGL's initial ones.
void recorder_reset();
const Recording& recorded();

// Names of every function the layer defines.
extern const std::vector<std::string> RECORDED_FUNCTIONS;
