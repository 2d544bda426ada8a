#include "platform/audio/PulseAudioDevice.h"

#include "platform/audio/AudioEngine.h"
#include "platform/audio/BufferGrowth.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>

#include <pulse/pulseaudio.h>

namespace {

constexpr std::size_t kFrameBytes = sizeof(float) * AudioEngine::kChannels;

std::int64_t steadyNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

pa_buffer_attr queueAttributes(int queueFrames, bool pipeWire)
{
    // No prebuffering: a stream that runs dry then plays silence in place of what is late and
    // drops the late sound when it comes, instead of pausing until its queue has filled again and
    // playing everything after the pause that much later. An underrun so loses its few
    // milliseconds of sound once, and every click after it stays on its own sample. The cap
    // (maxlength) is the server's own.
    pa_buffer_attr attributes {};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(queueFrames * kFrameBytes);
    attributes.prebuf = 0;
    // PipeWire's pulse server runs its graph at its own cycle whatever the request, so the
    // larger request saves no wake-up there, and it was seen to drop one cycle of all it plays
    // now and then with it (every later click 256 frames early at 48000 Hz).
    const int request =
        pipeWire ? PulseAudioDevice::kPipeWireRequestFrames : PulseAudioDevice::kMinRequestFrames;
    attributes.minreq = static_cast<std::uint32_t>(request * kFrameBytes);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    return attributes;
}

} // namespace

struct PulseAudioDevice::State
{
    State(Maker maker, int step, std::int64_t quietNanos)
        : instead(std::move(maker))
        , quietNanos(quietNanos)
        , growth(step, quietNanos)
        , step(growth.step())
    {}

    Maker instead;
    std::int64_t quietNanos;
    pa_threaded_mainloop* mainloop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* deadline = nullptr;
    bool timedOut = false;
    bool pipeWire = false; // the server is PipeWire's pulse server
    bool serverAsked = false;
    bool started = false; // UI thread

    // Under the mainloop's lock (the event thread holds it in every callback).
    RenderFunction render;
    bool rendering = false;
    BufferGrowth growth;
    std::vector<float> buffer = std::vector<float>(kBlockFrames * AudioEngine::kChannels);

    std::atomic<int> step;
    std::atomic<bool> lost { false };
    std::atomic<std::int64_t> latency { 0 };
    std::atomic<std::int64_t> underruns { 0 };
    std::atomic<int> growths { 0 };
    std::atomic<int> shrinks { 0 };
    std::atomic<int> granted { 0 };
    std::atomic<AudioThreadPriority> priority { AudioThreadPriority::Normal };

    static void contextChanged(pa_context* context, void* state);
    static void streamChanged(pa_stream* stream, void* state);
    static void timeUp(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* state);
    static void write(pa_stream* stream, std::size_t bytes, void* state);
    static void underflow(pa_stream* stream, void* state);
    static void attributesChanged(pa_stream* stream, void* state);
    static void attributesSet(pa_stream* stream, int success, void* state);
    static void serverKnown(pa_context* context, const pa_server_info* info, void* state);

    // Waits for the event thread's signals until `done`; false when `good` turns false or the
    // connect deadline passes first. Under the mainloop's lock.
    template <typename Done, typename Good> bool waitUntil(Done done, Good good)
    {
        while (!done()) {
            if (timedOut || !good())
                return false;
            pa_threaded_mainloop_wait(mainloop);
        }
        return true;
    }

    void noteGranted();
    void askForQueue(pa_stream* stream, int frames);
    std::int64_t aheadNow();
    void renderInto(float* out, int frames, std::int64_t ahead);
};

void PulseAudioDevice::State::contextChanged(pa_context* context, void* state)
{
    auto& self = *static_cast<State*>(state);
    const pa_context_state_t now = pa_context_get_state(context);
    if (now == PA_CONTEXT_READY && !self.stream) {
        // Before the stream exists, so that asking (a message to the desktop's service) makes
        // nothing wait.
        self.priority.store(raiseAudioThreadPriority(), std::memory_order_release);
    }
    if (!PA_CONTEXT_IS_GOOD(now))
        self.lost.store(true, std::memory_order_release);
    pa_threaded_mainloop_signal(self.mainloop, 0);
}

void PulseAudioDevice::State::streamChanged(pa_stream* stream, void* state)
{
    auto& self = *static_cast<State*>(state);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        self.lost.store(true, std::memory_order_release);
    pa_threaded_mainloop_signal(self.mainloop, 0);
}

void PulseAudioDevice::State::timeUp(
    pa_mainloop_api*, pa_time_event*, const struct timeval*, void* state)
{
    auto& self = *static_cast<State*>(state);
    self.timedOut = true;
    pa_threaded_mainloop_signal(self.mainloop, 0);
}

void PulseAudioDevice::State::noteGranted()
{
    if (const pa_buffer_attr* attributes = pa_stream_get_buffer_attr(stream))
        granted.store(
            static_cast<int>(attributes->tlength / kFrameBytes), std::memory_order_release);
}

std::int64_t PulseAudioDevice::State::aheadNow()
{
    // Until the server's first timing report, what it was asked to keep.
    pa_usec_t usec = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &usec, &negative) != 0)
        return granted.load(std::memory_order_relaxed);
    if (negative)
        return 0;
    return static_cast<std::int64_t>(usec * AudioEngine::kSampleRate / 1'000'000);
}

void PulseAudioDevice::State::renderInto(float* out, int frames, std::int64_t ahead)
{
    for (int done = 0; done < frames;) {
        const int chunk = std::min(kBlockFrames, frames - done);
        // Each render call's first frame sounds after what the server holds and what this
        // request has rendered before it.
        latency.store(ahead + done, std::memory_order_release);
        float* chunkOut = out + static_cast<std::ptrdiff_t>(done) * AudioEngine::kChannels;
        if (rendering)
            render(chunkOut, chunk);
        else
            std::fill_n(chunkOut, chunk * AudioEngine::kChannels, 0.0f);
        done += chunk;
    }
}

void PulseAudioDevice::State::write(pa_stream* stream, std::size_t bytes, void* state)
{
    auto& self = *static_cast<State*>(state);
    std::int64_t ahead = self.aheadNow();
    std::size_t frames = bytes / kFrameBytes;
    while (frames > 0) {
        void* lent = nullptr;
        std::size_t lentBytes = frames * kFrameBytes;
        float* out = self.buffer.data();
        std::size_t count = std::min<std::size_t>(frames, kBlockFrames);
        if (pa_stream_begin_write(stream, &lent, &lentBytes) == 0 && lent
            && lentBytes >= kFrameBytes) {
            out = static_cast<float*>(lent);
            count = std::min(frames, lentBytes / kFrameBytes);
        } else if (lent) {
            pa_stream_cancel_write(stream);
        }
        self.renderInto(out, static_cast<int>(count), ahead);
        // A lent buffer is handed back as it is; our own is copied.
        if (pa_stream_write(stream, out, count * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) != 0)
            return;
        ahead += static_cast<std::int64_t>(count);
        frames -= count;
    }
    // Asked for after this request is answered in full: a smaller queue is reached by the server
    // playing what it holds down to it, so nothing written is dropped.
    if (const int smaller = self.growth.onRequest(steadyNanos())) {
        self.askForQueue(stream, smaller);
        self.shrinks.fetch_add(1, std::memory_order_release);
    }
}

void PulseAudioDevice::State::underflow(pa_stream* stream, void* state)
{
    auto& self = *static_cast<State*>(state);
    const BufferGrowth::Answer answer = self.growth.onUnderrun(steadyNanos());
    if (!answer.counted)
        return;
    self.underruns.fetch_add(1, std::memory_order_release);
    if (answer.growTo == 0)
        return;
    self.askForQueue(stream, answer.growTo);
    self.growths.fetch_add(1, std::memory_order_release);
}

void PulseAudioDevice::State::askForQueue(pa_stream* stream, int frames)
{
    // Before the count that tells of it, so that whoever sees the count sees the new queue.
    step.store(growth.step(), std::memory_order_release);
    const pa_buffer_attr attributes = queueAttributes(frames, pipeWire);
    if (pa_operation* operation =
            pa_stream_set_buffer_attr(stream, &attributes, &State::attributesSet, this))
        pa_operation_unref(operation);
}

void PulseAudioDevice::State::attributesChanged(pa_stream*, void* state)
{
    static_cast<State*>(state)->noteGranted();
}

void PulseAudioDevice::State::attributesSet(pa_stream*, int, void* state)
{
    static_cast<State*>(state)->noteGranted();
}

void PulseAudioDevice::State::serverKnown(pa_context*, const pa_server_info* info, void* state)
{
    auto& self = *static_cast<State*>(state);
    // PipeWire names itself "PulseAudio (on PipeWire 0.3.65)".
    self.pipeWire = info && info->server_name && std::strstr(info->server_name, "PipeWire");
    self.serverAsked = false;
    pa_threaded_mainloop_signal(self.mainloop, 0);
}

PulseAudioDevice::PulseAudioDevice(Maker instead, int growthStep, std::int64_t quietNanos)
    : m_state(std::make_unique<State>(std::move(instead), growthStep, quietNanos))
{}

PulseAudioDevice::~PulseAudioDevice()
{
    stop();
}

bool PulseAudioDevice::open()
{
    State& s = *m_state;
    if (s.stream)
        return true;
    s.lost.store(false, std::memory_order_release);
    s.underruns.store(0, std::memory_order_release);
    s.growths.store(0, std::memory_order_release);
    s.shrinks.store(0, std::memory_order_release);
    s.growth.restart(steadyNanos());
    s.timedOut = false;
    s.pipeWire = false;
    s.rendering = false;

    s.mainloop = pa_threaded_mainloop_new();
    if (!s.mainloop)
        return false;
    pa_threaded_mainloop_set_name(s.mainloop, "kadentor-sound");
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Kadentor");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "kadentor");
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, "Kadentor");
    s.context = pa_context_new_with_proplist(
        pa_threaded_mainloop_get_api(s.mainloop), "Kadentor", properties);
    bool ready = s.context != nullptr;
    if (ready) {
        pa_context_set_state_callback(s.context, &State::contextChanged, &s);
        ready = pa_context_connect(s.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) == 0;
    }
    pa_threaded_mainloop_lock(s.mainloop);
    ready = ready && pa_threaded_mainloop_start(s.mainloop) == 0;
    if (ready) {
        s.deadline = pa_context_rttime_new(s.context,
            pa_rtclock_now() + static_cast<pa_usec_t>(kConnectMs) * 1000, &State::timeUp, &s);
    }
    const auto contextGood = [&s] {
        return PA_CONTEXT_IS_GOOD(pa_context_get_state(s.context));
    };
    ready = ready
        && s.waitUntil(
            [&s] {
                return pa_context_get_state(s.context) == PA_CONTEXT_READY;
            },
            contextGood);
    if (ready) {
        // Which server it is, for the request size (queueAttributes).
        if (pa_operation* asked = pa_context_get_server_info(s.context, &State::serverKnown, &s)) {
            s.serverAsked = true;
            ready = s.waitUntil(
                [&s] {
                    return !s.serverAsked;
                },
                contextGood);
            if (pa_operation_get_state(asked) == PA_OPERATION_RUNNING)
                pa_operation_cancel(asked);
            pa_operation_unref(asked);
        }
    }
    if (ready) {
        pa_sample_spec format {};
        format.format = PA_SAMPLE_FLOAT32NE;
        format.rate = AudioEngine::kSampleRate;
        format.channels = AudioEngine::kChannels;
        pa_channel_map channels {};
        pa_channel_map_init_stereo(&channels);
        s.stream =
            pa_stream_new_with_proplist(s.context, "Kadentor", &format, &channels, properties);
        ready = s.stream != nullptr;
    }
    if (ready) {
        pa_stream_set_state_callback(s.stream, &State::streamChanged, &s);
        pa_stream_set_write_callback(s.stream, &State::write, &s);
        pa_stream_set_underflow_callback(s.stream, &State::underflow, &s);
        pa_stream_set_buffer_attr_callback(s.stream, &State::attributesChanged, &s);
        const pa_buffer_attr attributes = queueAttributes(s.growth.queueFrames(), s.pipeWire);
        s.granted.store(s.growth.queueFrames(), std::memory_order_release);
        // Latency adjusted: the server sets its sink's own buffer so that the whole way to the
        // speakers takes about the queue asked for, not the queue on top of the sink's default.
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
        ready = pa_stream_connect_playback(s.stream, nullptr, &attributes, flags, nullptr, nullptr)
            == 0;
    }
    ready = ready
        && s.waitUntil(
            [&s] {
                return pa_stream_get_state(s.stream) == PA_STREAM_READY;
            },
            [&s] {
                return PA_STREAM_IS_GOOD(pa_stream_get_state(s.stream));
            });
    if (ready) {
        s.noteGranted();
        s.latency.store(s.granted.load(std::memory_order_relaxed), std::memory_order_release);
    }
    if (s.deadline) {
        pa_threaded_mainloop_get_api(s.mainloop)->time_free(s.deadline);
        s.deadline = nullptr;
    }
    pa_threaded_mainloop_unlock(s.mainloop);
    pa_proplist_free(properties);
    if (!ready)
        close();
    return ready;
}

bool PulseAudioDevice::start(RenderFunction render)
{
    State& s = *m_state;
    if (s.started)
        return true;
    if (!open())
        return false;
    pa_threaded_mainloop_lock(s.mainloop);
    s.render = std::move(render);
    s.rendering = true;
    pa_threaded_mainloop_unlock(s.mainloop);
    s.started = true;
    return true;
}

void PulseAudioDevice::stop()
{
    close();
    m_state->render = nullptr;
    m_state->rendering = false;
    m_state->started = false;
}

void PulseAudioDevice::close()
{
    State& s = *m_state;
    if (!s.mainloop)
        return;
    // The event thread ends first (this waits for a render call in progress), so no callback of
    // ours runs while the stream and the connection are taken down.
    pa_threaded_mainloop_stop(s.mainloop);
    if (s.stream) {
        pa_stream_set_state_callback(s.stream, nullptr, nullptr);
        pa_stream_set_write_callback(s.stream, nullptr, nullptr);
        pa_stream_set_underflow_callback(s.stream, nullptr, nullptr);
        pa_stream_set_buffer_attr_callback(s.stream, nullptr, nullptr);
        pa_stream_disconnect(s.stream);
        pa_stream_unref(s.stream);
        s.stream = nullptr;
    }
    if (s.context) {
        pa_context_set_state_callback(s.context, nullptr, nullptr);
        pa_context_disconnect(s.context);
        pa_context_unref(s.context);
        s.context = nullptr;
    }
    pa_threaded_mainloop_free(s.mainloop);
    s.mainloop = nullptr;
}

std::int64_t PulseAudioDevice::latencyFrames() const
{
    return m_state->latency.load(std::memory_order_acquire);
}

bool PulseAudioDevice::rendersOnOwnThread() const
{
    return m_state->started && !m_state->lost.load(std::memory_order_acquire);
}

bool PulseAudioDevice::lost() const
{
    return m_state->started && m_state->lost.load(std::memory_order_acquire);
}

std::unique_ptr<AudioDevice> PulseAudioDevice::another(int) const
{
    return std::make_unique<PulseAudioDevice>(
        m_state->instead, m_state->step.load(std::memory_order_acquire), m_state->quietNanos);
}

std::unique_ptr<AudioDevice> PulseAudioDevice::instead() const
{
    return m_state->instead ? m_state->instead() : nullptr;
}

std::int64_t PulseAudioDevice::lateBlocks() const
{
    return m_state->underruns.load(std::memory_order_acquire);
}

int PulseAudioDevice::growths() const
{
    return m_state->growths.load(std::memory_order_acquire);
}

int PulseAudioDevice::shrinks() const
{
    return m_state->shrinks.load(std::memory_order_acquire);
}

std::int64_t PulseAudioDevice::clockNanos() const
{
    return steadyNanos();
}

int PulseAudioDevice::queueFrames() const
{
    return BufferGrowth::kQueueFrames[static_cast<std::size_t>(
        m_state->step.load(std::memory_order_acquire))];
}

int PulseAudioDevice::grantedQueueFrames() const
{
    return m_state->granted.load(std::memory_order_acquire);
}

AudioThreadPriority PulseAudioDevice::threadPriority() const
{
    return m_state->priority.load(std::memory_order_acquire);
}
