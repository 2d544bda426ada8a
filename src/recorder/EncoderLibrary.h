#pragma once

#include "wavpress/wavpress.h"

#include <cstdint>
#include <optional>

#include <QString>

// The program's way to the MP3 encoder library, loaded when a function is first called: from the
// program's folder, else by its bare name through the system's library search. Each function is
// bound on its first call. When the library or a function cannot be had, the call answers
// nullopt and error() says why, for the caller to report. UI thread only.
class EncoderLibrary
{
public:
    static inline const QString kFileName = QStringLiteral("libwavpress.so");

    explicit EncoderLibrary(QString programFolder, QString fileName = kFileName);
    ~EncoderLibrary();
    EncoderLibrary(const EncoderLibrary&) = delete;
    EncoderLibrary& operator=(const EncoderLibrary&) = delete;

    // Paths go to the library as the file system's bytes.
    std::optional<std::int32_t> EncodeMp3(const QString& in,
        const QString& out,
        std::int32_t kbps,
        std::int32_t sampleRate,
        std::uint8_t mode,
        WavpressProgress* cell);
    std::optional<std::int32_t> SetVBR(
        std::int32_t enable, std::int32_t quality, std::int32_t minKbps, std::int32_t maxKbps);

    QString error() const { return m_error; }

private:
    void* bind(const char* name, void*& slot);

    QString m_programFolder;
    QString m_fileName;
    void* m_handle = nullptr;
    void* m_encode = nullptr;
    void* m_setVbr = nullptr;
    QString m_error;
};
