#include "render/frame.h"

#include <GL/gl.h>
#include <SDL.h>

#include "app/view_state.h"
#include "math/quat.h"
#include "render/rect.h"

namespace {

constexpr double EYE_DISTANCE = 5.0; // scene units from the eye to the scene origin at offset_z 0
constexpr float AXIS_LENGTH = 50.0f; // scene units
constexpr float FAN_ANGLES[] = {0.0f, 45.0f, 90.0f, -45.0f, -90.0f}; // degrees, the extra_y of each rectangle

} // namespace

void draw_frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Translation before rotation: the trackball turns the scene about its own
    // origin, and the offsets move it along the eye's axes.
    glTranslatef(view.offset_x, view.offset_y, static_cast<float>(static_cast<double>(view.offset_z) - EYE_DISTANCE));
    glPushMatrix();
    Mat4 rotation;
    quat_to_matrix(rotation, view.scene_rotation);
    glMultMatrixf(rotation);

    draw_axes();
    // The unturned rectangle stands out with a thicker outline.
    glLineWidth(2.0f);
    draw_oriented_rect(0.0f, 0.0f, FAN_ANGLES[0]);
    glLineWidth(1.0f);
    for (int i = 1; i < 5; ++i)
        draw_oriented_rect(0.0f, 0.0f, FAN_ANGLES[i]);

    glPopMatrix();
    SDL_GL_SwapBuffers();
}

void draw_axes()
{
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(AXIS_LENGTH, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, AXIS_LENGTH, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, AXIS_LENGTH);
    glEnd();
    glFlush();
}
