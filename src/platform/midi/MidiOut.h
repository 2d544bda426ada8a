#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

// Result of every call on the MIDI output devices; NoError (0) is success. The values are the
// classic multimedia result numbers, which callers keep in integer fields.
enum class MidiResult : std::uint32_t {
    NoError = 0,
    Error = 1,
    BadDeviceId = 2,
    Allocated = 4,
    InvalidHandle = 5,
    NoMemory = 7,
    InvalidParam = 11,
};

// Names an open device; 0 never does. Handles are not reused, so a stale one stays invalid.
using MidiHandle = std::uint32_t;

// What an open device can do: sound, not yet (it is still getting ready: the built-in
// synthesizer while its SoundFont loads), or nothing any more (that load failed).
enum class MidiDeviceState { Ready, Starting, Failed };

// The device id that opens the default device (device 0, the built-in synthesizer).
inline constexpr int kMidiMapper = -1;
// The product name of device 0.
inline const QString kBuiltInSynthName = QStringLiteral("Built-in Synthesizer");
// Device menus list at most this many devices.
inline constexpr int kMaxListedDevices = 10;
// A device name is cut to this many characters (a fixed 32-byte field with its NUL).
inline constexpr int kMaxDeviceNameLength = 31;

// One output device behind the service: the built-in synthesizer, an ALSA sequencer port, or a
// test's recorder. The service opens a port when its first handle opens and closes it after
// its last handle closes. UI thread only.
class MidiPort
{
public:
    virtual ~MidiPort() = default;

    virtual QString name() const = 0;
    virtual MidiResult open() = 0;
    virtual void close() = 0;

    // A channel message of 2 or 3 bytes (status in the lowest byte), sent now when `at` is
    // empty, else placed at that sample of the sound engine's clock. `handle` names the sender.
    virtual MidiResult send(
        std::uint32_t message, std::optional<std::int64_t> at, MidiHandle handle) = 0;

    // Drops every message of `handle` that has not reached the sound yet: those placed for a
    // later sample, and any sent now that the device has not taken in.
    virtual void purge(MidiHandle handle) = 0;

    // While open.
    virtual MidiDeviceState state() const { return MidiDeviceState::Ready; }
};

// The MIDI output devices: device 0 is the built-in synthesizer, and the mapper (kMidiMapper)
// opens it too; devices 1 and up are the machine's sequencer ports. Each call returns at once.
//
// Any number of handles may be open on a device. A call on handle 0, on a closed handle or
// with a malformed message does nothing and returns an error; nothing here throws or crashes.
// Closing a handle silences every note it may still hold: the port drops what the handle sent
// that it has not delivered yet (placed messages, and on the built-in synthesizer also those
// sent now that its next block has not taken in), then each note the handle ever started gets a
// note off and each channel whose sustain pedal it pressed gets the pedal released. Notes whose
// note off was sent count too: that note off may be among what the port dropped.
//
// Thread: UI only.
class MidiOut
{
public:
    explicit MidiOut(std::vector<std::unique_ptr<MidiPort>> ports);
    virtual ~MidiOut();
    MidiOut(const MidiOut&) = delete;
    MidiOut& operator=(const MidiOut&) = delete;

    int deviceCount() const;

    // The device's product name, at most kMaxDeviceNameLength characters. BadDeviceId for an
    // id outside kMidiMapper .. deviceCount() - 1 (the mapper's name is the built-in synth's).
    MidiResult deviceName(int device, QString& name) const;

    // The names of devices 0, 1, ... for a device menu: at most kMaxListedDevices of them.
    QStringList listedDeviceNames() const;

    // `handle` is set only on success.
    MidiResult open(MidiHandle& handle, int device);

    MidiResult shortMsg(MidiHandle handle, std::uint32_t message);

    // The message sounds at sample `at` of the sound engine's clock (a sample already past
    // means at once).
    MidiResult shortMsgAt(MidiHandle handle, std::uint32_t message, std::int64_t at);

    MidiResult close(MidiHandle handle);

    // The state of the device behind `handle`; Failed for a handle that is not open.
    MidiDeviceState deviceState(MidiHandle handle) const;

private:
    struct Open
    {
        int port = 0;
        // Notes this handle started and channels whose pedal it pressed, now or placed.
        std::array<std::bitset<128>, 16> notes;
        std::bitset<16> sustain;
    };

    MidiResult send(MidiHandle handle, std::uint32_t message, std::optional<std::int64_t> at);
    static void track(Open& open, std::uint32_t message);
    int portOf(int device) const;

    std::vector<std::unique_ptr<MidiPort>> m_ports;
    std::vector<int> m_openCount;
    std::map<MidiHandle, Open> m_handles;
    MidiHandle m_nextHandle = 1;
};

// The MIDI short message of `status` with its data bytes.
constexpr std::uint32_t midiMessage(int status, int data1, int data2 = 0)
{
    return static_cast<std::uint32_t>(status & 0xFF)
        | (static_cast<std::uint32_t>(data1 & 0xFF) << 8)
        | (static_cast<std::uint32_t>(data2 & 0xFF) << 16);
}
