#include "app/WindowOpeners.h"

#include "app/ClickSounds.h"
#include "app/Metronome.h"
#include "windows/OtherWindows.h"
#include "windows/PlayerWindow.h"

namespace {

const QString kPITCH = QStringLiteral("PITCH");
const QString kPOLY = QStringLiteral("POLY");

class MetronomeHost : public OpenerHost
{
public:
    MetronomeHost(Metronome& metronome, ClickSounds& sounds, MetronomeView& view)
        : m_metronome(metronome)
        , m_sounds(sounds)
        , m_view(view)
    {}

    QString lblcd() const override { return m_metronome.lblcd(); }

    bool running() const override { return m_metronome.running(); }

    void imstop_Click() override { m_metronome.imstop_Click(); }

    void StopSound() override { m_sounds.StopSound(); }

    void setText2(const QString& caption) override { m_metronome.setText2(caption); }

    void setLblTempo(const QString& caption) override { m_metronome.setLblTempo(caption); }

    void setDialValue(double dateTime) override { m_view.setDialValue(dateTime); }

private:
    Metronome& m_metronome;
    ClickSounds& m_sounds;
    MetronomeView& m_view;
};

} // namespace

std::unique_ptr<OpenerHost> makeOpenerHost(
    Metronome& metronome, ClickSounds& sounds, MetronomeView& view)
{
    return std::make_unique<MetronomeHost>(metronome, sounds, view);
}

WindowOpeners::WindowOpeners(OpenerHost& host, PlayerWindow& player, OtherWindows& windows)
    : m_host(host)
    , m_player(player)
    , m_windows(windows)
{}

void WindowOpeners::forgetMidiFile()
{
    m_player.setTxtmidi(QString());
}

void WindowOpeners::forgetMidiFileAndBlankTexts()
{
    forgetMidiFile();
    m_host.setLblTempo(QString());
    m_host.setText2(QString());
}

void WindowOpeners::stopBeatOrForgetFileThenSounds()
{
    if (m_host.running())
        m_host.imstop_Click();
    else
        forgetMidiFile();
    m_host.StopSound();
}

void WindowOpeners::kkommand3()
{
    m_player.stani();
    forgetMidiFileAndBlankTexts();
    // The sounds stop here too: the toggle ends a 440 Hz tone only while the metronome ran, and
    // the tone must not play on under the piano.
    stopBeatOrForgetFileThenSounds();
    m_windows.showPiano();
}

void WindowOpeners::recorderStopSteps()
{
    // A reference note ("PITCH") plays on: only an example is stopped here.
    if (m_host.lblcd() == kPOLY) {
        m_player.stani2();
        forgetMidiFileAndBlankTexts();
    }
    stopBeatOrForgetFileThenSounds();
}

void WindowOpeners::raz2()
{
    recorderStopSteps();
    m_windows.showRecorder();
}

void WindowOpeners::raz3()
{
    recorderStopSteps();
    m_windows.showMp3Modal();
}

void WindowOpeners::dialogStopSteps(Dialog dialog)
{
    const QString mode = m_host.lblcd();
    if (mode == kPITCH || mode == kPOLY) {
        m_host.StopSound();
        m_player.stani2();
        forgetMidiFile();
        m_host.setDialValue(0);
        // The pattern dialog keeps in Text2 what the dial change wrote there.
        if (dialog == Dialog::Frmpoly)
            m_host.setText2(QString());
        m_host.setLblTempo(QString());
    }
    if (m_host.running())
        m_host.imstop_Click();
}

void WindowOpeners::raz4()
{
    dialogStopSteps(Dialog::Frmpoly);
    m_windows.showFrmpolyModal();
}

void WindowOpeners::raz5()
{
    dialogStopSteps(Dialog::FrmPatern);
    m_windows.showFrmPaternModal();
}

void WindowOpeners::raz8()
{
    m_windows.showFrmMSoundModal();
}

void WindowOpeners::raz10()
{
    // ShowHelp: the step timers go on.
    m_host.StopSound();
    m_player.stani2();
    forgetMidiFile();
    m_windows.showHelp();
}

void WindowOpeners::Image23_Click()
{
    m_windows.showAboutModal();
}
