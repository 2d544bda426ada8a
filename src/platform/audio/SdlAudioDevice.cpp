#include "platform/audio/SdlAudioDevice.h"

#include "platform/audio/AlsaErrorsQuiet.h"
#include "platform/audio/AudioEngine.h"
#include "platform/audio/LateBlockDetector.h"
#include "platform/audio/SdlAudioSubsystem.h"

#include <chrono>
#include <string>

#include <SDL2/SDL.h>

namespace {

std::int64_t steadyNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

struct SdlAudioDevice::State
{
    explicit State(int requested)
        : requestedFrames(requested)
    {}

    int requestedFrames;
    // Set before the stream is unpaused and read only by its callback after that.
    RenderFunction render;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec obtained {};
    std::string driver;
    bool acquired = false;
    bool running = false;
    // Callback side.
    bool watchLate = false;
    std::int64_t delivered = 0;
    LateBlockDetector detector { AudioEngine::kSampleRate };
};

void SdlAudioDevice::callback(void* state, std::uint8_t* stream, int length)
{
    auto& self = *static_cast<State*>(state);
    const int frames = length / static_cast<int>(sizeof(float) * AudioEngine::kChannels);
    if (self.watchLate)
        self.detector.onBlock(steadyNanos(), self.delivered, frames);
    self.delivered += frames;
    self.render(reinterpret_cast<float*>(stream), frames);
}

SdlAudioDevice::SdlAudioDevice(std::shared_ptr<SdlAudioSubsystem> audio, int blockFrames)
    : m_audio(audio ? std::move(audio) : std::make_shared<SdlAudioSubsystem>())
    , m_state(std::make_unique<State>(blockFrames))
{}

SdlAudioDevice::~SdlAudioDevice()
{
    stop();
}

bool SdlAudioDevice::open()
{
    if (m_state->device != 0)
        return true;
    // SDL's ALSA driver asks ALSA for the default output, and ALSA prints 8 lines when there is
    // none (no card, no sound server); an output is tried again every few seconds for as long as
    // none works, so those lines would come again and again, saying nothing that the program does
    // not say once itself. So they are quiet while this thread opens the output, and only then:
    // ALSA keeps its voice for what the user asks of it by hand (a recording's input, the MIDI
    // ports) and on the output's own thread once it plays (a card that stops on its way).
    const AlsaErrorsQuiet quiet;
    const auto lock = m_audio->lock();
    if (!m_audio->acquire())
        return false;
    m_state->acquired = true;
    // SDL's "dummy" driver is refused: it paces itself with whole-millisecond sleeps per block
    // (5 ms for 5.8 ms of sound) and so runs fast; the engine's own paced fallback keeps true
    // time instead.
    m_state->driver = m_audio->driver();
    if (m_state->driver != "dummy") {
        SDL_AudioSpec wanted {};
        wanted.freq = AudioEngine::kSampleRate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = AudioEngine::kChannels;
        wanted.samples = static_cast<Uint16>(m_state->requestedFrames);
        wanted.callback = &SdlAudioDevice::callback;
        wanted.userdata = m_state.get();
        // SDL converts rate, format and channels itself when the hardware differs, so the
        // callback always sees exactly the format the mixer renders. The stream opens paused.
        m_state->device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &m_state->obtained, 0);
    }
    if (m_state->device == 0) {
        m_audio->release();
        m_state->acquired = false;
        m_state->driver.clear();
        return false;
    }
    m_state->delivered = 0;
    m_state->detector.restart();
    m_state->watchLate = m_state->driver != "disk";
    return true;
}

bool SdlAudioDevice::start(RenderFunction render)
{
    if (m_state->running)
        return true;
    if (!open())
        return false;
    m_state->render = std::move(render);
    const auto lock = m_audio->lock();
    SDL_PauseAudioDevice(m_state->device, 0);
    m_state->running = true;
    return true;
}

void SdlAudioDevice::stop()
{
    const auto lock = m_audio->lock();
    m_audio->close(m_state->device, m_state->acquired);
    m_state->running = false;
}

bool SdlAudioDevice::silentFallback() const
{
    return false; // the dummy driver is never kept (see open)
}

std::int64_t SdlAudioDevice::latencyFrames() const
{
    // The block being rendered waits behind one block already handed to the system.
    return m_state->obtained.samples;
}

int SdlAudioDevice::blockFrames() const
{
    return m_state->obtained.samples;
}

bool SdlAudioDevice::rendersOnOwnThread() const
{
    return m_state->running;
}

bool SdlAudioDevice::lost() const
{
    if (!m_state->running)
        return false;
    // SDL stops calling back once the device is gone, and reports the stream stopped. A device
    // being opened elsewhere holds the lock: asked again at the next look.
    const auto lock = m_audio->tryLock();
    return lock.owns_lock() && SDL_GetAudioDeviceStatus(m_state->device) == SDL_AUDIO_STOPPED;
}

std::int64_t SdlAudioDevice::clockNanos() const
{
    return steadyNanos();
}

std::unique_ptr<AudioDevice> SdlAudioDevice::another(int blockFrames) const
{
    return std::make_unique<SdlAudioDevice>(
        m_audio, blockFrames > 0 ? blockFrames : m_state->requestedFrames);
}

std::int64_t SdlAudioDevice::lateBlocks() const
{
    return m_state->detector.lateBlocks();
}

const char* SdlAudioDevice::driverName() const
{
    return m_state->driver.c_str();
}
