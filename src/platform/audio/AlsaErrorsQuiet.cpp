#include "platform/audio/AlsaErrorsQuiet.h"

#include <cstdarg>

#include <alsa/asoundlib.h>

// ALSA's header declares this one outside its extern "C" block, so C++ would look for a mangled
// name that the library does not have: the C symbol under a name of our own.
extern "C" snd_local_error_handler_t setAlsaLocalErrorHandler(
    snd_local_error_handler_t handler) __asm__("snd_lib_error_set_local");

namespace {

void ignoreAlsaError(const char*, int, const char*, int, const char*, va_list)
{}

} // namespace

AlsaErrorsQuiet::AlsaErrorsQuiet()
    : m_previous(reinterpret_cast<Handler>(setAlsaLocalErrorHandler(&ignoreAlsaError)))
{}

AlsaErrorsQuiet::~AlsaErrorsQuiet()
{
    setAlsaLocalErrorHandler(reinterpret_cast<snd_local_error_handler_t>(m_previous));
}
