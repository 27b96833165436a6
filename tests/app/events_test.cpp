// Event dispatch with real SDL events in SDL's own queue (dummy video driver).
#include <gtest/gtest.h>
#include <unistd.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <string>

#include "app/events.h"
#include "app/quit.h"
#include "app/view_state.h"
#include "input_events.h"
#include "standins.h"

namespace {

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_SetEventFilter(accept_all_events);
        calls.clear();
        view = ViewState();
    }
    void TearDown() override { SDL_Quit(); }
};

void push(SDL_Event e)
{
    ASSERT_EQ(SDL_PushEvent(&e), 0);
}

SDL_Event of_type(Uint8 type)
{
    SDL_Event e = {};
    e.type = type;
    return e;
}

SDL_Event active(Uint8 gain, Uint8 state)
{
    SDL_Event e = of_type(SDL_ACTIVEEVENT);
    e.active.gain = gain;
    e.active.state = state;
    return e;
}

SDL_Event button(Uint8 type, Uint8 which, Uint16 x, Uint16 y)
{
    SDL_Event e = of_type(type);
    e.button.button = which;
    e.button.x = x;
    e.button.y = y;
    return e;
}

TEST_F(Dispatch, EmptyQueueReturnsAtOnce)
{
    process_events();
    EXPECT_TRUE(calls.empty());
}

TEST_F(Dispatch, KeyPressAndReleaseBothReachTheKeyHandler)
{
    push(key_event(SDL_KEYDOWN, SDLK_a));
    push(key_event(SDL_KEYUP, SDLK_a));
    push(key_event(SDL_KEYUP, SDLK_LSHIFT));
    process_events();
    EXPECT_EQ(calls, (std::vector<std::string>{"key down 97", "key up 97", "key up 304"}));
}

// Regaining activation draws at once, in the middle of the drain; what is queued behind it follows.
TEST_F(Dispatch, RegainedActivationDrawsBeforeTheEventsBehindIt)
{
    push(key_event(SDL_KEYDOWN, SDLK_w));
    push(active(1, SDL_APPACTIVE));
    push(key_event(SDL_KEYDOWN, SDLK_e));
    process_events();
    EXPECT_EQ(calls, (std::vector<std::string>{"key down 119", "frame", "key down 101"}));
}

TEST_F(Dispatch, LosingActivationOrFocusAloneDrawsNothing)
{
    push(active(0, SDL_APPACTIVE));
    push(active(1, SDL_APPMOUSEFOCUS));
    push(active(1, SDL_APPINPUTFOCUS));
    push(active(1, SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS));
    push(active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS));
    process_events();
    EXPECT_TRUE(calls.empty());

    push(active(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS));
    process_events();
    EXPECT_EQ(calls, (std::vector<std::string>{"frame"}));
}

TEST_F(Dispatch, MotionReachesTheHandlerOnlyWhileAButtonIsDown)
{
    push(motion_event(5, 6)); // no button yet: dropped, position untouched
    process_events();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(view.last_mouse_x, 0);
    EXPECT_EQ(view.last_mouse_y, 0);

    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 600, 470));
    push(motion_event(601, 471));
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 601, 471));
    push(motion_event(602, 472));
    process_events();
    EXPECT_EQ(calls, (std::vector<std::string>{"motion 601 471"}));
    EXPECT_FALSE(view.button_down);
    // The release stores nothing: the press position stays until a handler moves it.
    EXPECT_EQ(view.last_mouse_x, 600);
    EXPECT_EQ(view.last_mouse_y, 470);

    // A release lost in SDL's full queue: motion with no button held ends the
    // drag in its place, and neither it nor later motion reaches the handler.
    calls.clear();
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
    push(motion_event(11, 21, 0));
    push(motion_event(12, 22));
    process_events();
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(view.button_down);
}

TEST_F(Dispatch, EveryButtonStartsADragAndTheLatestPressWins)
{
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
    process_events();
    EXPECT_TRUE(view.button_down);
    EXPECT_EQ(view.last_mouse_x, 10);
    EXPECT_EQ(view.last_mouse_y, 20);

    // A second button while the first is held overwrites the position.
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 639, 479));
    process_events();
    EXPECT_TRUE(view.button_down);
    EXPECT_EQ(view.last_mouse_x, 639);
    EXPECT_EQ(view.last_mouse_y, 479);

    // Releasing either ends the drag although the other is still held.
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 639, 479));
    push(motion_event(100, 100));
    process_events();
    EXPECT_FALSE(view.button_down);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Dispatch, CoordinatesAreTakenUnsigned)
{
    push(button(SDL_MOUSEBUTTONDOWN, 7, 65535, 40000));
    process_events();
    EXPECT_EQ(view.last_mouse_x, 65535);
    EXPECT_EQ(view.last_mouse_y, 40000);
}

TEST_F(Dispatch, OtherEventTypesChangeNothing)
{
    const Uint8 types[] = {SDL_NOEVENT, SDL_JOYAXISMOTION, SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_JOYBUTTONDOWN,
        SDL_JOYBUTTONUP, SDL_SYSWMEVENT, SDL_EVENT_RESERVEDA, SDL_EVENT_RESERVEDB, SDL_VIDEORESIZE, SDL_VIDEOEXPOSE,
        SDL_EVENT_RESERVED2, SDL_USEREVENT, SDL_USEREVENT + 5, SDL_NUMEVENTS - 1};
    SDL_SysWMmsg wm_message = {}; // SDL's queue copies the message a window-manager event points to
    for (Uint8 t : types) {
        SDL_Event e = of_type(t);
        if (t == SDL_SYSWMEVENT)
            e.syswm.msg = &wm_message;
        if (t == SDL_VIDEORESIZE) { // must not touch the window size
            e.resize.w = 10;
            e.resize.h = 10;
        }
        push(e);
    }
    process_events();
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(view.window_width, 640);
    EXPECT_EQ(view.window_height, 480);
    EXPECT_FALSE(view.button_down);
}

// Standard output goes to the captured standard error, so the pattern sees
// all the child prints: the key queued behind the quit is never handled.
TEST_F(Dispatch, QuitPrintsAndEndsWithStatusZeroLeavingTheRestQueued)
{
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            push(of_type(SDL_QUIT));
            push(key_event(SDL_KEYDOWN, SDLK_e));
            print_calls = true;
            process_events();
        },
        testing::ExitedWithCode(0), "^Quit requested, quitting\\.\n$");
}

TEST(AcceptAllEvents, AcceptsEveryEvent)
{
    SDL_Event e = {};
    for (int t = 0; t < SDL_NUMEVENTS; ++t) {
        e.type = static_cast<Uint8>(t);
        EXPECT_EQ(accept_all_events(&e), 1);
    }
}

TEST(QuitProgram, ExitsWithTheGivenStatus)
{
    EXPECT_EXIT(quit_program(0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(quit_program(1), ::testing::ExitedWithCode(1), "");
}

} // namespace
