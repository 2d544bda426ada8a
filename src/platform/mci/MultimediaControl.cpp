#include "platform/mci/MultimediaControl.h"

#include "platform/midi/MidiFilePlayer.h"

#include <algorithm>
#include <limits>

namespace {

int mciError(MidiFileError error)
{
    switch (error) {
    case MidiFileError::None:
        return 0;
    case MidiFileError::NotFound:
    case MidiFileError::Unreadable:
        return kMciFileNotFound;
    case MidiFileError::Malformed:
        return kMciInvalidFile;
    case MidiFileError::NoSynth:
        return kMciDriverMissing;
    }
    return kMciInvalidFile;
}

std::int32_t clampToInt32(std::int64_t ms)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

MultimediaControl::MultimediaControl(MidiFiles& files, QObject* parent)
    : QObject(parent)
    , m_files(files)
{
    connect(&m_timer, &QTimer::timeout, this, &MultimediaControl::statusUpdate);
}

MultimediaControl::~MultimediaControl() = default;

int MultimediaControl::open()
{
    close();
    switch (m_type) {
    case MciDevice::Sequencer: {
        if (!m_sequencer)
            m_sequencer = m_files.newPlayer();
        const int error = mciError(m_sequencer->open(m_fileName));
        if (error == 0)
            m_open = MciDevice::Sequencer;
        return error;
    }
    case MciDevice::CDAudio:
        return kMciDeviceNotReady;
    case MciDevice::None:
        break;
    }
    return kMciUnknownDevice;
}

int MultimediaControl::close()
{
    if (m_open == MciDevice::None)
        return kMciInvalidDeviceId;
    m_sequencer->close();
    m_open = MciDevice::None;
    return 0;
}

int MultimediaControl::play()
{
    if (m_open == MciDevice::None)
        return kMciInvalidDeviceId;
    return m_sequencer->play() ? 0 : kMciNotAvailable;
}

int MultimediaControl::pause()
{
    if (m_open == MciDevice::None)
        return kMciInvalidDeviceId;
    m_sequencer->pause();
    return 0;
}

int MultimediaControl::seek(std::int64_t toMs)
{
    if (m_open == MciDevice::None)
        return kMciInvalidDeviceId;
    m_sequencer->seek(toMs);
    return 0;
}

std::int32_t MultimediaControl::length() const
{
    return m_open == MciDevice::None ? 0 : clampToInt32(m_sequencer->lengthMs());
}

std::int32_t MultimediaControl::position() const
{
    return m_open == MciDevice::None ? 0 : clampToInt32(m_sequencer->positionMs());
}

void MultimediaControl::setUpdateInterval(int ms)
{
    m_interval = std::max(ms, 0);
    if (m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
