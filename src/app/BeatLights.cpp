#include "app/BeatLights.h"

ShownLights ShownLights::before(const BeatLights& lights)
{
    return { false, lights.imzVisible(), false };
}

void ShownLights::accent()
{
    Image5 = true;
    imz = false;
    Image4 = false;
}

void ShownLights::downBeat()
{
    Image5 = false;
    zeleno();
}

void ShownLights::zeleno()
{
    const bool imzWasLit = imz;
    imz = !imzWasLit;
    Image4 = imzWasLit;
}

void ShownLights::showOn(BeatLights& lights) const
{
    lights.setImage5Visible(Image5);
    lights.setImzVisible(imz);
    lights.setImage4Visible(Image4);
}
