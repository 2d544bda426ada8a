#include "MonitorCapture.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>

#include <pulse/pulseaudio.h>
#include <time.h>

namespace {

std::int64_t nanosOf(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return std::int64_t { now.tv_sec } * 1'000'000'000 + now.tv_nsec;
}

} // namespace

struct MonitorCapture::State
{
    std::string server;
    int rate = 44100;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool timingAsked = false;

    mutable std::mutex mutex;
    std::vector<std::int16_t> samples;
    // Per reading: when it was taken, and the steady-clock moment at which the sink plays the
    // recording's frame 0 by it.
    std::vector<std::pair<std::int64_t, std::int64_t>> readings;

    static void contextChanged(pa_context*, void* self)
    {
        pa_threaded_mainloop_signal(static_cast<State*>(self)->loop, 0);
    }

    static void streamChanged(pa_stream*, void* self)
    {
        pa_threaded_mainloop_signal(static_cast<State*>(self)->loop, 0);
    }

    static void readable(pa_stream* stream, std::size_t, void* userData)
    {
        auto* self = static_cast<State*>(userData);
        const void* data = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
            if (bytes == 0)
                break;
            {
                std::lock_guard lock(self->mutex);
                const std::size_t from = self->samples.size();
                self->samples.resize(from + bytes / sizeof(std::int16_t), 0); // a hole: silence
                if (data)
                    std::memcpy(self->samples.data() + from, data, bytes);
            }
            pa_stream_drop(stream);
        }
        if (!self->timingAsked) {
            if (pa_operation* asked = pa_stream_update_timing_info(stream, timingUpdated, self)) {
                self->timingAsked = true;
                pa_operation_unref(asked);
            }
        }
    }

    // The server's reading: at `timestamp` (the system's real-time clock, the server's own when
    // it answered) it had queued write_index bytes for this stream, the frame at the end of them
    // reaches the stream source_usec later and went through the sink sink_usec before (a monitor
    // hands on what the sink renders ahead of playing it). So the sink plays the frame at
    // write_index + source_usec - sink_usec at `timestamp`.
    static void timingUpdated(pa_stream* stream, int success, void* userData)
    {
        auto* self = static_cast<State*>(userData);
        self->timingAsked = false;
        const pa_timing_info* timing = success ? pa_stream_get_timing_info(stream) : nullptr;
        if (!timing || timing->write_index_corrupt)
            return;
        const std::int64_t realNanos = std::int64_t { timing->timestamp.tv_sec } * 1'000'000'000
            + std::int64_t { timing->timestamp.tv_usec } * 1000;
        const std::int64_t steadyNanos =
            realNanos - nanosOf(CLOCK_REALTIME) + nanosOf(CLOCK_MONOTONIC);
        const std::int64_t queuedNanos = timing->write_index / 4 * 1'000'000'000 / self->rate;
        const std::int64_t playingNanos = queuedNanos
            + static_cast<std::int64_t>(timing->source_usec) * 1000
            - static_cast<std::int64_t>(timing->sink_usec) * 1000;
        std::lock_guard lock(self->mutex);
        self->readings.emplace_back(steadyNanos, steadyNanos - playingNanos);
    }

    bool waitFor(const std::function<int()>& state, int good, int bad1, int bad2)
    {
        for (;;) {
            const int now = state();
            if (now == good)
                return true;
            if (now == bad1 || now == bad2)
                return false;
            pa_threaded_mainloop_wait(loop);
        }
    }
};

MonitorCapture::MonitorCapture(std::string server, int rate)
    : m_state(std::make_unique<State>())
{
    m_state->server = std::move(server);
    m_state->rate = rate;
}

int MonitorCapture::rate() const
{
    return m_state->rate;
}

MonitorCapture::~MonitorCapture()
{
    stop();
}

bool MonitorCapture::start()
{
    State& s = *m_state;
    s.loop = pa_threaded_mainloop_new();
    if (!s.loop)
        return false;
    s.context = pa_context_new(pa_threaded_mainloop_get_api(s.loop), "kadentor monitor");
    pa_context_set_state_callback(s.context, &State::contextChanged, &s);
    if (pa_context_connect(s.context, s.server.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(s.loop) < 0)
        return false;
    pa_threaded_mainloop_lock(s.loop);
    bool ok = s.waitFor(
        [&s] {
            return int(pa_context_get_state(s.context));
        },
        PA_CONTEXT_READY, PA_CONTEXT_FAILED, PA_CONTEXT_TERMINATED);
    if (ok) {
        const pa_sample_spec format { PA_SAMPLE_S16LE, static_cast<std::uint32_t>(s.rate), 2 };
        s.stream = pa_stream_new(s.context, "monitor", &format, nullptr);
        pa_stream_set_state_callback(s.stream, &State::streamChanged, &s);
        pa_stream_set_read_callback(s.stream, &State::readable, &s);
        // Fragments of 10 ms, as the daemon's own recorder asks: a smaller request would lower
        // the sink's latency (a monitor's wish counts for its sink) and change what is measured.
        pa_buffer_attr attributes {};
        attributes.maxlength = std::uint32_t(-1);
        attributes.fragsize = static_cast<std::uint32_t>(s.rate / 100 * 4);
        ok = pa_stream_connect_record(
                 s.stream, "kadentor_sink.monitor", &attributes, PA_STREAM_ADJUST_LATENCY)
                == 0
            && s.waitFor(
                [&s] {
                    return int(pa_stream_get_state(s.stream));
                },
                PA_STREAM_READY, PA_STREAM_FAILED, PA_STREAM_TERMINATED);
    }
    pa_threaded_mainloop_unlock(s.loop);
    return ok;
}

void MonitorCapture::stop()
{
    State& s = *m_state;
    if (!s.loop)
        return;
    pa_threaded_mainloop_lock(s.loop);
    if (s.stream) {
        pa_stream_set_read_callback(s.stream, nullptr, nullptr);
        pa_stream_disconnect(s.stream);
        pa_stream_unref(s.stream);
        s.stream = nullptr;
    }
    if (s.context) {
        pa_context_disconnect(s.context);
        pa_context_unref(s.context);
        s.context = nullptr;
    }
    pa_threaded_mainloop_unlock(s.loop);
    pa_threaded_mainloop_stop(s.loop);
    pa_threaded_mainloop_free(s.loop);
    s.loop = nullptr;
}

std::vector<std::int16_t> MonitorCapture::samples() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->samples;
}

std::optional<MonitorCapture::PlayClock> MonitorCapture::playClockNear(
    std::int64_t fromNanos, std::int64_t toNanos) const
{
    std::vector<std::int64_t> frameZero;
    {
        std::lock_guard lock(m_state->mutex);
        for (const auto& [when, zero] : m_state->readings)
            if (when >= fromNanos && when <= toNanos)
                frameZero.push_back(zero);
    }
    if (frameZero.empty())
        return std::nullopt;
    std::sort(frameZero.begin(), frameZero.end());
    PlayClock clock;
    clock.frameZeroNanos = frameZero[frameZero.size() / 2];
    clock.spreadNanos = frameZero.back() - frameZero.front();
    clock.middleSpreadNanos =
        frameZero[frameZero.size() * 9 / 10] - frameZero[frameZero.size() / 10];
    clock.readings = frameZero.size();
    clock.rate = m_state->rate;
    return clock;
}
