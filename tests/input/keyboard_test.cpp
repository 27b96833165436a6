// Keyboard commands, driven with real SDL key events.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "input_events.h"

namespace {

// A drag that turns the scene leaves the offsets alone and changes the rotation.
void expect_drag_rotates()
{
    const ViewState before = view;
    start_drag(320, 240);
    move_to(400, 200);
    EXPECT_EQ(view.offset_x, before.offset_x);
    EXPECT_EQ(view.offset_y, before.offset_y);
    EXPECT_EQ(view.offset_z, before.offset_z);
    EXPECT_NE(view.scene_rotation[1], before.scene_rotation[1]);
}

// A drag of 64 pixels across pans by 0.6.
void expect_drag_pans()
{
    start_drag(100, 100);
    move_to(164, 100);
    EXPECT_EQ(view.offset_x, 0.6f);
    EXPECT_EQ(view.offset_z, 0.0f);
}

// A drag of 48 pixels down moves 0.6 along z.
void expect_drag_moves_along_z()
{
    start_drag(100, 100);
    move_to(100, 148);
    EXPECT_EQ(view.offset_z, 0.6f);
    EXPECT_EQ(view.offset_x, 0.0f);
}

} // namespace

TEST(HandleKey, EachLetterStepsItsOwnAngleByOneDegree)
{
    struct Case {
        SDLKey sym;
        float ViewState::*angle;
        float change;
    };
    const Case cases[] = {
        {SDLK_e, &ViewState::angle_z, 1.0f},
        {SDLK_q, &ViewState::angle_z, -1.0f},
        {SDLK_w, &ViewState::angle_x, 1.0f},
        {SDLK_s, &ViewState::angle_x, -1.0f},
        {SDLK_d, &ViewState::angle_y, 1.0f},
        {SDLK_a, &ViewState::angle_y, -1.0f},
    };
    for (const Case& c : cases) {
        reset_view();
        view.angle_z = 10.0f;
        view.angle_x = 20.0f;
        view.angle_y = 30.0f;
        ViewState expected = view;
        expected.*c.angle += c.change;
        press(c.sym);
        EXPECT_TRUE(same_view(view, expected)) << "key " << c.sym;
    }
}

TEST(HandleKey, AnglesAreNeverWrapped)
{
    reset_view();
    for (int i = 0; i < 360; ++i)
        press(SDLK_e);
    EXPECT_EQ(view.angle_z, 360.0f);
    press(SDLK_q);
    EXPECT_EQ(view.angle_z, 359.0f);

    for (int i = 0; i < 400; ++i)
        press(SDLK_s);
    EXPECT_EQ(view.angle_x, -400.0f);
}

TEST(HandleKey, OppositeKeysCancel)
{
    reset_view();
    view.angle_z = 12.25f;
    press(SDLK_e);
    press(SDLK_q);
    EXPECT_EQ(view.angle_z, 12.25f);
}

TEST(HandleKey, ReleasingCommandKeysDoesNothing)
{
    // Esc among them: its release must not end the process.
    const SDLKey keys[] = {SDLK_ESCAPE, SDLK_a, SDLK_d, SDLK_e, SDLK_m, SDLK_q, SDLK_r, SDLK_s, SDLK_w};
    reset_view();
    view.angle_z = 3.0f;
    view.angle_x = -4.0f;
    view.angle_y = 5.0f;
    const ViewState before = view;
    for (SDLKey sym : keys) {
        release(sym);
        EXPECT_TRUE(same_view(view, before)) << "key " << sym;
    }
}

TEST(HandleKey, MTogglesTheModeAndKeepsTheAngles)
{
    reset_view();
    press(SDLK_w);
    press(SDLK_d);
    press(SDLK_q);
    const ViewState before = view;
    press(SDLK_m);
    EXPECT_TRUE(view.quaternion_mode);
    EXPECT_EQ(view.angle_x, 1.0f);
    EXPECT_EQ(view.angle_y, 1.0f);
    EXPECT_EQ(view.angle_z, -1.0f);
    press(SDLK_m);
    EXPECT_TRUE(same_view(view, before));
}

TEST(HandleKey, ROnlyZeroesTheAngles)
{
    reset_view();
    press(SDLK_w);
    press(SDLK_a);
    press(SDLK_e);
    press(SDLK_m);
    press(SDLK_LSHIFT);
    start_drag(100, 100);
    move_to(100, 160);
    release(SDLK_LSHIFT);
    press(SDLK_LCTRL);
    start_drag(100, 100);
    move_to(180, 40);
    release(SDLK_LCTRL);
    start_drag(320, 240);
    move_to(380, 200);
    ASSERT_NE(view.offset_x, 0.0f);
    ASSERT_NE(view.offset_y, 0.0f);
    ASSERT_NE(view.offset_z, 0.0f);
    ASSERT_NE(view.scene_rotation[3], 1.0f);

    ViewState expected = view;
    expected.angle_z = 0.0f;
    expected.angle_x = 0.0f;
    expected.angle_y = 0.0f;
    press(SDLK_r);
    EXPECT_TRUE(same_view(view, expected));
}

TEST(HandleKey, LetterIsKnownByItsSymbolAlone)
{
    reset_view();
    press(SDLK_LSHIFT);
    EXPECT_TRUE(view.shift_held);
    // Shift and Caps Lock down, a capital typed, and scancode and state bytes
    // that contradict the type: only the type and the symbol count.
    SDL_Event capital = key_event(SDL_KEYDOWN, SDLK_a, static_cast<SDLMod>(KMOD_LSHIFT | KMOD_CAPS), 'A');
    capital.key.state = SDL_RELEASED;
    capital.key.keysym.scancode = 200;
    handle_key(&capital);
    EXPECT_EQ(view.angle_y, -1.0f);
    EXPECT_TRUE(view.shift_held);

    press(SDLK_LCTRL);
    SDL_Event control = key_event(SDL_KEYDOWN, SDLK_e, KMOD_LCTRL, 5);
    handle_key(&control);
    EXPECT_EQ(view.angle_z, 1.0f);
    EXPECT_TRUE(view.ctrl_held);
}

TEST(HandleKey, UnlistedKeysChangeNothing)
{
    const SDLKey keys[] = {SDLK_b, SDLK_z, SDLK_SPACE, SDLK_RETURN, SDLK_UP, SDLK_CAPSLOCK, SDLK_F1, SDLK_KP_PLUS,
        SDLK_1, SDLK_LALT, SDLK_RALT, SDLK_LMETA, SDLK_LSUPER, SDLK_MODE, SDLK_RSHIFT, SDLK_RCTRL, SDLK_TAB,
        SDLK_BACKSPACE};
    reset_view();
    view.angle_z = 7.0f;
    view.shift_held = true;
    const ViewState before = view;
    for (SDLKey sym : keys) {
        press(sym);
        EXPECT_TRUE(same_view(view, before)) << "press of " << sym;
        release(sym);
        EXPECT_TRUE(same_view(view, before)) << "release of " << sym;
    }
}

TEST(HandleKeyModifiers, EachLeftModifierSetsAndClearsItsFlag)
{
    reset_view();
    press(SDLK_LSHIFT);
    EXPECT_TRUE(view.shift_held);
    EXPECT_FALSE(view.ctrl_held);
    release(SDLK_LSHIFT, KMOD_LSHIFT);
    EXPECT_FALSE(view.shift_held);

    press(SDLK_LCTRL);
    EXPECT_TRUE(view.ctrl_held);
    EXPECT_FALSE(view.shift_held);
    release(SDLK_LCTRL, KMOD_LCTRL);
    EXPECT_FALSE(view.ctrl_held);
}

// Both left modifiers pressed, one released: the one pressed last wins, and
// releasing either clears its own flag only.
TEST(HandleKeyModifiers, OrdersOfTwoPressesAndARelease)
{
    struct Case {
        const char* what;
        SDLKey first, second, released;
        bool shift_held, ctrl_held; // after the release
        void (*then)();             // what a drag does after it
    };
    const Case cases[] = {
        // Shift is still down, but its flag is not brought back.
        {"shift, ctrl, release ctrl", SDLK_LSHIFT, SDLK_LCTRL, SDLK_LCTRL, false, false, expect_drag_rotates},
        {"ctrl, shift, release shift", SDLK_LCTRL, SDLK_LSHIFT, SDLK_LSHIFT, false, false, expect_drag_rotates},
        {"shift, ctrl, release shift", SDLK_LSHIFT, SDLK_LCTRL, SDLK_LSHIFT, false, true, expect_drag_pans},
        {"ctrl, shift, release ctrl", SDLK_LCTRL, SDLK_LSHIFT, SDLK_LCTRL, true, false, expect_drag_moves_along_z},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reset_view();
        press(c.first);
        press(c.second);
        EXPECT_EQ(view.shift_held, c.second == SDLK_LSHIFT);
        EXPECT_EQ(view.ctrl_held, c.second == SDLK_LCTRL);
        release(c.released);
        EXPECT_EQ(view.shift_held, c.shift_held);
        EXPECT_EQ(view.ctrl_held, c.ctrl_held);
        c.then();
    }
}

TEST(HandleKeyModifiers, RightModifiersAreIgnored)
{
    reset_view();
    press(SDLK_RSHIFT);
    press(SDLK_RCTRL);
    EXPECT_FALSE(view.shift_held);
    EXPECT_FALSE(view.ctrl_held);
    expect_drag_rotates();

    // Nor do they clear a left modifier's flag.
    press(SDLK_LSHIFT);
    press(SDLK_RCTRL);
    release(SDLK_RSHIFT);
    EXPECT_TRUE(view.shift_held);
    press(SDLK_LCTRL);
    release(SDLK_RCTRL);
    EXPECT_TRUE(view.ctrl_held);
}

TEST(HandleKeyDeathTest, EscQuitsAtOnceWithStatusZeroAndPrintsNothing)
{
    // Standard output goes to the captured standard error, so "^$" checks both.
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            reset_view();
            press(SDLK_ESCAPE);
            std::fprintf(stderr, "handle_key returned\n");
            std::exit(2);
        },
        testing::ExitedWithCode(0), "^$");
}
