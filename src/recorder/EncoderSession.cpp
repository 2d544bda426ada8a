#include "EncoderSession.h"

#include <QString>

namespace {

// The session whose encoding is inside the library, for its progress function.
EncoderSession* s_encoding = nullptr;

} // namespace

EncoderSession::~EncoderSession()
{
    if (s_encoding == this)
        s_encoding = nullptr;
}

std::optional<std::int32_t> EncoderSession::encode(
    EncodingProgress& progress, const LibraryCall& call)
{
    // No request left from before this encoding, and none left behind for the next.
    m_CancelEncoding = false;
    m_progress = &progress;
    s_encoding = this;
    const std::optional<std::int32_t> result = call(&m_cell);
    s_encoding = nullptr;
    m_progress = nullptr;
    m_CancelEncoding = false;
    return result;
}

std::int16_t EncoderSession::EncodeProgress(std::int32_t percent)
{
    return s_encoding ? s_encoding->report(percent) : std::int16_t { -1 };
}

std::int16_t EncoderSession::report(std::int32_t percent)
{
    const auto p = static_cast<std::int16_t>(percent & 0xFFFF);
    if (static_cast<float>(m_progress->progress()) != static_cast<float>(p))
        m_progress->setProgress(p, QString::number(p) + u'%');
    const bool stop = m_CancelEncoding;
    m_CancelEncoding = false;
    m_progress->processEvents();
    return stop ? std::int16_t { 0 } : std::int16_t { -1 };
}
