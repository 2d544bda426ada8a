#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// A sound output that asks for blocks of interleaved stereo float frames at 44100 Hz.
//
// Lifecycle: made stopped; open() may ready the output beforehand (the slow part, on any thread
// but an audio thread) so that start() only sets it going; start() (UI thread, once) opens it if
// need be and begins the render calls; stop() (UI thread) returns only after the last render
// call has returned, so the renderer may then be destroyed. The destructor stops. Render calls
// come one at a time, never concurrently, from the device's own audio thread or, for a device
// without one, from whoever asks it to render.
// Errors: open() and start() return false when no output could be opened, lost() tells of a
// failure while running; nothing throws. After stop() a device may be started again.
class AudioDevice
{
public:
    // Fills `frames` frames of `out` (interleaved stereo, overwritten). Must not block.
    using RenderFunction = std::function<void(float* out, int frames)>;

    virtual ~AudioDevice() = default;

    virtual bool open() { return true; }

    virtual bool start(RenderFunction render) = 0;
    virtual void stop() = 0;

    // True when the output goes nowhere (the paced dummy driver): the program runs silently.
    virtual bool silentFallback() const = 0;

    // Any thread: samples between the block being rendered (or the last one) and its sound
    // leaving the speakers. It may change while the output runs.
    virtual std::int64_t latencyFrames() const = 0;

    // Frames per render call as opened (the last call of a manual render may be shorter).
    virtual int blockFrames() const = 0;

    // True while a thread of the device's own calls render; false when render runs only when
    // asked on the caller's thread (or the device is stopped).
    virtual bool rendersOnOwnThread() const = 0;

    // UI thread: true once a started output has failed for good (a device unplugged or taken
    // away): render calls have stopped and will not come back by themselves.
    virtual bool lost() const { return false; }

    // Any thread: a new, unopened device of the same kind and settings asking for blocks of
    // `blockFrames` frames (0: the block this one asks for), to try when this one is late or
    // lost. Null when the kind makes none.
    virtual std::unique_ptr<AudioDevice> another(int /*blockFrames*/) const { return nullptr; }

    // Any thread: a new, unopened device of another kind, to try when one of this kind does not
    // open (the sound server it plays through has gone); null when there is none.
    virtual std::unique_ptr<AudioDevice> instead() const { return nullptr; }

    // True for an output that answers its own late blocks by keeping more sound queued (and less
    // again once they stop), its samples going on without a gap. An output that cannot is
    // replaced by one with a larger block instead (another()).
    virtual bool growsInPlace() const { return false; }

    // Any thread: the growths in place since it last opened, and the steps back down toward the
    // queue it started with.
    virtual int growths() const { return 0; }

    virtual int shrinks() const { return 0; }

    // Any thread: frames the output asks its system to keep queued ahead of the speakers.
    virtual int queueFrames() const { return blockFrames(); }

    // Any thread: blocks that reached the output too late (its sound was interrupted) since it
    // last opened; always 0 for an output that cannot be late.
    virtual std::int64_t lateBlocks() const { return 0; }

    // Any thread: the clock that render times are stamped with, in nanoseconds. Real devices use
    // the monotonic clock; the offline device a virtual one that advances with what it renders.
    virtual std::int64_t clockNanos() const = 0;
};
