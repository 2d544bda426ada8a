#include "app/AppWindows.h"

#include "app/ClickSounds.h"
#include "app/FlamPopupMenus.h"
#include "app/frmFlam.h"
#include "app/frmMSound.h"
#include "app/frmMtroNew.h"
#include "app/frmPatern.h"
#include "app/frmabout.h"
#include "app/frmfrekvencije.h"
#include "app/frmpoly.h"
#include "piano/frmMidiPiano.h"
#include "platform/Platform.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/WaveCapture.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/mci/MciCommandInterpreter.h"
#include "platform/shell/HtmlHelp.h"
#include "players/frmCD.h"
#include "recorder/EncoderLibrary.h"
#include "recorder/EncoderSession.h"
#include "recorder/LeftTakeOffer.h"
#include "recorder/frmMp3.h"
#include "recorder/frmRec.h"
#include "recorder/frmSettings.h"
#include "recorder/modrec.h"
#include "windows/Mp3Window.h"
#include "windows/PlayerWindow.h"
#include "windows/TempoLabels.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

namespace {

// The hidden MIDI-file player with the master volume.
class FrmCdPlayer : public PlayerWindow
{
public:
    void stani2() override { frmCD::instance().stani2(); }

    void stani() override { frmCD::instance().stani(); }

    void setTxtmidi(const QString& fileName) override { frmCD::instance().setTxtmidi(fileName); }

    void svirajmidi() override { frmCD::instance().svirajmidi(); }

    void sviraj() override { frmCD::instance().sviraj(); }

    void DajJako(std::int32_t Level) override { frmCD::instance().DajJako(Level); }
};

// The main window's tempo texts, for the player; nothing to write once the window is gone.
class MainWindowTempoLabels : public TempoLabels
{
public:
    QString lblTempo() const override
    {
        return frmMtroNew::isLoaded() ? frmMtroNew::instance().metronome().lblTempo() : QString();
    }

    void setLblTempo(const QString& caption) override
    {
        if (frmMtroNew::isLoaded())
            frmMtroNew::instance().metronome().setLblTempo(caption);
    }

    void setText2(const QString& caption) override
    {
        if (frmMtroNew::isLoaded())
            frmMtroNew::instance().metronome().setText2(caption);
    }
};

// The encoder window, loaded on first touch with the library's functions and unloaded when it has
// been shown and closed, so that every opening starts afresh.
class Mp3Opener : public Mp3Window
{
public:
    Mp3Opener(Platform& platform, std::unique_ptr<EncoderLibrary>& library, EncoderSession& session)
        : m_platform(platform)
        , m_library(library)
        , m_session(session)
    {}

    void ubaciW(const QString& fullPath, const QString& fileName) override
    {
        window().ubaciW(fullPath, fileName);
    }

    void show() override
    {
        window().exec();
        frmMp3::unload();
    }

private:
    frmMp3& window()
    {
        if (!m_library)
            m_library = std::make_unique<EncoderLibrary>(m_platform.programFolder);
        return frmMp3::load(m_platform, functionsOf(*m_library), m_session);
    }

    Platform& m_platform;
    std::unique_ptr<EncoderLibrary>& m_library;
    EncoderSession& m_session;
};

} // namespace

AppWindows::AppWindows(Platform& platform)
    : m_platform(platform)
    , m_player(std::make_unique<FrmCdPlayer>())
    , m_tempoLabels(std::make_unique<MainWindowTempoLabels>())
    , m_encoderSession(std::make_unique<EncoderSession>())
    , m_mp3Window(std::make_unique<Mp3Opener>(platform, m_encoder, *m_encoderSession))
{
    askLeftTakePath = WaveSaveDialog::fileDialog;
}

AppWindows::~AppWindows()
{
    frmMp3::unload();
    // The piano closes its MIDI device while the engine form's menus are still there.
    frmMidiPiano::unload();
    // The rhythm dialogs work on the main window's metronome.
    frmpoly::unload();
    frmPatern::unload();
    frmRec::unload();
    frmSettings::unload();
    // The main window first: its unload stops the player, which writes into its texts.
    frmMtroNew::unload();
    if (frmCD::isLoaded())
        m_platform.mci->removeOtherDevice(&frmCD::instance().mmControl1());
    frmCD::unload();
}

frmMtroNew* AppWindows::loadMainWindow()
{
    // The recorder's "close all" closes the player's device too.
    MultimediaControl& player = frmCD::load(m_platform, *m_tempoLabels).mmControl1();
    m_platform.mci->addOtherDevice(&player);
    frmMtroNew* window = loadMainWindow(m_platform, *m_player, *this);
    // A close or a signal that came while the load had a box up (no mixer to open at the start)
    // ended the program there, before its event loop ran, where a quit does nothing: the null
    // ends it.
    if (window && window->unloaded()) {
        frmMtroNew::unload();
        window = nullptr;
    }
    if (!window) {
        m_platform.mci->removeOtherDevice(&player);
        frmCD::unload();
        return nullptr;
    }
    // Asked once the main window shows, from the event loop.
    QTimer::singleShot(0, window, [this] {
        offerLeftTakes();
    });
    return window;
}

void AppWindows::offerLeftTakes()
{
    if (m_ending)
        return;
    LeftTakeOffer offer(*m_platform.boxes, *m_platform.files);
    offer.askSavePath = askLeftTakePath;
    offer.offer(m_platform.takeFolder, frmMtroNew::isLoaded() ? &frmMtroNew::instance() : nullptr);
}

void AppWindows::endWithoutAsking()
{
    if (m_ending)
        return;
    m_ending = true;
    m_platform.boxes->stopAsking();
    m_platform.audio->capture().leaveTake();
    if (frmMtroNew::isLoaded())
        frmMtroNew::instance().close();
    // Also when the main window was not up yet, or a window kept it.
    QCoreApplication::quit();
}

frmMtroNew* AppWindows::loadMainWindow(
    Platform& platform, PlayerWindow& player, OtherWindows& windows)
{
    if (frmMtroNew::isLoaded())
        return &frmMtroNew::instance();
    // The engine first (the clips with their step walker, and the form that steps them), then
    // the window that drives it; the window's unload takes the engine with it.
    frmFlam& flam = frmFlam::load(platform, std::make_unique<ClickSounds>(platform));
    frmMtroNew& window = frmMtroNew::load(platform, flam, player, windows);
    if (!window.Form_Load()) {
        frmMtroNew::unload();
        return nullptr;
    }
    flam.menus().setTargets({ .mainWindow = []() -> MainWindowCommands* {
                                 return frmMtroNew::isLoaded() ? &frmMtroNew::instance() : nullptr;
                             },
        .piano = []() -> PianoCommands* {
            return frmMidiPiano::isLoaded() && !frmMidiPiano::instance().unloaded()
                ? &frmMidiPiano::instance()
                : nullptr;
        },
        .showAbout =
            [&windows] {
                if (frmMtroNew::isLoaded())
                    windows.showAboutModal();
            } });
    return &window;
}

void AppWindows::showPiano()
{
    // A piano closed from its own event is destroyed later; a new opening may come first.
    if (frmMidiPiano::isLoaded() && frmMidiPiano::instance().unloaded())
        frmMidiPiano::unload();
    if (!m_pianoMenus)
        m_pianoMenus = std::make_unique<FlamPopupMenus>(frmFlam::instance().menus());
    frmMidiPiano& piano = frmMidiPiano::load(m_platform, *m_pianoMenus, [](bool byEscape) {
        QTimer::singleShot(0, [] {
            if (frmMidiPiano::isLoaded() && frmMidiPiano::instance().unloaded())
                frmMidiPiano::unload();
        });
        if (byEscape && frmMtroNew::isLoaded())
            frmMtroNew::instance().show();
    });
    piano.show();
    piano.raise();
    piano.activateWindow();
    piano.setFocus();
}

void AppWindows::showRecorder()
{
    if (!m_modrec)
        m_modrec = std::make_unique<modrec>(*m_platform.mci, *m_platform.boxes);
    frmRec::showRecorder(m_platform, *m_modrec, *m_mp3Window);
}

bool AppWindows::queryQuit()
{
    return !frmRec::isLoaded() || frmRec::instance().queryUnload();
}

void AppWindows::showMp3Modal()
{
    m_mp3Window->show();
}

Mp3Window& AppWindows::mp3Window()
{
    return *m_mp3Window;
}

void AppWindows::showFrmpolyModal()
{
    frmpoly& dialog = frmpoly::load(m_platform, frmMtroNew::instance().metronome());
    dialog.showModal();
    // OK unloads it, so the next showing starts with empty fields; Cancel only hid it.
    if (dialog.unloaded())
        frmpoly::unload();
}

void AppWindows::showFrmPaternModal()
{
    // Made at its first showing and afterwards only hidden: its fields, lists and selection stay.
    frmPatern::load(m_platform, frmMtroNew::instance().metronome()).showModal();
}

void AppWindows::showFrmMSoundModal()
{
    // Made afresh at every showing: it shows what the settings hold now.
    frmMSound::load(m_platform, frmMtroNew::instance().sounds()).exec();
    frmMSound::unload();
}

void AppWindows::showFrmfrekvencijeModal()
{
    // Made afresh at every showing: it starts with 440 Hz and half a second.
    frmfrekvencije::load(m_platform).exec();
    frmfrekvencije::unload();
}

void AppWindows::showHelp()
{
    // The result is not used: a missing help file shows nothing and says nothing.
    m_platform.help->ShowHtmlHelp(
        QDir(m_platform.programFolder).filePath(QStringLiteral("metro.html")),
        frmMtroNew::isLoaded() ? &frmMtroNew::instance() : nullptr, 0);
}

void AppWindows::showAboutModal()
{
    // Made afresh at every showing.
    frmabout::load().exec();
    frmabout::unload();
}
