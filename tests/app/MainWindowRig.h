#pragma once

// The main window on the fake platform with recording stand-ins for the MIDI-file player and the
// windows it opens (one log, `player.calls`), and the user's hands: the dial dragged with the
// mouse, clicks on the window's controls, keys on the skin.

#include "OpenerFakes.h"
#include "app/Metronome.h"
#include "app/frmFlam.h"
#include "app/frmMtroNew.h"
#include "platform/FakePlatform.h"

#include <vector>

#include <QString>
#include <QStringList>

class AnalogClock;
class SliderPic;

class MainWindowRig
{
public:
    // Stored settings to start with, as (value name, text) in section "Gitara".
    explicit MainWindowRig(const std::vector<std::pair<QString, QString>>& settings = {});
    ~MainWindowRig();

    // Loads and shows the window; false when its load ended the program.
    bool start();

    frmMtroNew& window() { return *m_window; }

    Metronome& metronome() { return m_window->metronome(); }

    frmFlam& flam() { return frmFlam::instance(); }

    template <typename T = QWidget> T* control(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    AnalogClock& dial() const;
    SliderPic& slider() const;

    // Drags the dial's hand with the left button from where it points to `minute`, with one
    // move on the way; every move and the release set the dial.
    void dragDialTo(int minute);
    void click(const char* control);
    void key(Qt::Key key, bool autoRepeat = false);
    QString storedVolume();

    bool stepping() { return flam().Timer1.isEnabled() || flam().Timer2.isEnabled(); }

    FakePlatform fake;
    FakePlayerWindow player;
    FakeOtherWindows windows { player.calls };

private:
    QPoint dialPointAt(double minute) const;

    frmMtroNew* m_window = nullptr;
};
