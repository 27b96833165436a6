// Display setup against a real OpenGL context on a private X server.
#include <gmock/gmock.h>

#include <GL/gl.h>
#include <SDL.h>

#include <cmath>

#include "app/display.h"
#include "app/view_state.h"
#include "expect.h"
#include "xvfb.h"

namespace {

TEST(InitDisplay, LeavesTheStateTheRendererExpects)
{
    TURNFAN_SKIP_IF(missing_tool("Xvfb"));
    XvfbServer server;
    ASSERT_TRUE(server.ok());
    server.export_display();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();

    // Zero at load: the identity must come from display setup.
    ASSERT_THAT(view.scene_rotation, testing::Each(0.0f));
    init_display();
    EXPECT_THAT(view.scene_rotation, testing::ElementsAre(0.0f, 0.0f, 0.0f, 1.0f));

    const SDL_Surface* screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(std::make_pair(screen->w, screen->h), std::make_pair(640, 480));
    EXPECT_TRUE(screen->flags & SDL_OPENGL);
    EXPECT_FALSE(screen->flags & (SDL_FULLSCREEN | SDL_RESIZABLE));
    int value = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &value);
    EXPECT_EQ(value, 1);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &value);
    EXPECT_GE(value, 16);

    GLint viewport[4], mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_THAT(viewport, testing::ElementsAre(0, 0, 640, 480));
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);

    // The perspective of a 60-degree field of view at aspect 4:3 (not 1), planes 1 and 1024.
    const double f = 1.0 / std::tan(30.0 * M_PI / 180.0);
    const double expected[16] = {
        f / (4.0 / 3.0), 0, 0, 0, 0, f, 0, 0, 0, 0, -1025.0 / 1023.0, -1, 0, 0, -2048.0 / 1023.0, 0};
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_THAT(projection, testing::Pointwise(testing::DoubleNear(1e-6), expected));

    // Depth test on; culling and lighting off, so that the shading, the front face
    // and the material set here change no pixel (the pictures show the black clear).
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    SDL_Quit();
}

} // namespace
