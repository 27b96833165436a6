// libFuzzer target: raw SDL_Event records through StreamChecker, with a frame
// after every fourth. Built only by clang (scripts/fuzz).
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "stream_checker.h"

namespace {

constexpr size_t EVENTS_PER_FRAME = 4;

void require(const std::string& error)
{
    if (!error.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", error.c_str());
        std::abort();
    }
}

// Bytes into an event SDL could deliver: its types end below SDL_NUMEVENTS, quit and an Esc press end the process, and
// the key symbol, an enum the program reads, stays among SDL's symbols. Every other field stays raw.
SDL_Event event_from(const uint8_t* bytes)
{
    SDL_Event e;
    std::memcpy(&e, bytes, sizeof e);
    e.type = static_cast<Uint8>(e.type % SDL_NUMEVENTS);
    if (e.type == SDL_QUIT)
        e.type = SDL_NOEVENT;
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
        uint32_t sym;
        std::memcpy(&sym, &e.key.keysym.sym, sizeof sym);
        sym %= SDLK_LAST;
        if (e.type == SDL_KEYDOWN && sym == SDLK_ESCAPE)
            sym = SDLK_UNKNOWN;
        e.key.keysym.sym = static_cast<SDLKey>(sym);
    }
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StreamChecker checker; // every input starts from the state after display setup
    for (size_t n = 0; (n + 1) * sizeof(SDL_Event) <= size; ++n) {
        require(checker.feed(event_from(data + n * sizeof(SDL_Event))));
        if (n % EVENTS_PER_FRAME == EVENTS_PER_FRAME - 1)
            require(checker.frame());
    }
    require(checker.frame());
    return 0;
}
