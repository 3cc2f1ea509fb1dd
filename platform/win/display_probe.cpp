// The display probe over SDL's video subsystem.
#include "platform/win/display_probe.h"

#include <SDL.h>

bool DisplayAvailable()
{
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}
