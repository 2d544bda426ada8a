#pragma once

#include <optional>

// The bounds of the master volume control, in the control's own steps (a desktop sound server
// typically offers 0 to 65536, a sound card's own mixer its hardware range).
struct MixerControl
{
    long minimum = 0;
    long maximum = 0;
};

// The system's master volume: the program's one connection to the mixer of the default sound
// card, opened at most once per run and closed when the service is destroyed at exit.
//
// Lifecycle: NotOpened -> open() -> Open or Failed. There is no way back: a failed open is not
// retried (the caller shows its message once), and an open mixer stays open.
// Thread: UI thread only. Errors are returned as false or nullopt; nothing is shown here.
class MixerService
{
public:
    enum class State { NotOpened, Open, Failed };

    virtual ~MixerService() = default;

    virtual State state() const = 0;

    // Opens the mixer when it has not been tried yet; true when it is open afterwards.
    virtual bool open() = 0;

    // The master volume control of the open mixer, nullopt when the mixer is not open or has no
    // volume control.
    virtual std::optional<MixerControl> masterControl() const = 0;

    // Sets every channel of the master control to `value`, which the caller keeps within the
    // control's bounds. False when there is no control or the mixer refuses.
    virtual bool setMasterVolume(long value) = 0;
};
