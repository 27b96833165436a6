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
#include "input_rules.h"
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

// What the dispatch rules make of each event, as the stand-ins record it.
std::string handed_on(Dispatched d, const SDL_Event& e)
{
    switch (d) {
    case Dispatched::KEY:
    case Dispatched::MOTION:
        return call_of(e);
    case Dispatched::FRAME:
        return "frame";
    default:
        return "";
    }
}

// Every queue is drained at once; the calls in order and the view after it are
// what the dispatch rules say. A regained activation draws in the middle of the
// drain, before what is queued behind it.
TEST_F(Dispatch, EveryQueueFollowsTheDispatchRules)
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
        size_t calls;
    } rows[] = {
        {"an empty queue", {}, 0},
        {"key press and release",
            {key_event(SDL_KEYDOWN, SDLK_a), key_event(SDL_KEYUP, SDLK_a), key_event(SDL_KEYUP, SDLK_LSHIFT)}, 3},
        {"regained activation",
            {key_event(SDL_KEYDOWN, SDLK_w), active(1, SDL_APPACTIVE), key_event(SDL_KEYDOWN, SDLK_e)}, 3},
        {"lost activation, focus alone",
            {active(0, SDL_APPACTIVE), active(1, SDL_APPMOUSEFOCUS), active(1, SDL_APPINPUTFOCUS),
                active(1, SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS), active(0, SDL_APPACTIVE | SDL_APPINPUTFOCUS),
                active(1, SDL_APPACTIVE | SDL_APPINPUTFOCUS)},
            1},
        // The release stores nothing: the press position stays.
        {"motion only while a button is down",
            {motion_event(5, 6), button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 600, 470), motion_event(601, 471),
                button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 601, 471), motion_event(602, 472)},
            1},
        // A release lost in SDL's full queue: motion with no button held ends the drag.
        {"motion with no button held",
            {button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20), motion_event(11, 21, 0), motion_event(12, 22)}, 0},
        // Releasing either button ends the drag although the other is still held.
        {"every button, the latest press wins",
            {button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20),
                button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 639, 479)},
            0},
        {"either release ends the drag",
            {button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20),
                button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 639, 479),
                button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 639, 479), motion_event(100, 100)},
            0},
        {"coordinates unsigned", {button(SDL_MOUSEBUTTONDOWN, 7, 65535, 40000)}, 0},
        {"other event types", other_types, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        calls.clear();
        view = ViewState();
        ViewState expected = view;
        std::vector<std::string> expected_calls;
        for (const SDL_Event& e : row.events) {
            push(e);
            const std::string call = handed_on(apply_dispatch_rule(expected, e), e);
            if (!call.empty())
                expected_calls.push_back(call);
        }
        process_events();
        EXPECT_EQ(calls, expected_calls);
        EXPECT_EQ(calls.size(), row.calls);
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
