#include "platform/midi/MidiOut.h"

namespace {

// Channel messages only, with the data bytes below 128; program change and channel pressure
// carry one data byte.
bool wellFormed(std::uint32_t message)
{
    const int status = message & 0xFF;
    if (status < 0x80 || status >= 0xF0 || (message & 0xFF000000u))
        return false;
    const int data1 = (message >> 8) & 0xFF;
    const int data2 = (message >> 16) & 0xFF;
    const int kind = status & 0xF0;
    const bool oneByte = kind == 0xC0 || kind == 0xD0;
    return data1 < 0x80 && (oneByte || data2 < 0x80);
}

} // namespace

MidiOut::MidiOut(std::vector<std::unique_ptr<MidiPort>> ports)
    : m_ports(std::move(ports))
    , m_openCount(m_ports.size(), 0)
{}

MidiOut::~MidiOut()
{
    while (!m_handles.empty())
        close(m_handles.begin()->first);
}

int MidiOut::deviceCount() const
{
    return static_cast<int>(m_ports.size());
}

int MidiOut::portOf(int device) const
{
    if (device == kMidiMapper)
        return m_ports.empty() ? -1 : 0;
    return device >= 0 && device < deviceCount() ? device : -1;
}

MidiResult MidiOut::deviceName(int device, QString& name) const
{
    const int port = portOf(device);
    if (port < 0)
        return MidiResult::BadDeviceId;
    name = m_ports[port]->name().left(kMaxDeviceNameLength);
    return MidiResult::NoError;
}

QStringList MidiOut::listedDeviceNames() const
{
    QStringList names;
    for (int device = 0; device < deviceCount() && device < kMaxListedDevices; ++device) {
        QString name;
        deviceName(device, name);
        names << name;
    }
    return names;
}

MidiResult MidiOut::open(MidiHandle& handle, int device)
{
    const int port = portOf(device);
    if (port < 0)
        return MidiResult::BadDeviceId;
    if (m_openCount[port] == 0) {
        const MidiResult result = m_ports[port]->open();
        if (result != MidiResult::NoError)
            return result;
    }
    ++m_openCount[port];
    handle = m_nextHandle++;
    m_handles[handle].port = port;
    return MidiResult::NoError;
}

MidiResult MidiOut::shortMsg(MidiHandle handle, std::uint32_t message)
{
    return send(handle, message, std::nullopt);
}

MidiResult MidiOut::shortMsgAt(MidiHandle handle, std::uint32_t message, std::int64_t at)
{
    return send(handle, message, at);
}

MidiResult MidiOut::send(MidiHandle handle, std::uint32_t message, std::optional<std::int64_t> at)
{
    const auto found = m_handles.find(handle);
    if (found == m_handles.end())
        return MidiResult::InvalidHandle;
    if (!wellFormed(message))
        return MidiResult::InvalidParam;
    const MidiResult result = m_ports[found->second.port]->send(message, at, handle);
    if (result == MidiResult::NoError)
        track(found->second, message);
    return result;
}

void MidiOut::track(Open& open, std::uint32_t message)
{
    // A note off or a pedal release may still wait in the port when the handle closes, and the
    // close's purge drops it: a note once started and a pedal once pressed stay marked.
    const int kind = message & 0xF0;
    const int channel = message & 0x0F;
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    if (kind == 0x90 && data2 > 0)
        open.notes[channel].set(data1);
    else if (kind == 0xB0 && data1 == 64 && data2 >= 64)
        open.sustain.set(channel);
}

MidiResult MidiOut::close(MidiHandle handle)
{
    const auto found = m_handles.find(handle);
    if (found == m_handles.end())
        return MidiResult::InvalidHandle;
    const Open open = found->second;
    MidiPort& port = *m_ports[open.port];
    port.purge(handle);
    for (int channel = 0; channel < 16; ++channel) {
        for (int note = 0; note < 128; ++note) {
            if (open.notes[channel].test(note))
                port.send(midiMessage(0x80 | channel, note, 0), std::nullopt, handle);
        }
        if (open.sustain.test(channel))
            port.send(midiMessage(0xB0 | channel, 64, 0), std::nullopt, handle);
    }
    m_handles.erase(found);
    if (--m_openCount[open.port] == 0)
        port.close();
    return MidiResult::NoError;
}

MidiDeviceState MidiOut::deviceState(MidiHandle handle) const
{
    const auto found = m_handles.find(handle);
    if (found == m_handles.end())
        return MidiDeviceState::Failed;
    return m_ports[found->second.port]->state();
}
