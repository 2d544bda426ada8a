#include "EncoderLibrary.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

namespace {

QString dlText()
{
    const char* text = dlerror();
    return text ? QString::fromLocal8Bit(text) : QString();
}

} // namespace

EncoderLibrary::EncoderLibrary(QString programFolder, QString fileName)
    : m_programFolder(std::move(programFolder))
    , m_fileName(std::move(fileName))
{}

EncoderLibrary::~EncoderLibrary()
{
    if (m_handle)
        dlclose(m_handle);
}

void* EncoderLibrary::bind(const char* name, void*& slot)
{
    if (slot)
        return slot;
    if (!m_handle) {
        const QString beside = QDir(m_programFolder).filePath(m_fileName);
        m_handle = dlopen(QFile::encodeName(beside).constData(), RTLD_NOW | RTLD_LOCAL);
        // A library beside the program that does not load (a dependency missing) is the failure
        // to tell, not the search by bare name after it.
        const QString besideError = m_handle ? QString() : dlText();
        if (!m_handle)
            m_handle = dlopen(QFile::encodeName(m_fileName).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) {
            m_error = QFile::exists(beside) ? besideError : dlText();
            return nullptr;
        }
    }
    dlerror();
    slot = dlsym(m_handle, name);
    if (!slot)
        m_error = dlText();
    return slot;
}

std::optional<std::int32_t> EncoderLibrary::EncodeMp3(const QString& in,
    const QString& out,
    std::int32_t kbps,
    std::int32_t sampleRate,
    std::uint8_t mode,
    WavpressProgress* cell)
{
    using Function = decltype(&::EncodeMp3);
    void* function = bind("EncodeMp3", m_encode);
    if (!function)
        return std::nullopt;
    return reinterpret_cast<Function>(function)(QFile::encodeName(in).constData(),
        QFile::encodeName(out).constData(), kbps, sampleRate, mode, cell);
}

std::optional<std::int32_t> EncoderLibrary::SetVBR(
    std::int32_t enable, std::int32_t quality, std::int32_t minKbps, std::int32_t maxKbps)
{
    using Function = decltype(&::SetVBR);
    void* function = bind("SetVBR", m_setVbr);
    if (!function)
        return std::nullopt;
    return reinterpret_cast<Function>(function)(enable, quality, minKbps, maxKbps);
}
