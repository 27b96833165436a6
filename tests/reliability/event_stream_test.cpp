// A million seeded random events of every kind through SDL's queue, the
// dispatcher and the real handlers, with frames drawn between them, checking
// the invariants of StreamChecker after every event and every frame.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "app/events.h"
#include "promises.h"
#include "stream_checker.h"

namespace {

constexpr long EVENT_COUNT = 1000000;
constexpr unsigned SEED = 20240607;
constexpr int MOST_EVENTS_PER_FRAME = 7;

// The keys that do something, their neighbours that must not, and Esc (fed
// only as a release).
constexpr SDLKey NOTABLE_KEYS[] = {SDLK_a, SDLK_d, SDLK_e, SDLK_q, SDLK_w, SDLK_s, SDLK_m, SDLK_r, SDLK_LSHIFT,
    SDLK_LCTRL, SDLK_RSHIFT, SDLK_RCTRL, SDLK_LALT, SDLK_RALT, SDLK_LMETA, SDLK_CAPSLOCK, SDLK_ESCAPE};

class RandomEvents {
public:
    explicit RandomEvents(unsigned seed)
        : rng_(seed)
    {
    }

    // Any event but SDL_QUIT and an Esc press, which end the process. Every
    // field is random; those the program reads lie in the ranges SDL delivers.
    SDL_Event next()
    {
        SDL_Event e;
        auto* bytes = reinterpret_cast<unsigned char*>(&e);
        for (size_t i = 0; i < sizeof e; ++i)
            bytes[i] = static_cast<unsigned char>(rng_());
        e.type = static_cast<Uint8>(types_(rng_));
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            do
                e.key.keysym.sym = any_key();
            while (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE);
            e.key.keysym.mod = static_cast<SDLMod>(rng_() & 0xFFFF);
            break;
        case SDL_MOUSEMOTION:
            position(&e.motion.x, &e.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            position(&e.button.x, &e.button.y);
            break;
        default:
            break;
        }
        return e;
    }

    int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

private:
    SDLKey any_key()
    {
        if (rng_() % 2)
            return NOTABLE_KEYS[below(sizeof NOTABLE_KEYS / sizeof NOTABLE_KEYS[0])];
        return static_cast<SDLKey>(below(SDLK_LAST)); // named and unnamed alike
    }

    // Anywhere in the window, now and then anywhere a 16-bit field can say.
    void position(Uint16* x, Uint16* y)
    {
        const bool outside = below(100) == 0;
        *x = static_cast<Uint16>(outside ? rng_() : static_cast<unsigned>(below(WINDOW_WIDTH)));
        *y = static_cast<Uint16>(outside ? rng_() : static_cast<unsigned>(below(WINDOW_HEIGHT)));
    }

    // Weights by type: mostly input, every other type (quit aside) now and then.
    static std::discrete_distribution<int> type_weights()
    {
        std::vector<double> w(SDL_NUMEVENTS, 1.0);
        w[SDL_QUIT] = 0.0;
        w[SDL_MOUSEMOTION] = 30.0;
        w[SDL_KEYDOWN] = 15.0;
        w[SDL_KEYUP] = 15.0;
        w[SDL_MOUSEBUTTONDOWN] = 6.0;
        w[SDL_MOUSEBUTTONUP] = 6.0;
        w[SDL_ACTIVEEVENT] = 6.0;
        return std::discrete_distribution<int>(w.begin(), w.end());
    }

    std::mt19937 rng_;
    std::discrete_distribution<int> types_ = type_weights();
};

TEST(EventStream, AMillionRandomEventsKeepEveryInvariant)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_SetEventFilter(accept_all_events);

    StreamChecker checker;
    RandomEvents events(SEED);
    // As the main loop: a drain of a few events, then a frame.
    while (checker.events() < EVENT_COUNT) {
        for (int n = events.below(MOST_EVENTS_PER_FRAME + 1); n > 0; --n) {
            std::string error = checker.feed(events.next());
            ASSERT_EQ(error, "") << "at event " << checker.events();
        }
        std::string error = checker.frame();
        ASSERT_EQ(error, "") << "at frame " << checker.frames();
    }
    SDL_Quit();

    std::printf("checked %ld events and %ld frames (%ld matrices handed to GL)\n", checker.events(), checker.frames(),
        checker.matrices());
    std::printf("scene_rotation: |length - 1| at most %.3g; at most %ld rotating steps between renormalisations\n",
        checker.worst_norm_error(), checker.longest_unnormalised_run());
}

} // namespace
