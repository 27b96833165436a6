#include "render/rect.h"

#include <GL/gl.h>

#include "app/view_state.h"
#include "math/quat.h"
#include "math/vec3.h"

namespace {

// Formed from 3.141592, not from pi, on purpose: slightly smaller than pi / 180,
// and every quaternion-mode picture depends on these bits. Do not "fix" it.
constexpr double DEG_TO_RAD = 3.141592 / 180.0; // radians per degree
static_assert(DEG_TO_RAD == 0.01745328888888889, "DEG_TO_RAD comes from 3.141592");
constexpr float RECT_HALF_WIDTH = 0.41f;    // scene units
constexpr float RECT_HALF_HEIGHT = 0.3075f; // 0.75 * 0.41: a 4:3 rectangle
constexpr float RECT_PLANE_Z = -1.0f;       // one unit in front of the current origin

// A quaternion's matrix turns by -angle about its axis, so these point opposite
// to the glRotatef axes of the fixed-axis chain.
constexpr Vec3 rect_axis_z = {0.0f, 0.0f, 1.0f};
constexpr Vec3 rect_axis_x = {-1.0f, 0.0f, 0.0f};
constexpr Vec3 rect_axis_y = {0.0f, 1.0f, 0.0f};

// quat_from_axis_angle normalises its axis in place: hand it a copy so the
// constant axes can never drift.
void turn_about(const float* axis, float degrees, float* q)
{
    Vec3 unit;
    vec3_copy(axis, unit);
    quat_from_axis_angle(unit, static_cast<float>(static_cast<double>(degrees) * DEG_TO_RAD), q);
}

} // namespace

void draw_oriented_rect(float extra_z, float extra_x, float extra_y)
{
    glPushMatrix();
    float blue;
    if (view.quaternion_mode) {
        Quat turn_z, turn_x, turn_y, extra_turn_z, extra_turn_x, extra_turn_y, orientation;
        turn_about(rect_axis_z, view.angle_z, turn_z);
        turn_about(rect_axis_x, view.angle_x, turn_x);
        turn_about(rect_axis_y, view.angle_y, turn_y);
        turn_about(rect_axis_z, extra_z, extra_turn_z);
        turn_about(rect_axis_x, extra_x, extra_turn_x);
        turn_about(rect_axis_y, extra_y, extra_turn_y);
        quat_compose(turn_z, extra_turn_z, turn_z);
        quat_compose(turn_x, extra_turn_x, turn_x);
        quat_compose(turn_y, turn_x, orientation);
        quat_compose(orientation, turn_z, orientation);
        // extra_y enters last: the fan is spread first, then turned as one piece.
        quat_compose(orientation, extra_turn_y, orientation);
        Mat4 matrix;
        quat_to_matrix(matrix, orientation);
        glMultMatrixf(matrix);
        blue = 0.0f;
    } else {
        // extra_y joins angle_y in the outermost turn: the fan spreads about the scene's vertical.
        glRotatef(view.angle_y + extra_y, 0.0f, -1.0f, 0.0f);
        glRotatef(view.angle_x + extra_x, 1.0f, 0.0f, 0.0f);
        glRotatef(view.angle_z + extra_z, 0.0f, 0.0f, -1.0f);
        blue = 1.0f;
    }
    glColor3f(1.0f, 1.0f, blue);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glBegin(GL_QUADS);
    glVertex3f(RECT_HALF_WIDTH, RECT_HALF_HEIGHT, RECT_PLANE_Z);
    glVertex3f(-RECT_HALF_WIDTH, RECT_HALF_HEIGHT, RECT_PLANE_Z);
    glVertex3f(-RECT_HALF_WIDTH, -RECT_HALF_HEIGHT, RECT_PLANE_Z);
    glVertex3f(RECT_HALF_WIDTH, -RECT_HALF_HEIGHT, RECT_PLANE_Z);
    glEnd();
    glFlush();
    glPopMatrix();
}
