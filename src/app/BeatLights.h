#pragma once

// The main window's beat lights as the step engine drives them: the accent light `Image5` and
// the pair of alternating beat lights `imz` and `Image4`. The main window implements it; the
// engine calls it on the UI thread when a step's click leaves the speakers.
class BeatLights
{
public:
    virtual ~BeatLights() = default;

    virtual void setImage5Visible(bool visible) = 0;
    virtual void setImzVisible(bool visible) = 0;
    virtual void setImage4Visible(bool visible) = 0;
    virtual bool imzVisible() const = 0;
};

// Alternates the two beat lights: `imz` goes out and `Image4` lights, or the other way round
// (also when both are out, as after an accent: then `imz` lights).
void zeleno(BeatLights& lights);
