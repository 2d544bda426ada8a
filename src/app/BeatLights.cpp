#include "app/BeatLights.h"

void zeleno(BeatLights& lights)
{
    const bool imzWasLit = lights.imzVisible();
    lights.setImzVisible(!imzWasLit);
    lights.setImage4Visible(imzWasLit);
}
