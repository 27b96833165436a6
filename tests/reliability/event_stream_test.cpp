// A million seeded random events of every kind through SDL's queue, the dispatcher and the real handlers, with frames
// drawn between them, checking the invariants of StreamChecker after every event and every frame.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <vector>

#include "promises.h"
#include "stream_checker.h"

namespace {

constexpr long EVENT_COUNT = 1000000;
constexpr unsigned SEED = 20240607;
constexpr int MOST_EVENTS_PER_FRAME = 7;

// The keys that do something, their neighbours that must not, and Esc (fed only as a release).
constexpr SDLKey NOTABLE_KEYS[] = {SDLK_a, SDLK_d, SDLK_e, SDLK_q, SDLK_w, SDLK_s, SDLK_m, SDLK_r, SDLK_LSHIFT,
    SDLK_LCTRL, SDLK_RSHIFT, SDLK_RCTRL, SDLK_LALT, SDLK_RALT, SDLK_LMETA, SDLK_CAPSLOCK, SDLK_ESCAPE};

// Any event but SDL_QUIT and an Esc press, which end the process, mostly input. Every field is random; those the
// program reads lie in the ranges SDL delivers: a key of SDL's, now and then a notable one; a position in the window,
// now and then anywhere a 16-bit field can say.
SDL_Event random_event(std::mt19937& rng)
{
    static std::discrete_distribution<int> types = [] {
        std::vector<double> w(SDL_NUMEVENTS, 1.0);
        w[SDL_QUIT] = 0.0;
        w[SDL_MOUSEMOTION] = 30.0;
        w[SDL_KEYDOWN] = w[SDL_KEYUP] = 15.0;
        w[SDL_MOUSEBUTTONDOWN] = w[SDL_MOUSEBUTTONUP] = w[SDL_ACTIVEEVENT] = 6.0;
        return std::discrete_distribution<int>(w.begin(), w.end());
    }();
    const auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto position = [&](Uint16* x, Uint16* y) {
        const bool outside = below(100) == 0;
        *x = static_cast<Uint16>(outside ? rng() : static_cast<unsigned>(below(WINDOW_WIDTH)));
        *y = static_cast<Uint16>(outside ? rng() : static_cast<unsigned>(below(WINDOW_HEIGHT)));
    };
    SDL_Event e;
    std::generate_n(reinterpret_cast<unsigned char*>(&e), sizeof e, [&] { return static_cast<unsigned char>(rng()); });
    e.type = static_cast<Uint8>(types(rng));
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
        do
            e.key.keysym.sym = rng() % 2 ? NOTABLE_KEYS[below(std::size(NOTABLE_KEYS))]
                                         : static_cast<SDLKey>(below(SDLK_LAST)); // named and unnamed alike
        while (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE);
        e.key.keysym.mod = static_cast<SDLMod>(rng() & 0xFFFF);
    } else if (e.type == SDL_MOUSEMOTION) {
        position(&e.motion.x, &e.motion.y);
    } else if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) {
        position(&e.button.x, &e.button.y);
    }
    return e;
}

TEST(EventStream, AMillionRandomEventsKeepEveryInvariant)
{
    StreamChecker checker;
    std::mt19937 rng(SEED);
    // As the main loop: a drain of a few events, then a frame.
    while (checker.events() < EVENT_COUNT) {
        for (int n = static_cast<int>(rng() % (MOST_EVENTS_PER_FRAME + 1)); n > 0; --n)
            ASSERT_EQ(checker.feed(random_event(rng)), "") << "at event " << checker.events();
        ASSERT_EQ(checker.frame(), "") << "at frame " << checker.frames();
    }
    SDL_Quit();

    std::printf("checked %ld events and %ld frames\n", checker.events(), checker.frames());
}

} // namespace
