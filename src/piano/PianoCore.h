#pragma once

#include "piano/KeyPlayer.h"
#include "platform/midi/MidiOut.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

class MessageBoxService;
class PopupMenus;
class WakeTimer;

// What the piano window shows of the core's state; each runs on the change it names.
struct PianoView
{
    std::function<void(int key, bool down)> keyShown; // keys 0..36 and 100
    std::function<void(const QString&)> setLabel3; // channel and base note
    std::function<void(const QString&)> setLabel9; // the open device's name
    std::function<void(const QString&)> setLblInst; // the instrument's name
    std::function<void()> focusBackground; // a key played with the mouse
};

// The 128 program names, the 32 drum names (notes 35 to 66) of the instrument list; an empty
// name means "leave that entry's caption as it was".
struct InstrumentList
{
    QStringList programs;
    QStringList drums;
};

// The instrument list's bytes read line by line: a line ends at CR, CR LF or LF; its name is the
// second TAB-separated field. Lines 1 to 128 are the programs, line 129 is skipped, lines 130 to
// 161 the drums; missing or short lines give empty names, later lines are not read.
InstrumentList parseInstrumentList(const QByteArray& bytes);

// The MIDI piano without its widgets: 37 keys from the base note, key 100 the silent sustain
// key, the channel, the velocity, the sustain, the held-key tables of the computer keyboard, the
// twelve drum pads and the open MIDI device. The window draws what PianoView tells it and
// forwards its mouse, keyboard and menu events here. UI thread only.
class PianoCore : public KeyPlayer
{
public:
    static constexpr int kKeyCount = 37;
    static constexpr int kSustainKey = 100;
    static constexpr int kNoKey = -1;
    static constexpr int kPadCount = 12;
    static constexpr int kDrumChannel = 9;
    static constexpr int kEscape = 27;
    static constexpr int kSpace = 32;

    // How often a device that opened while still getting ready is looked at again.
    static constexpr int kDeviceWatchMs = 100;

    // `deviceWatch` looks again at a device that opened while still getting ready: should it fail
    // (the built-in synthesizer's SoundFont that does not load), the failure box shows once for
    // that opening, as for a device that does not open.
    PianoCore(MidiOut& midi,
        PopupMenus& menus,
        MessageBoxService& boxes,
        PianoView view,
        std::unique_ptr<WakeTimer> deviceWatch);
    ~PianoCore() override;

    // The loading steps: device menu, the mapper opened, channel 0, base 60, velocity 127, the
    // instrument list into the menus, the default pads and the accompaniment styles' menu. Check
    // marks left in the menus by an earlier opening are cleared first, so exactly one device and
    // one channel show checked.
    void load(const InstrumentList& instruments);
    // Every key shown down gets its Note Off and every pad whose key is held its pad note-off,
    // then the device closes (an external synth would otherwise keep them sounding).
    void unload();

    void Uredjaj(int k);

    // The device menu's index of the device the user chose last.
    int chosenDevice() const { return m_device + 1; }

    // Lends the output to a MIDI file: the keys send to a closed handle until Uredjaj.
    void closeOutput();
    void Kanal(int ch);
    void Baza();
    void Pianino(int Inst);
    void ChangeInstrument(int Channel, int Inst);

    void PressKey(int k, std::optional<std::int64_t> at = std::nullopt) override;
    void ReleaseKey(int k, std::optional<std::int64_t> at = std::nullopt) override;
    void DigniGa() override;

    // Mouse play: a press releases every key first, so one key sounds from the mouse.
    void keyMouseDown(int k);
    void keyMouseUp(int k);
    // Key 100 clicked (or the space bar released): ends the sustain and releases every key.
    void key_Click(int k);

    // The velocity knob's value 0..100.
    void setKnobValue(int value);

    // The computer keyboard, by the key codes of keyCodeToKey's table (0..255). Returns true
    // for Esc, after which the window unloads.
    bool keyDown(int keyCode);
    void keyUp(int keyCode);

    static int KeyCodeToKey(int keyCode);

    void CheckKeys();
    void mnDrum(int Index);
    // An accompaniment note: a Note On on the drum channel at the velocity of this moment,
    // whatever the piano's channel, placed at sample `at` (nullopt: at once); no Note Off follows.
    void beatNoteOn(int note, std::optional<std::int64_t> at);

    void Drum2(int Index) { m_selectedPad = Index; }

    // The piano mode box's text and the "Left Hand only" box, read on each key event.
    void setMode(const QString& mode) { m_mode = mode; }

    void setPratnja(bool ticked) { m_pratnja = ticked; }

    bool keyDownShown(int k) const;

    int baseNote() const { return m_baseNote; }

    int channel() const { return m_channel; }

    int velocity() const { return m_velocity; }

    bool sustain() const { return m_sustain; }

    int padNote(int pad) const { return m_padNotes[pad]; }

    const QString& label9() const { return m_label9; }

private:
    // Shows key k (0..36 or 100) down or up; true when it is a key with a note.
    bool showKey(int k, bool down);
    void watchDevice();
    void showMidiFailure();
    // `at`: the sample the message is placed at, nullopt for at once.
    void send(std::uint32_t message, std::optional<std::int64_t> at = std::nullopt);
    void sendNote(int status, int k, int velocity, std::optional<std::int64_t> at);
    void refreshLabel3();
    QString channelCaption() const;

    MidiOut& m_midi;
    PopupMenus& m_menus;
    MessageBoxService& m_boxes;
    PianoView m_view;
    std::unique_ptr<WakeTimer> m_deviceWatch;

    MidiHandle m_handle = 0;
    int m_device = kMidiMapper;
    int m_channel = 0;
    int m_velocity = 127;
    int m_baseNote = 60;
    bool m_sustain = false;
    QString m_label9;
    QString m_mode = QStringLiteral("Normal");
    bool m_pratnja = false;

    std::array<bool, kKeyCount> m_keys {};
    bool m_sustainKey = false;
    std::array<std::uint8_t, 256> m_keyIsDown {};
    std::array<std::uint8_t, 256> m_keyState {};
    std::array<int, kPadCount> m_padKeys {};
    std::array<int, kPadCount> m_padNotes {};
    int m_selectedPad = 0;
};
