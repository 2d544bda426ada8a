#pragma once

// The main window's beat lights as the step engine drives them: the accent light `Image5` and
// the pair of alternating beat lights `imz` and `Image4`. The main window implements it; the
// engine calls it on the UI thread when a step's click leaves the speakers. Setting a light to
// the state it has changes nothing on the screen.
class BeatLights
{
public:
    virtual ~BeatLights() = default;

    virtual void setImage5Visible(bool visible) = 0;
    virtual void setImzVisible(bool visible) = 0;
    virtual void setImage4Visible(bool visible) = 0;
    virtual bool imzVisible() const = 0;
};

// What the three lights show, worked out before any of them is set: when several lit steps come
// due at once (the display shows one state a frame, and a held-up UI thread catches up), each
// light is set once, to the state the latest step leaves it in.
struct ShownLights
{
    bool Image5 = false;
    bool imz = false;
    bool Image4 = false;

    // The lights as `lights` shows them before the steps: only `imz` decides what they show
    // after one.
    static ShownLights before(const BeatLights& lights);

    // An up beat or accent step: Image5 lit alone.
    void accent();
    // A down beat step: Image5 out, then zeleno.
    void downBeat();
    // Alternates the two beat lights: `imz` goes out and `Image4` lights, or the other way round
    // (also when both are out, as after an accent: then `imz` lights).
    void zeleno();

    // Sets the lights to this state in the order Image5, imz, Image4.
    void showOn(BeatLights& lights) const;
};
