#include "piano/PianoMediaPlayer.h"

#include "platform/basic/Conversions.h"
#include "players/clsMusic.h"

#include <algorithm>

// clang-format off
void MusicPlayer::setFileName(const QString& name) { m_music.setFileName(name); }
void MusicPlayer::Play() { m_music.Play(); }
void MusicPlayer::Pause() { m_music.Pause(); }
void MusicPlayer::StopPlaying() { m_music.StopPlaying(); }
double MusicPlayer::Position() const { return m_music.Position(); }
void MusicPlayer::setPosition(double seconds) { m_music.setPosition(seconds); }
double MusicPlayer::Duration() const { return m_music.Duration(); }
void MusicPlayer::setVolume(std::int32_t volume) { m_music.setVolume(volume); }
bool MusicPlayer::HasAudio() const { return m_music.HasAudio(); }
bool MusicPlayer::HasVideo() const { return m_music.HasVideo(); }

// clang-format on

namespace {

std::int32_t volumeOf(double value)
{
    return CLng((100 - value) * -100).value_or(-10000);
}

} // namespace

PianoMediaPlayer::PianoMediaPlayer(MediaPlayerOps& player,
    MediaView view,
    std::function<void()> closeOutput,
    std::function<void()> reopenOutput)
    : m_player(player)
    , m_view(std::move(view))
    , m_closeOutput(std::move(closeOutput))
    , m_reopenOutput(std::move(reopenOutput))
{}

void PianoMediaPlayer::open(const QString& name)
{
    // Setting the name drops whatever was loaded, a MIDI file holding the output included.
    m_player.setFileName(name);
    giveBackOutput();
    if (name.isEmpty() || !(m_player.HasAudio() || m_player.HasVideo())) {
        m_view.setButtonsEnabled(false);
        return;
    }
    if (name.right(4).toUpper() == QLatin1String(".MID")) {
        m_closeOutput();
        m_midiHoldsOutput = true;
    }
    m_player.Play();
    // A file opened while paused plays, so the toggle shows it.
    showPlaying();
    m_view.setButtonsEnabled(true);
    Pozicija();
}

void PianoMediaPlayer::Pozicija()
{
    m_view.setTimerRunning(true);
    // A file under half a second still gets a slider with room to move.
    const std::int32_t seconds = CLng(m_player.Duration()).value_or(0);
    m_view.prepareSlider(std::max(1, seconds));
    m_player.setVolume(volumeOf(Val(m_label4)));
}

void PianoMediaPlayer::tmrTimer_Timer()
{
    const double position = m_player.Position();
    const double duration = m_player.Duration();
    // A pointer the user holds stays under the mouse; the drag seeks as it goes.
    if (!(m_view.sliderHeld && m_view.sliderHeld()))
        m_view.setSliderPosition(CLng(position).value_or(0));
    m_view.setLabel15(NumText(position));
    // A failed file reads 0 for both; a finished one reads its duration or more.
    if ((duration > 0 && position >= duration) || (duration == 0 && position == 0))
        GGCommand14_Click();
}

void PianoMediaPlayer::SliderPic1_PositionChanged(std::int32_t seconds)
{
    m_player.setPosition(seconds);
}

void PianoMediaPlayer::GGCommand15_Click()
{
    if (m_paused) {
        m_player.Play();
        showPlaying();
    } else {
        m_player.Pause();
        m_paused = true;
        m_view.showPaused(true);
    }
}

void PianoMediaPlayer::GGCommand14_Click()
{
    m_player.StopPlaying();
    m_view.setButtonsEnabled(false);
    showPlaying();
    m_view.setSliderPosition(0);
    m_view.setTimerRunning(false);
    m_view.setLabel15(QString());
    giveBackOutput();
}

void PianoMediaPlayer::Knob1_Changed(int value)
{
    m_player.setVolume(volumeOf(value));
    m_label4 = QString::number(value);
    m_view.setLabel4(m_label4);
}

void PianoMediaPlayer::showPlaying()
{
    m_paused = false;
    m_view.showPaused(false);
}

void PianoMediaPlayer::giveBackOutput()
{
    if (!m_midiHoldsOutput)
        return;
    m_midiHoldsOutput = false;
    m_reopenOutput();
}
