#pragma once

#include <cstdint>
#include <memory>

#include <QPointer>
#include <QString>
#include <QWidget>

class MediaGraph;
struct Platform;

// The media player of the piano and encoder windows: one audio or video file at a time, with
// seconds as doubles and volume and balance in hundredths of a decibel. Each window makes its
// own player and destroys it when it unloads, which ends the playback.
//
// Properties keep their given names: the getter is the name, the setter `set` + the name.
// Every member passes over failures: with no file, or a file that could not be opened, reads
// give 0 (false, empty) and commands do nothing. UI thread only.
class clsMusic
{
public:
    explicit clsMusic(Platform& platform);
    ~clsMusic();
    clsMusic(const clsMusic&) = delete;
    clsMusic& operator=(const clsMusic&) = delete;

    // The source's size in pixels with video, else 0.
    int Width() const;
    int Height() const;

    // The window that owns the video window of the next file set (none by default: a video
    // then plays without a picture).
    QWidget* Window() const { return m_window; }

    void setWindow(QWidget* window) { m_window = window; }

    QString FileName() const { return m_fileName; }

    // Stops and drops the file in use, then opens `name`, stopped at 0. A name ending in ".mid"
    // (any case) plays on the program's MIDI-file player, any other through the media engine. A
    // file with video gets its own borderless window at the screen's top left, as large as the
    // owner window, showing the first picture.
    void setFileName(const QString& name);

    // Plays from the position, or from 0 when the end has been reached. Nothing without a name.
    void Play();
    void Pause();
    // Stops; the position stays.
    void StopPlaying();

    // Seconds; equal to Duration at the end.
    double Position() const;
    // Seeks exactly, kept within 0 and Duration; playing or not stays as it was, and a video
    // that is not playing shows the picture at the new position.
    void setPosition(double seconds);

    // 0 stopped, 1 running, 2 paused.
    std::int32_t State() const;

    double Speed() const;
    // At least 0.1; 1 is normal speed.
    void setSpeed(double speed);

    double Duration() const;

    // -10000 (silent) to 0 (full).
    std::int32_t Volume() const;
    void setVolume(std::int32_t volume);

    // -10000 (left only) to 10000 (right only).
    std::int32_t Balance() const;
    void setBalance(std::int32_t balance);

    bool HasAudio() const { return m_hasAudio; }

    bool HasVideo() const { return m_hasVideo; }

private:
    std::unique_ptr<MediaGraph> createGraph(const QString& name) const;
    void release();
    void showVideoWindow();

    Platform& m_platform;
    std::unique_ptr<MediaGraph> m_graph;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_videoWindow;
    QString m_fileName;
    bool m_hasAudio = false;
    bool m_hasVideo = false;
};
