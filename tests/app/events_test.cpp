// Event dispatch with real SDL events in SDL's own queue (dummy video driver).
#include <gtest/gtest.h>
#include <unistd.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "app/events.h"
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
    }
    void TearDown() override { SDL_Quit(); }
};

SDL_Event of_type(Uint8 type)
{
    SDL_Event e = {};
    e.type = type;
    return e;
}

SDL_Event active(Uint8 gain, Uint8 state)
{
    SDL_Event e = {};
    e.active = {SDL_ACTIVEEVENT, gain, state};
    return e;
}

constexpr Uint8 PRESS = SDL_MOUSEBUTTONDOWN, RELEASE = SDL_MOUSEBUTTONUP;

SDL_Event button(Uint8 type, Uint8 which, Uint16 x, Uint16 y)
{
    SDL_Event e = {};
    e.button = {type, 0, which, 0, x, y};
    return e;
}

// Every queue is drained at once: each row names the calls in order and where the
// drag stands after it; nothing else of the view may change. A regained activation
// draws in the middle of the drain, before what is queued behind it.
TEST_F(Dispatch, EachQueueEndsAsItSays)
{
    SDL_SysWMmsg wm_message = {}; // SDL's queue copies the message a window-manager event points to
    std::vector<SDL_Event> other_types;
    for (int t : std::initializer_list<int>{SDL_NOEVENT, SDL_JOYAXISMOTION, SDL_JOYBALLMOTION, SDL_JOYHATMOTION,
             SDL_JOYBUTTONDOWN, SDL_JOYBUTTONUP, SDL_SYSWMEVENT, SDL_EVENT_RESERVEDA, SDL_EVENT_RESERVEDB,
             SDL_VIDEORESIZE, SDL_VIDEOEXPOSE, SDL_EVENT_RESERVED2, SDL_USEREVENT, SDL_USEREVENT + 5,
             SDL_NUMEVENTS - 1}) {
        SDL_Event e = of_type(static_cast<Uint8>(t));
        if (t == SDL_SYSWMEVENT)
            e.syswm.msg = &wm_message;
        else
            e.resize.w = e.resize.h = 10; // a resize must not touch the window size
        other_types.push_back(e);
    }

    const struct {
        const char* what;
        std::vector<SDL_Event> events;
        std::vector<std::string> calls;
        bool button_down;
        int last_x, last_y;
    } rows[] = {
        {"an empty queue", {}, {}, false, 0, 0},
        {"key press and release",
            {key_event(SDL_KEYDOWN, SDLK_a), key_event(SDL_KEYUP, SDLK_a), key_event(SDL_KEYUP, SDLK_LSHIFT)},
            {"key down 97", "key up 97", "key up 304"}, false, 0, 0},
        {"regained activation",
            {key_event(SDL_KEYDOWN, SDLK_w), active(1, SDL_APPACTIVE), key_event(SDL_KEYDOWN, SDLK_e)},
            {"key down 119", "frame", "key down 101"}, false, 0, 0},
        {"lost activation, focus alone",
            {active(0, SDL_APPACTIVE), active(1, SDL_APPMOUSEFOCUS), active(1, SDL_APPINPUTFOCUS),
                active(1, SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS), active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS),
                active(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS)},
            {"frame"}, false, 0, 0},
        // The release stores nothing: the press position stays.
        {"motion only while a button is down",
            {motion_event(5, 6), button(PRESS, SDL_BUTTON_RIGHT, 600, 470), motion_event(601, 471),
                button(RELEASE, SDL_BUTTON_RIGHT, 601, 471), motion_event(602, 472)},
            {"motion 601 471"}, false, 600, 470},
        // A release lost in SDL's full queue: motion with no button held ends the drag.
        {"motion with no button held",
            {button(PRESS, SDL_BUTTON_LEFT, 10, 20), motion_event(11, 21, 0), motion_event(12, 22)}, {}, false, 10, 20},
        {"every button, the latest press wins",
            {button(PRESS, SDL_BUTTON_LEFT, 10, 20), button(PRESS, SDL_BUTTON_MIDDLE, 639, 479)}, {}, true, 639, 479},
        // Releasing either button ends the drag although the other is still held.
        {"either release ends the drag",
            {button(PRESS, SDL_BUTTON_LEFT, 10, 20), button(PRESS, SDL_BUTTON_MIDDLE, 639, 479),
                button(RELEASE, SDL_BUTTON_LEFT, 639, 479), motion_event(100, 100)},
            {}, false, 639, 479},
        {"coordinates unsigned", {button(PRESS, 7, 65535, 40000)}, {}, true, 65535, 40000},
        {"other event types", other_types, {}, false, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        calls.clear();
        view = ViewState();
        ViewState expected = view;
        for (SDL_Event e : row.events)
            ASSERT_EQ(SDL_PushEvent(&e), 0);
        {
            MustNotExit carry_on;
            process_events();
        }
        EXPECT_EQ(calls, row.calls);
        std::tie(expected.button_down, expected.last_mouse_x, expected.last_mouse_y) =
            std::tie(row.button_down, row.last_x, row.last_y);
        EXPECT_TRUE(same_view(view, expected));
    }
}

// Standard output goes to the captured standard error, so the pattern sees
// all the child prints: the key queued behind the quit is never handled.
TEST_F(Dispatch, QuitPrintsAndEndsWithStatusZeroLeavingTheRestQueued)
{
    EXPECT_EXIT(
        {
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);
            for (SDL_Event e : {of_type(SDL_QUIT), key_event(SDL_KEYDOWN, SDLK_e)})
                ASSERT_EQ(SDL_PushEvent(&e), 0);
            print_calls = true;
            process_events();
        },
        testing::ExitedWithCode(0), "^Quit requested, quitting\\.\n$");
}

// Installed, the filter lets in what SDL itself queues: a warp of the pointer
// queues a motion. (Pushed events, as above, pass no filter.)
TEST_F(Dispatch, TheFilterLetsSdlsOwnEventsIn)
{
    ASSERT_NE(SDL_SetVideoMode(64, 48, 0, 0), nullptr) << SDL_GetError();
    SDL_Event e;
    while (SDL_PollEvent(&e)) { }
    SDL_WarpMouse(3, 4);
    ASSERT_EQ(SDL_PollEvent(&e), 1);
    EXPECT_EQ(e.type, SDL_MOUSEMOTION);
    EXPECT_EQ(e.motion.x, 3);
    EXPECT_EQ(e.motion.y, 4);
}

} // namespace
