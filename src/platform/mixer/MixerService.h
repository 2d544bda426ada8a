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
// device, closed when the service is destroyed at exit.
//
// Lifecycle: NotOpened -> open() -> Open or Failed; open() tries only from NotOpened, so the
// caller's message for a mixer that cannot be opened comes once a run. From Open or Failed,
// reopen() closes whatever is open and tries again, to Open or Failed: a sound server's mixer
// dies with the server and does not come back by itself, and a server started after the program
// is only found by a new attempt. The owner reopens after a set that fails, once per failure.
// Thread: UI thread only. Errors are returned as false or nullopt; nothing is shown here.
class MixerService
{
public:
    enum class State { NotOpened, Open, Failed };

    virtual ~MixerService() = default;

    virtual State state() const = 0;

    // Opens the mixer when it has not been tried yet; true when it is open afterwards.
    virtual bool open() = 0;

    // Closes the mixer if it is open and opens it afresh, whatever the state; true when it is
    // open afterwards.
    virtual bool reopen() = 0;

    // The master volume control of the open mixer, nullopt when the mixer is not open or has no
    // volume control.
    virtual std::optional<MixerControl> masterControl() const = 0;

    // Sets every channel of the master control to `value`, which the caller keeps within the
    // control's bounds. False when there is no control, the mixer refuses, or the mixer's
    // connection is gone (then only a reopen brings it back).
    virtual bool setMasterVolume(long value) = 0;
};
