#pragma once

#include <cstdint>
#include <memory>

#include <QString>

class AudioEngine;
struct AudioClip;

// The file-sound player: WAV files and ready clips on the engine's one clip voice, so a file cuts
// the clip sounding and the next click cuts the file, and AudioEngine::purge() stops it.
//
// UI thread only. The waiting calls run a local event loop: windows keep repainting and timers
// keep ticking meanwhile (which may start or stop other sounds), but the program takes no user
// input (InputHold: a click or key meanwhile runs nothing, a close waits for the end). They
// return when the sound has left the speakers, was cut off or purged. If the device stops
// rendering they give up a couple of seconds after the sound's length.
class WavFilePlayer
{
public:
    explicit WavFilePlayer(AudioEngine& engine);

    // Starts the file at the next block. False when it cannot be read (nothing plays then).
    bool play(const QString& path);
    // Plays the file and waits as above. False when it cannot be read.
    bool playAndWait(const QString& path);
    // Plays a clip from the next block on and waits as above (a null clip returns at once).
    void playAndWait(std::shared_ptr<const AudioClip> clip);

private:
    AudioEngine& m_engine;
};
