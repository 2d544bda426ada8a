#pragma once

#include <memory>

#include <QSize>
#include <QString>
#include <QtGui/qwindowdefs.h>

// One media file opened for playback (audio or video), the engine behind the media player class.
// A graph plays exactly one file: a new file gets a new graph.
//
// Lifecycle: created empty; renderFile() once; then Stopped at 0 until run(). The states follow
// run(), pause() and stop(); reaching the end of the media changes no state (a running graph stays
// Running, its position held at the duration). Destroying the graph ends its playback.
// Thread: UI thread only; the sound plays on the engine's own threads.
// Units: seconds as doubles; volume and balance in hundredths of a decibel.
// Errors: nothing is reported. A graph whose file could not be rendered plays nothing, its reads
// give 0 (or false, or an empty size) and its commands do nothing; a command that fails is
// passed over.
class MediaGraph
{
public:
    enum class State { Stopped, Paused, Running };

    virtual ~MediaGraph() = default;

    // Opens the file at `path` and builds its playback, stopped at 0. Returns once the file is
    // open or has failed (bounded: a file that does not answer counts as failed); false when it
    // cannot be played.
    virtual bool renderFile(const QString& path) = 0;

    virtual bool hasAudio() const = 0;
    // A moving picture: cover art and still images do not count.
    virtual bool hasVideo() const = 0;
    // The source's size in pixels; empty without video.
    virtual QSize videoSize() const = 0;
    // Shows the video inside the native window `window` from now on. The graph must be destroyed
    // before that window is.
    virtual void showVideo(WId window) = 0;

    virtual void run() = 0;
    virtual void pause() = 0;
    // Stops playing; the position stays where it is.
    virtual void stop() = 0;
    virtual State state() const = 0;

    virtual double duration() const = 0;
    // Exactly duration() once the end has been reached.
    virtual double position() const = 0;
    // Seeks exactly to `seconds` (0 to duration()) and keeps the state: a running graph plays on
    // from there, a stopped or paused one shows the picture at the new position. Returns once the
    // engine has taken the seek, so position() already reads the new place.
    virtual void seek(double seconds) = 0;

    // 1.0 is normal speed.
    virtual double rate() const = 0;
    virtual void setRate(double rate) = 0;

    // 0 is full volume, -10000 silence.
    virtual int volume() const = 0;
    virtual void setVolume(int hundredthsOfDb) = 0;

    // -10000 left only, 0 both sides at full volume, 10000 right only: the other side is
    // lowered by |balance| hundredths of a decibel, and silenced at 10000.
    virtual int balance() const = 0;
    virtual void setBalance(int hundredthsOfDb) = 0;
};

// Makes the graphs: the platform's media service.
class MediaEngine
{
public:
    virtual ~MediaEngine() = default;

    virtual std::unique_ptr<MediaGraph> createGraph() = 0;
};
