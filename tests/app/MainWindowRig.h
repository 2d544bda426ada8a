#pragma once

// The main window on the fake platform with recording stand-ins for the MIDI-file player and the
// windows it opens (one log of effects, `calls`), and the user's hands: the dial dragged with the
// mouse, clicks on the window's controls, keys on the skin.

#include "../controls/DialFixture.h"
#include "app/AppWindows.h"
#include "app/Metronome.h"
#include "app/frmFlam.h"
#include "app/frmMtroNew.h"
#include "controls/AnalogClock.h"
#include "controls/DrawSurface.h"
#include "controls/SliderPic.h"
#include "platform/FakePlatform.h"
#include "platform/settings/SettingsStore.h"
#include "windows/OtherWindows.h"
#include "windows/PlayerWindow.h"

#include <memory>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QStringList>
#include <QTest>

// The hidden MIDI-file player and the windows the main window opens, recording every call into
// one log: "stani", "stani2", "txtmidi=NAME", "svirajmidi",
// "sviraj", "DajJako=LEVEL", "show:NAME".
struct RecordingWindows : PlayerWindow, OtherWindows
{
    QStringList calls;

    void stani2() override { calls << "stani2"; }

    void stani() override { calls << "stani"; }

    void setTxtmidi(const QString& name) override { calls << "txtmidi=" + name; }

    void svirajmidi() override { calls << "svirajmidi"; }

    void sviraj() override { calls << "sviraj"; }

    void DajJako(std::int32_t Level) override { calls << "DajJako=" + QString::number(Level); }

    void showPiano() override { calls << "show:piano"; }

    void showRecorder() override { calls << "show:frmRec"; }

    void showMp3Modal() override { calls << "show:frmMp3"; }

    void showFrmpolyModal() override { calls << "show:frmpoly"; }

    void showFrmPaternModal() override { calls << "show:frmPatern"; }

    void showFrmMSoundModal() override { calls << "show:frmMSound"; }

    void showFrmfrekvencijeModal() override { calls << "show:frmfrekvencije"; }

    void showHelp() override { calls << "show:help"; }

    void showAboutModal() override { calls << "show:frmabout"; }

    bool queryQuit() override
    {
        calls << "queryQuit";
        return true;
    }
};

class MainWindowRig
{
public:
    // Stored settings to start with, as (value name, text) in section "Gitara".
    explicit MainWindowRig(const std::vector<std::pair<QString, QString>>& settings = {})
    {
        for (const auto& [name, text] : settings)
            fake.platform.settings->SaveRegValue(
                QStringLiteral("Taktovia"), QStringLiteral("Gitara"), name, text);
    }

    ~MainWindowRig() { frmMtroNew::unload(); }

    // Loads and shows the window; false when its load ended the program. `realPlayer`: the
    // program's own MIDI-file player on the fake platform's MIDI files, not the recording one.
    bool start(bool realPlayer = false)
    {
        if (realPlayer) {
            m_app = std::make_unique<AppWindows>(fake.platform);
            m_window = m_app->loadMainWindow();
        } else {
            m_window = AppWindows::loadMainWindow(fake.platform, windows, windows);
        }
        if (m_window)
            m_window->show();
        return m_window != nullptr;
    }

    frmMtroNew& window() { return *m_window; }

    Metronome& metronome() { return m_window->metronome(); }

    frmFlam& flam() { return frmFlam::instance(); }

    template <typename T = QWidget> T* control(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    AnalogClock& dial() const { return *control<AnalogClock>("AnalogClock1"); }

    SliderPic& slider() const { return *control<SliderPic>("SliderPic1"); }

    // Drags the dial's hand with the left button from where it points to `minute`, with one
    // move on the way; every move and the release set the dial.
    void dragDialTo(int minute)
    {
        const auto dialPoint = [this](double m) {
            return pointAtMinute(dial(), m, dial().geometry().faceRadius * 0.6);
        };
        auto* face = dial().findChild<DrawSurface*>();
        const int from = dial().ValueText().mid(3, 2).toInt();
        QTest::mousePress(face, Qt::LeftButton, {}, dialPoint(from));
        QTest::mouseMove(face, dialPoint((from + minute) / 2.0));
        QTest::mouseMove(face, dialPoint(minute));
        QTest::mouseRelease(face, Qt::LeftButton, {}, dialPoint(minute));
    }

    // A click on the volume slider's track `along` pixels from its start (beyond the ends is held
    // at them).
    void clickSliderTrack(int along)
    {
        const SliderGeometry& g = slider().geometry();
        QTest::mouseClick(slider().findChild<DrawSurface*>(), Qt::LeftButton, {},
            QPoint(g.sliderLeft + along, g.sliderTop + g.sliderHeight / 2));
    }

    void click(const char* name)
    {
        QWidget* widget = control(name);
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }

    void key(Qt::Key key, bool autoRepeat = false)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(control("Picture1"), &press);
    }

    QString storedVolume()
    {
        return fake.platform.settings
            ->GetRegValue(QStringLiteral("Taktovia"), QStringLiteral("Gitara"),
                QStringLiteral("Volme"), QStringLiteral("missing"))
            .toString();
    }

    bool stepping() { return flam().Timer1.isEnabled() || flam().Timer2.isEnabled(); }

    FakePlatform fake;
    RecordingWindows windows;
    QStringList& calls = windows.calls;

private:
    std::unique_ptr<AppWindows> m_app;
    frmMtroNew* m_window = nullptr;
};
