#pragma once

#include "platform/audio/CaptureDevice.h"

#include <cstdint>
#include <vector>

// An input with known samples: the test hands blocks in through feed() on its own thread, as the
// device's thread would. It can be told to refuse every start (no input device).
class FakeCaptureDevice : public CaptureDevice
{
public:
    bool start(const CaptureFormat& format, DeliverFunction deliver) override
    {
        if (refuse)
            return false;
        m_format = format;
        m_deliver = std::move(deliver);
        return true;
    }

    void stop() override { m_deliver = nullptr; }

    // Delivers `bytes` as one block; nothing while stopped.
    void feed(const std::vector<std::uint8_t>& bytes)
    {
        if (m_deliver)
            m_deliver(bytes.data(), static_cast<int>(bytes.size()));
    }

    bool running() const { return static_cast<bool>(m_deliver); }

    const CaptureFormat& format() const { return m_format; }

    bool refuse = false;

private:
    CaptureFormat m_format;
    DeliverFunction m_deliver;
};
