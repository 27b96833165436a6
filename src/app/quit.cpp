#include "app/quit.h"

#include <SDL.h>

#include <cstdlib>

void quit_program(int code)
{
    SDL_Quit();
    exit(code);
}
