#pragma once

#include "platform/media/MediaEngine.h"

#include <utility>
#include <vector>

// Graphs over libmpv, one mpv instance per graph.
//
// Sound: mpv plays through its own connection to the system's sound (PulseAudio, which PipeWire
// desktops also serve, else ALSA), a second stream beside the program's SDL stream. It does not
// go through SDL: mpv's SDL output would share SDL's process-wide audio state with our engine.
// With neither server nor sound card it falls back to mpv's null output, which keeps the
// file's pace in silence, so a file plays (and ends) the same with or without sound.
//
// Nothing outside the program changes what a graph does: no mpv.conf, input.conf, scripts,
// profiles, saved positions or automatically loaded subtitle, audio or cover files.
// Video goes to mpv's null output until showVideo() gives it a window.
//
// mpv refuses to start unless the process reads and writes numbers with "." (LC_NUMERIC "C"),
// while Qt sets the user's locale when the application is made: the program sets LC_NUMERIC
// once right after that, and a graph opened under any other numeric locale fails its open.
class MpvMediaEngine : public MediaEngine
{
public:
    struct Options
    {
        // mpv's audio outputs in order of preference; "null" last keeps files playable.
        QString audioOutput = QStringLiteral("pulse,alsa,null");
        // mpv's video outputs for a window given to showVideo().
        QString videoOutput = QStringLiteral("gpu,x11,null");
        // Further mpv options, set after the fixed ones (tests capture the sound with ao=pcm).
        std::vector<std::pair<QString, QString>> extraOptions;
    };

    MpvMediaEngine();
    explicit MpvMediaEngine(Options options);

    std::unique_ptr<MediaGraph> createGraph() override;

private:
    Options m_options;
};
