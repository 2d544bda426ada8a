#include "piano/PianoCore.h"

#include "piano/ChordModes.h"
#include "piano/basMidi1.h"
#include "platform/basic/Conversions.h"
#include "platform/basic/MessageBoxService.h"
#include "platform/basic/WakeTimer.h"
#include "windows/PopupMenus.h"

namespace {

constexpr int kNoteOn = 0x90;
constexpr int kNoteOff = 0x80;
constexpr int kControlChange = 0xB0;
constexpr int kProgramChange = 0xC0;
constexpr int kDeviceEntries = 11;
constexpr int kChannels = 16;
constexpr int kPrograms = 128;
constexpr int kFirstDrumNote = 35;
constexpr int kMinBase = 30;
constexpr int kMaxBase = 100;

// Key codes of the two rows, in key order 0..36 (Z S X D C V G B H N J M , L . ; / then
// Q 2 W 3 E 4 R T 6 Y 7 U I 9 O 0 P - [ ]).
constexpr int kRowCodes[PianoCore::kKeyCount] = { 90, 83, 88, 68, 67, 86, 71, 66, 72, 78, 74, 77,
    188, 76, 190, 186, 191, 81, 50, 87, 51, 69, 52, 82, 84, 54, 89, 55, 85, 73, 57, 79, 48, 80, 189,
    219, 221 };

// The keypad keys / * - 7 8 9 4 5 6 1 2 3 and the drum notes they strike after loading.
constexpr int kDefaultPadKeys[PianoCore::kPadCount] = { 111, 106, 109, 103, 104, 105, 100, 101, 102,
    97, 98, 99 };
constexpr int kDefaultPadNotes[PianoCore::kPadCount] = { 49, 57, 51, 45, 47, 48, 46, 42, 44, 37, 36,
    40 };

const QString kMapperName = QStringLiteral("MIDI Mapper");
const QString kFirstInstrument = QStringLiteral("Acoustic Grand Piano");

QString secondField(const QByteArray& line)
{
    const qsizetype tab = line.indexOf('\t');
    if (tab < 0)
        return {};
    const qsizetype next = line.indexOf('\t', tab + 1);
    return QString::fromUtf8(line.mid(tab + 1, next < 0 ? -1 : next - tab - 1));
}

} // namespace

InstrumentList parseInstrumentList(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size() && lines.size() < kPrograms + 1 + 32) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines.push_back(bytes.mid(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size()
            && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    InstrumentList list;
    for (int i = 0; i < kPrograms + 1 + 32; ++i) {
        const QString name = i < lines.size() ? secondField(lines[i]) : QString();
        if (i < kPrograms)
            list.programs.push_back(name);
        else if (i > kPrograms)
            list.drums.push_back(name);
    }
    return list;
}

PianoCore::PianoCore(MidiOut& midi,
    PopupMenus& menus,
    MessageBoxService& boxes,
    PianoView view,
    std::unique_ptr<WakeTimer> deviceWatch)
    : m_midi(midi)
    , m_menus(menus)
    , m_boxes(boxes)
    , m_view(std::move(view))
    , m_deviceWatch(std::move(deviceWatch))
{
    std::copy(std::begin(kDefaultPadKeys), std::end(kDefaultPadKeys), m_padKeys.begin());
    std::copy(std::begin(kDefaultPadNotes), std::end(kDefaultPadNotes), m_padNotes.begin());
    m_deviceWatch->onWake = [this] {
        watchDevice();
    };
}

PianoCore::~PianoCore()
{
    m_deviceWatch->cancel();
}

void PianoCore::load(const InstrumentList& instruments)
{
    // The menus outlive the window: what an earlier opening checked must not stay checked.
    for (int i = 0; i < kDeviceEntries; ++i) {
        m_menus.setChecked(u"device", i, false);
        if (i > 0) {
            m_menus.setAvailable(u"device", i, false);
            m_menus.setShown(u"device", i, false);
        }
    }
    for (int ch = 0; ch < kChannels; ++ch)
        m_menus.setChecked(u"chan", ch, false);
    for (int i = 0; i < kPrograms; ++i)
        m_menus.setChecked(u"mnuPiano2", i, false);

    m_menus.setCaption(u"device", 0, kMapperName);
    m_menus.setAvailable(u"device", 0, true);
    m_menus.setShown(u"device", 0, true);
    m_label9 = kMapperName;
    if (m_view.setLabel9)
        m_view.setLabel9(m_label9);
    const QStringList devices = m_midi.listedDeviceNames();
    for (int i = 0; i < devices.size(); ++i) {
        m_menus.setCaption(u"device", i + 1, devices[i]);
        m_menus.setAvailable(u"device", i + 1, true);
        m_menus.setShown(u"device", i + 1, true);
    }
    Uredjaj(0);
    m_channel = 0;
    m_menus.setChecked(u"chan", 0, true);
    m_baseNote = 60;
    m_velocity = 127;

    // An entry left by an earlier opening is only captioned again; an empty name keeps the
    // caption it has.
    for (int i = 0; i < kPrograms; ++i) {
        const QString& name = instruments.programs.value(i);
        if (i > 0)
            m_menus.load(u"mnuPiano2", i, QString());
        if (!name.isEmpty())
            m_menus.setCaption(u"mnuPiano2", i, name);
    }
    for (int i = 0; i < 32; ++i) {
        const QString& name = instruments.drums.value(i);
        if (i > 0)
            m_menus.load(u"mnudrum", i, QString());
        if (!name.isEmpty())
            m_menus.setCaption(u"mnudrum", i, name);
    }
    const auto styles = basMidi1::InitBeatStyles();
    for (int i = 0; i < static_cast<int>(styles.size()); ++i) {
        if (i > 0)
            m_menus.load(u"mnuBeat2", i, QString());
        m_menus.setCaption(u"mnuBeat2", i, styles[std::size_t(i)].Name);
    }
}

void PianoCore::unload()
{
    for (int k = 0; k < kKeyCount; ++k) {
        if (m_keys[k])
            sendNote(kNoteOff, k, 0, std::nullopt);
    }
    for (int i = 0; i < kPadCount; ++i) {
        if (m_keyState[m_padKeys[i]])
            send(midiMessage(kNoteOff + kDrumChannel, m_padNotes[i]));
    }
    closeOutput();
}

void PianoCore::closeOutput()
{
    m_deviceWatch->cancel();
    m_midi.close(m_handle);
    m_handle = 0;
}

void PianoCore::watchDevice()
{
    switch (m_midi.deviceState(m_handle)) {
    case MidiDeviceState::Starting:
        m_deviceWatch->wakeAfter(kDeviceWatchMs);
        break;
    case MidiDeviceState::Failed:
        showMidiFailure();
        break;
    case MidiDeviceState::Ready:
        break;
    }
}

void PianoCore::showMidiFailure()
{
    m_boxes.msgBox(QStringLiteral("MIDI failed to initialize or MIDI device is opened with other "
                                  "application.\r\nPlease, Restart Kadentor and close other "
                                  "application to reinitialize MIDI device."),
        MsgButtons::OK, MsgIcon::Information, QStringLiteral("Error initializing MIDI"));
}

void PianoCore::Uredjaj(int k)
{
    m_menus.setChecked(u"device", m_device + 1, false);
    m_menus.setChecked(u"device", k, true);
    m_device = k - 1;
    closeOutput();
    if (m_midi.open(m_handle, m_device) != MidiResult::NoError) {
        showMidiFailure();
        return;
    }
    watchDevice();
    // The built-in synthesizer (the mapper and device 0) starts every opening on program 0, so
    // its instrument label starts there too even when the device label stays the same.
    const bool builtIn = m_device == kMidiMapper || m_device == 0;
    const QString name = m_menus.caption(u"device", k);
    if (name == m_label9 && !builtIn)
        return;
    if (name != m_label9) {
        m_label9 = name;
        if (m_view.setLabel9)
            m_view.setLabel9(name);
    }
    if (m_view.setLblInst)
        m_view.setLblInst(kFirstInstrument);
}

QString PianoCore::channelCaption() const
{
    return m_menus.caption(u"chan", m_channel);
}

void PianoCore::refreshLabel3()
{
    if (m_view.setLabel3)
        m_view.setLabel3(QStringLiteral("Chanel: ") + channelCaption() + QStringLiteral("   Base: ")
            + QString::number(m_baseNote));
}

void PianoCore::Kanal(int ch)
{
    m_menus.setChecked(u"chan", m_channel, false);
    m_channel = ch;
    m_menus.setChecked(u"chan", ch, true);
    refreshLabel3();
}

void PianoCore::Baza()
{
    const QString answer =
        m_boxes.inputBox(QStringLiteral("Change the base note for the Piano in range (30 - 100)"),
            QStringLiteral("Note Base"), QString::number(m_baseNote));
    if (IsNumeric(answer)) {
        const std::optional<std::int16_t> value = CInt(answer);
        if (!value || *value < kMinBase || *value > kMaxBase) {
            // A number past 16 bits is shown as typed: it has no integer form to show.
            const QString shown = value ? QString::number(*value) : answer.trimmed();
            m_boxes.msgBox(
                QStringLiteral("Input ") + shown + QStringLiteral(" out of range (30 - 100)."),
                MsgButtons::OK, MsgIcon::Information, kAppTitle);
            return;
        }
        m_baseNote = *value;
    }
    refreshLabel3();
}

void PianoCore::Pianino(int Inst)
{
    ChangeInstrument(0, Inst);
}

void PianoCore::ChangeInstrument(int Channel, int Inst)
{
    send(midiMessage(kControlChange + Channel, 0, 0));
    send(midiMessage(kControlChange + Channel, 32, 0));
    send(midiMessage(kProgramChange + Channel, Inst));
}

void PianoCore::send(std::uint32_t message, std::optional<std::int64_t> at)
{
    if (at)
        m_midi.shortMsgAt(m_handle, message, *at);
    else
        m_midi.shortMsg(m_handle, message);
}

void PianoCore::sendNote(int status, int k, int velocity, std::optional<std::int64_t> at)
{
    // With a base above 91 the top keys lie past the last MIDI note: they show but stay silent.
    const int note = m_baseNote + k;
    if (note <= 127)
        send(midiMessage(status + m_channel, note, velocity), at);
}

bool PianoCore::keyDownShown(int k) const
{
    if (k == kSustainKey)
        return m_sustainKey;
    return k >= 0 && k < kKeyCount && m_keys[k];
}

bool PianoCore::showKey(int k, bool down)
{
    if (k == kSustainKey) {
        m_sustainKey = down;
    } else if (k >= 0 && k < kKeyCount) {
        m_keys[k] = down;
    } else {
        return false;
    }
    if (m_view.keyShown)
        m_view.keyShown(k, down);
    return k != kSustainKey;
}

void PianoCore::PressKey(int k, std::optional<std::int64_t> at)
{
    if (keyDownShown(k) || !showKey(k, true))
        return;
    sendNote(kNoteOn, k, m_velocity, at);
}

void PianoCore::ReleaseKey(int k, std::optional<std::int64_t> at)
{
    if (!showKey(k, false))
        return;
    sendNote(kNoteOff, k, 0, at);
}

void PianoCore::DigniGa()
{
    for (int k = 0; k < kKeyCount; ++k)
        ReleaseKey(k);
}

// Only the mouse on a key gives the keys back to the piano: the keyboard's keys reach it when it
// has them already, or are let go while the user types into one of its boxes, where a release
// (held back a moment to tell a repeat) or a scale's step must not take the typing away.
void PianoCore::keyMouseDown(int k)
{
    DigniGa();
    PressKey(k);
    if (m_view.focusBackground)
        m_view.focusBackground();
}

void PianoCore::keyMouseUp(int k)
{
    ReleaseKey(k);
    if (m_view.focusBackground)
        m_view.focusBackground();
}

void PianoCore::key_Click(int k)
{
    if (k == kSustainKey && m_sustain) {
        m_sustain = false;
        DigniGa();
    }
}

void PianoCore::setKnobValue(int value)
{
    m_velocity = static_cast<int>(roundHalfEven(value * 127 / 100.0));
}

int PianoCore::KeyCodeToKey(int keyCode)
{
    for (int k = 0; k < kKeyCount; ++k) {
        if (kRowCodes[k] == keyCode)
            return k;
    }
    return kNoKey;
}

bool PianoCore::keyDown(int keyCode)
{
    keyCode &= 0xFF;
    if (m_mode == QStringLiteral("Normal")) {
        if (keyCode == kSpace)
            m_sustain = true;
        m_keyIsDown[keyCode] = 1;
        CheckKeys();
        PressKey(KeyCodeToKey(keyCode));
    } else if (const int k = KeyCodeToKey(keyCode); k != kNoKey) {
        // With "Left Hand only" the upper row plays single notes over the lower row's chords.
        if (!m_pratnja || k <= 16)
            playChordMode(*this, m_mode, k);
        m_keyIsDown[keyCode] = 1;
        CheckKeys();
        // Sounds the root alone when every offset fell off the keyboard.
        PressKey(k);
    }
    return keyCode == kEscape;
}

void PianoCore::keyUp(int keyCode)
{
    keyCode &= 0xFF;
    if (keyCode == kSpace)
        key_Click(kSustainKey);
    const int key = KeyCodeToKey(keyCode);
    if (!m_sustain)
        ReleaseKey(key);
    m_keyIsDown[keyCode] = 0;
    CheckKeys();
    if (m_mode != QStringLiteral("Normal")) {
        if (m_pratnja && key < 17 && !m_sustain)
            DigniGa();
        if (!m_pratnja)
            DigniGa();
    }
}

void PianoCore::CheckKeys()
{
    for (int i = 0; i < kPadCount; ++i) {
        const int k = m_padKeys[i];
        if (m_keyState[k] == m_keyIsDown[k])
            continue;
        m_keyState[k] = m_keyIsDown[k];
        if (m_keyState[k])
            send(midiMessage(kNoteOn + kDrumChannel, m_padNotes[i], m_velocity));
        else if (!m_sustain)
            send(midiMessage(kNoteOff + kDrumChannel, m_padNotes[i]));
    }
}

void PianoCore::beatNoteOn(int note, std::optional<std::int64_t> at)
{
    send(midiMessage(kNoteOn + kDrumChannel, note, m_velocity), at);
}

void PianoCore::mnDrum(int Index)
{
    m_padNotes[m_selectedPad] = Index + kFirstDrumNote;
}
