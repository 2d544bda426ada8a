#pragma once

// While one lives, what ALSA would print of its own errors on this thread goes nowhere; the
// errors are still returned to the caller. Other threads keep ALSA's messages, and so does this
// one once it is gone (the handler it found is put back). For a probe that is expected to fail
// and is repeated, where ALSA's lines would say the same thing again each time.
//
// Threads: any; one lives and dies on one thread.
class AlsaErrorsQuiet
{
public:
    AlsaErrorsQuiet();
    ~AlsaErrorsQuiet();
    AlsaErrorsQuiet(const AlsaErrorsQuiet&) = delete;
    AlsaErrorsQuiet& operator=(const AlsaErrorsQuiet&) = delete;

private:
    // ALSA's handler of this thread before, under a function type of our own: ALSA's types stay
    // in the source.
    using Handler = void (*)();
    Handler m_previous;
};
