#pragma once

#include <cstdint>
#include <functional>

#include <QString>

class clsMusic;

// The operations of a media player that the piano's player uses; `MusicPlayer` reaches clsMusic.
class MediaPlayerOps
{
public:
    virtual ~MediaPlayerOps() = default;
    virtual void setFileName(const QString& name) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void StopPlaying() = 0;
    virtual double Position() const = 0;
    virtual void setPosition(double seconds) = 0;
    virtual double Duration() const = 0;
    virtual void setVolume(std::int32_t volume) = 0;
    virtual bool HasAudio() const = 0;
    virtual bool HasVideo() const = 0;
};

class MusicPlayer : public MediaPlayerOps
{
public:
    explicit MusicPlayer(clsMusic& music)
        : m_music(music)
    {}

    void setFileName(const QString& name) override;
    void Play() override;
    void Pause() override;
    void StopPlaying() override;
    double Position() const override;
    void setPosition(double seconds) override;
    double Duration() const override;
    void setVolume(std::int32_t volume) override;
    bool HasAudio() const override;
    bool HasVideo() const override;

private:
    clsMusic& m_music;
};

// What the piano window shows of its player.
struct MediaView
{
    std::function<void(bool)> setButtonsEnabled; // the toggle GGCommand15 and stop GGCommand14
    std::function<void(bool)> showPaused; // the toggle's play look (true) or pause look
    std::function<void(std::int32_t max)> prepareSlider; // enabled, 0..max, at 0
    std::function<void(std::int32_t)> setSliderPosition;
    std::function<bool()> sliderHeld; // the user drags the slider's pointer
    std::function<void(bool)> setTimerRunning; // tmrTimer, 100 ms
    std::function<void(const QString&)> setLabel15; // the position
    std::function<void(const QString&)> setLabel4; // the volume
};

// The piano window's media player without its widgets: open and play, the pause toggle, stop,
// the position tick, seeking and the volume. While a MIDI file is loaded the piano's own output
// stays closed; as soon as no MIDI file is loaded any more (stop, its end, another file, a
// cancelled or failed open) the device the user had chosen opens again, so the keys never fall
// silent without notice. UI thread only.
class PianoMediaPlayer
{
public:
    static constexpr std::uint32_t kPausedColour = 0xC000;

    // `closeOutput` closes the piano's MIDI output; `reopenOutput` opens the device the user chose.
    PianoMediaPlayer(MediaPlayerOps& player,
        MediaView view,
        std::function<void()> closeOutput,
        std::function<void()> reopenOutput);

    // The dialog's file name; empty after Cancel.
    void open(const QString& name);
    void GGCommand15_Click();
    void GGCommand14_Click();
    void tmrTimer_Timer();
    // The user moved the slider to `seconds`: the new position that its event carries.
    void SliderPic1_PositionChanged(std::int32_t seconds);
    void Knob1_Changed(int value);

    bool paused() const { return m_paused; }

    bool midiFileHoldsOutput() const { return m_midiHoldsOutput; }

private:
    void Pozicija();
    void giveBackOutput();
    void showPlaying();

    MediaPlayerOps& m_player;
    MediaView m_view;
    std::function<void()> m_closeOutput;
    std::function<void()> m_reopenOutput;
    QString m_label4 = QStringLiteral("100");
    bool m_paused = false;
    bool m_midiHoldsOutput = false;
};
